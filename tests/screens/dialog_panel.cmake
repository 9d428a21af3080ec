# The dialog panel on the demo chapter's dialogs, in the test process, with a counting level in the
# demo room; movies rebuilt without some of their clips by the demo's own movie builder.
tov_test(screens_dialog_panel_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialog_panel_test.cpp
  DEPS screen_test_support)
