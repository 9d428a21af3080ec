# The letters, puzzle and rotator minigames on the demo chapter and on variants of its movies
# made by the demo's own movie builder; the heads-up skip button with them.
tov_test(levels_minigames_tests GL SERIAL
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/rotator_level_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/puzzle_level_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/letters_level_test.cpp
    ${CMAKE_SOURCE_DIR}/tools/demo/movie_builder.cpp
  DEPS game_fixture demo_layout swfwriter)

# The game program plays the demo's minigames from d_StartLevel to the end of the game.
tov_test(levels_minigames_run_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/minigames_run_test.cpp
  DEPS game_run)
target_compile_definitions(levels_minigames_run_tests PRIVATE TOV_GAME_PROGRAM="$<TARGET_FILE:game>")
add_dependencies(levels_minigames_run_tests game)
