# The resource registry, textures and their container, and the bitmap fonts.
tov_test(graphics_texture_tests
  SOURCES resource_mgr_test.cpp texture_container_test.cpp font_test.cpp font_fuzz_test.cpp font_fuzz.cpp
  DEPS graphics vfs PkgConfig::STB
  GL)

# libFuzzer target for the ".font" descriptions (clang only); the same entry runs in
# graphics_texture_tests.
tov_fuzz(graphics_font_fuzz SOURCES font_fuzz.cpp DEPS graphics)
