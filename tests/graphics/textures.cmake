# The resource registry, textures and their container, and the bitmap fonts.
tov_test(graphics_texture_tests
  SOURCES resource_mgr_test.cpp texture_container_test.cpp font_test.cpp
  DEPS graphics vfs PkgConfig::STB
  GL)
