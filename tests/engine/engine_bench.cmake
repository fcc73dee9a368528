if(LINGQIAO_BENCHMARKS AND NOT CMAKE_CROSSCOMPILING)
  find_package(benchmark REQUIRED)
  add_executable(engine_bench ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cpp)
  target_link_libraries(engine_bench PRIVATE lingqiao_engine_test_support lingqiao_fake_adb_fixture
                        benchmark::benchmark_main)
  add_dependencies(engine_bench lingqiao-console)
endif()
