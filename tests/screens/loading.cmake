# The loading screen and its loader thread, on a copy of the demo chapter.
tov_test(screens_loading_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/loading_test.cpp
  DEPS game_fixture)
