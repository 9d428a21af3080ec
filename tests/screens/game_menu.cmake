# The pause menu on copies of the demo chapter: over a running level of a test kind (Escape, the
# panel's button, continue, quit, restart, the return to the main menu) and as the main menu's
# options, its sliders, knobs and full-screen switch, and its movie's missing parts.
tov_test(screens_game_menu_tests GL SERIAL
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/game_menu_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/game_menu_play_test.cpp
  DEPS screen_test_support)
