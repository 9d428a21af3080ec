# The movie level on the demo chapter's cut scenes.
tov_test(levels_movie_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/movie_level_test.cpp
  DEPS game_fixture swfwriter)
