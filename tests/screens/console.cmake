# The console: its input line, history and panel on their own, and the console in the game
# started in the test process on the demo chapter.
tov_test(screens_console_model_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_model_test.cpp
  DEPS screens)

tov_test(screens_console_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_test.cpp
  DEPS game_fixture)
