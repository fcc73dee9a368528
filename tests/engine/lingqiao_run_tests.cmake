# lingqiao-run's pieces, tested in process.
lingqiao_add_test(lingqiao_run_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/run_options_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/script_file_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/run_display_test.cpp
  LIBS lingqiao_run_lib lingqiao_gbk_literals)
