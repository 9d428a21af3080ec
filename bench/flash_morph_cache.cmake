# A morph tween with two instances at different ratios, and a scene's meshes read from a cache
# file against tesselating them.
if(TARGET flash_movie AND TARGET swfwriter)
  tov_bench(flash_morph_cache_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_morph_cache_bench.cpp
    DEPS flash_movie flash_runtime swfwriter)
endif()
