if(TARGET flash_runtime)
  tov_bench(flash_runtime_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_runtime_bench.cpp DEPS flash_runtime flash_movie)
endif()
