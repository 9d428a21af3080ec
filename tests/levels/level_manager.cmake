# The level manager on the demo chapter with level graphs of its own, and the game program
# running a chain of levels.
tov_test(levels_manager_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/level_manager_test.cpp
  DEPS game_fixture)

tov_test(levels_chain_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/level_chain_test.cpp
  DEPS game_run swfwriter)
target_compile_definitions(levels_chain_tests PRIVATE TOV_GAME_PROGRAM="$<TARGET_FILE:game>")
add_dependencies(levels_chain_tests game)
