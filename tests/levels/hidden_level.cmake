# The hidden-object level on the demo room: groups, presses per kind, the use target, completion,
# hint, skip, labels and its script functions; and the room played through the game's input.
tov_test(levels_hidden_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/hidden_level_test.cpp
  DEPS game_fixture)

tov_test(levels_hidden_room_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/hidden_room_test.cpp
  DEPS game_fixture)
