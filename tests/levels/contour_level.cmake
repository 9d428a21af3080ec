# The contour level on the demo's close-up: drops within 30 pixels, the flight home, the modal
# refusal, the close-up's message, the forced win, restarts and a missing piece.
tov_test(levels_contour_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/contour_level_test.cpp
  DEPS game_fixture)
