# Mouse routing through the screens and a level, the cursor's frame, loading a replay.
if(TARGET app AND TARGET game_fixture)
  tov_bench(app_input_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_input_bench.cpp DEPS app game_fixture game_run audio_test_sounds)
endif()
