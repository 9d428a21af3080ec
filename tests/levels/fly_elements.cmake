# The fly elements on a movie made by the tests, in the game started on the demo chapter.
tov_test(levels_fly_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fly_elements_test.cpp
  DEPS game_fixture swfwriter)
