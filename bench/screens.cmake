# The screens of the main menu, the message box and the profiles: made and wired at start-up, and
# a message box shown and answered.
if(TARGET screens AND TARGET game_fixture)
  tov_bench(screens_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/screens_bench.cpp DEPS game_fixture game_run)
endif()
