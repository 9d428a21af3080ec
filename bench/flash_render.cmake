# A frame of 500 shapes (about 2,000 draws) drawn by the engine: with a handler that only counts
# the calls (the engine alone) and with the Direct3D handler on the headless device.
if(TARGET flash_render_d3d AND TARGET flash_movie AND TARGET swfwriter)
  tov_bench(flash_render_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_render_bench.cpp
    DEPS flash_render_d3d flash_movie flash_runtime swfwriter platform_graphics test_support)
endif()
