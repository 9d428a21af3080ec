# The dialog panel: one dialog frame with the level's zoom running.
if(TARGET levels AND TARGET game_fixture)
  tov_bench(dialog_panel_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialog_panel_bench.cpp DEPS game_fixture game_run)
endif()
