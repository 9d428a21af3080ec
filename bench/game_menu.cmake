# The pause menu: opened and closed over the game, and as the main menu's options.
if(TARGET game_fixture AND TARGET screens)
  tov_bench(game_menu_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/game_menu_bench.cpp DEPS game_fixture game_run)
endif()
