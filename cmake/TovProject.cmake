# Shared build settings and helpers for every library, test and benchmark.

set(TOV_WARNINGS -Wall -Wextra)

if(TOV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# tov_library(name SOURCES ... DEPS ...): one static library per source folder.
function(tov_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TOV_WARNINGS})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# tov_test(name SOURCES ... DEPS ... [GL] [SERIAL] [TIMEOUT n]): a GoogleTest executable whose
# cases are listed to CTest when the tests run. GL tests create a GL context: Mesa's own
# allocations would show up as leaks, so leak detection is off for them alone. test.sh sets the
# headless SDL drivers; tests that open SDL also set them when unset.
function(tov_test name)
  cmake_parse_arguments(ARG "GL;SERIAL" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TOV_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} test_support GTest::gtest GTest::gmock GTest::gtest_main)
  # The system answers an exhausted heap with null, so tests may ask for impossible sizes.
  # (One variable only: gtest_discover_tests cannot pass a list of them.)
  set(asan "allocator_may_return_null=1")
  if(ARG_GL)
    string(APPEND asan ":detect_leaks=0")
  endif()
  set(props ENVIRONMENT "ASAN_OPTIONS=${asan}")
  target_compile_definitions(${name} PRIVATE TOV_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(ARG_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  if(ARG_TIMEOUT)
    list(APPEND props TIMEOUT ${ARG_TIMEOUT})
  else()
    list(APPEND props TIMEOUT 300)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${props})
endfunction()

# tov_fuzz(name SOURCES ... DEPS ...): a libFuzzer target (clang, TOV_BUILD_FUZZ only). Its sources
# are a test's fuzz entry, built with TOV_FUZZ_MAIN so that the entry becomes libFuzzer's.
function(tov_fuzz name)
  if(NOT TOV_BUILD_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_definitions(${name} PRIVATE TOV_FUZZ_MAIN)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# tov_bench(name SOURCES ... DEPS ...): a Google Benchmark executable; never run as a test.
function(tov_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TOV_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
  # Benchmarks run on the demo chapter and the tests' data folders, as the tests do.
  target_compile_definitions(${name} PRIVATE TOV_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endfunction()
