# Eight roots advanced and displayed together: the frame cost of a game screen.
if(TARGET flash_movie AND TARGET swfwriter)
  tov_bench(flash_root_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_root_bench.cpp
    DEPS flash_movie flash_runtime swfwriter)
endif()
