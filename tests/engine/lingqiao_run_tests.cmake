# lingqiao-run's pieces, tested in process.
lingqiao_add_test(lingqiao_run_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/run_options_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/script_file_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/run_display_test.cpp
  LIBS lingqiao_run_lib lingqiao_gbk_literals)

# The program itself, run as a user runs it (POSIX: the test starts it as a child process).
if(NOT WIN32)
  lingqiao_add_test(lingqiao_run_program_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/lingqiao_run_program_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/child_process_posix.cpp
    LIBS lingqiao_text lingqiao_fake_adb_fixture lingqiao_gbk_literals)
  target_compile_definitions(lingqiao_run_program_tests PRIVATE
    LINGQIAO_RUN_PROGRAM="$<TARGET_FILE:lingqiao-run>")
  add_dependencies(lingqiao_run_program_tests lingqiao-run lingqiao-console)
endif()
