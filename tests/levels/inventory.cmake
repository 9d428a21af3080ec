# The inventory and its script functions on the demo chapter's heads-up panel, with the demo room
# as the current level.
tov_test(levels_inventory_tests GL SERIAL
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/inventory_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inventory_functions_test.cpp
  DEPS game_fixture)
