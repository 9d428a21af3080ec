# Shape tesselation, the mesh cache over a zoom, the path point test and the strip joiner.
if(TARGET flash_shape AND TARGET swfwriter)
  tov_bench(flash_shape_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_shape_bench.cpp
    DEPS flash_shape flash_swf flash_base swfwriter)
endif()
