if(TARGET flash_runtime)
  tov_bench(flash_interpreter_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_interpreter_bench.cpp
    DEPS flash_runtime flash_movie)
  target_include_directories(flash_interpreter_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/flash/runtime)
endif()
