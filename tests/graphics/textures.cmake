# The resource registry, textures and their container, and the bitmap fonts.
tov_test(graphics_texture_tests
  SOURCES resource_mgr_test.cpp texture_container_test.cpp font_test.cpp font_fuzz_test.cpp font_fuzz.cpp
  DEPS graphics vfs PkgConfig::STB
  GL)

# libFuzzer target for the ".font" descriptions (clang only); the same entry runs in
# graphics_texture_tests.
if(TOV_BUILD_FUZZ)
  add_executable(graphics_font_fuzz font_fuzz.cpp)
  target_compile_definitions(graphics_font_fuzz PRIVATE TOV_FUZZ_MAIN)
  target_compile_options(graphics_font_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(graphics_font_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(graphics_font_fuzz PRIVATE graphics)
endif()
