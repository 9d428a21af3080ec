# The level hand-over: start-up to the main menu, level starts, the loading screen's frames.
if(TARGET levels AND TARGET game_fixture)
  tov_bench(level_manager_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/level_manager_bench.cpp DEPS game_fixture game_run)
endif()
