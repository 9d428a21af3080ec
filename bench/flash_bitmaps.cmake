# Decoding 1024 x 768 movie bitmaps (JPEG2, Lossless2) against libjpeg and zlib alone.
if(TARGET flash_render AND TARGET swfwriter)
  tov_bench(flash_bitmaps_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_bitmaps_bench.cpp
    DEPS flash_render swfwriter PkgConfig::LIBJPEG ZLIB::ZLIB)
endif()
