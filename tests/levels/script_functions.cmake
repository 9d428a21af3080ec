# The game's script functions of levels, tasks, the panel, sound, effects, the cursor and
# diagnostics, called from scripts on the demo chapter's room.
tov_test(levels_script_function_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/script_functions_test.cpp
  DEPS game_fixture)
