# Loading a movie of mixed tags, compressed against plain.
if(TARGET flash_movie AND TARGET swfwriter)
  tov_bench(flash_movie_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_movie_bench.cpp
    DEPS flash_movie flash_runtime swfwriter ZLIB::ZLIB)
endif()
