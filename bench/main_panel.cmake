# The heads-up panel: its frame with 20 notices, 10 of them sliding, and the task list's build.
if(TARGET game_fixture AND TARGET screens)
  tov_bench(main_panel_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_panel_bench.cpp DEPS game_fixture game_run)
endif()
