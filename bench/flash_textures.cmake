# Textures made from decoded 1024 x 768 pictures by the Direct3D handler on the headless device.
if(TARGET flash_render_d3d AND TARGET platform_graphics)
  tov_bench(flash_textures_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_textures_bench.cpp
    DEPS flash_render_d3d flash_render platform_graphics test_support)
endif()
