tov_bench(audio_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_bench.cpp ${CMAKE_SOURCE_DIR}/tests/support/ogg_maker.cpp
  DEPS platform_audio PkgConfig::VORBIS)
