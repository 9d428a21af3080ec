# Measuring and drawing many short texts with a bitmap font, and decoding DDS/PNG images.
if(TARGET graphics)
  tov_bench(textures_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/textures_bench.cpp
    DEPS graphics vfs platform_image PkgConfig::STB test_support)
endif()
