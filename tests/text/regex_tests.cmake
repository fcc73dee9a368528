# The same table of cases runs against whichever engine the build has: PCRE2 natively,
# "VBScript.RegExp" under wine64. regex_backend_*.cpp tell the cases which one that is.
if(WIN32)
  set(regex_backend_source regex_backend_win32.cpp)
else()
  set(regex_backend_source regex_backend_posix.cpp)
endif()
lingqiao_add_test(regex_tests
  SOURCES regex_object_test.cpp regex_patterns_test.cpp ${regex_backend_source}
  LIBS lingqiao_text)
if(WIN32)
  target_link_libraries(regex_tests PRIVATE ole32)
endif()

if(LINGQIAO_BENCHMARKS AND NOT CMAKE_CROSSCOMPILING)
  find_package(benchmark REQUIRED)
  add_executable(regex_bench regex_bench.cpp)
  target_link_libraries(regex_bench PRIVATE lingqiao_text benchmark::benchmark_main)
endif()
