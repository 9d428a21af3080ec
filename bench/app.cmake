# The game program: start-up, an idle frame, the text callback, a profile save.
if(TARGET app AND TARGET game_fixture)
  tov_bench(app_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_bench.cpp DEPS app game_fixture game_run audio_test_sounds)
endif()
