# Playing a scene of clips: advance and display of the top-level clip.
if(TARGET flash_movie AND TARGET swfwriter)
  tov_bench(flash_sprites_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_sprites_bench.cpp
    DEPS flash_movie flash_runtime swfwriter)
endif()
