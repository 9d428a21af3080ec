# 2,000 textured, blended quads a frame at 1024x768 through the graphics layer.
if(TARGET platform_graphics)
  tov_bench(graphics_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/graphics_bench.cpp DEPS platform_graphics platform test_support)
endif()
