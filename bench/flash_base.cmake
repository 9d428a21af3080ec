if(TARGET flash_base)
  tov_bench(flash_base_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_base_bench.cpp
    DEPS flash_base)
endif()
