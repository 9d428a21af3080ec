# The heads-up panel and its task list on the demo chapter, with a test level; its golden picture.
tov_test(screens_main_panel_tests GL SERIAL
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/main_panel_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_panel_tasks_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_panel_golden_test.cpp
  DEPS game_fixture demo_layout)
