# The console: a print while the output holds its 10,000 lines, and Tab over every console
# variable and 500 script globals.
if(TARGET screens AND TARGET game_fixture)
  tov_bench(console_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_bench.cpp DEPS game_fixture game_run)
endif()
