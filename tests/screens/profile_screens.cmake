# The screens of the main menu, the message box and the profiles, on copies of the demo chapter
# in the test process (and the name entry in the game program). The demo's movies are rebuilt
# without some of their clips by the demo's own movie builder.
add_library(screen_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/screen_test_support.cpp
  ${CMAKE_SOURCE_DIR}/tools/demo/movie_builder.cpp)
target_compile_options(screen_test_support PRIVATE ${TOV_WARNINGS})
target_link_libraries(screen_test_support PUBLIC game_fixture game_run demo_layout swfwriter)

tov_test(screens_wiring_tests GL SERIAL
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/screen_wiring_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_menu_test.cpp
  DEPS screen_test_support)

tov_test(screens_msg_box_tests GL SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/msg_box_test.cpp
  DEPS screen_test_support)

tov_test(screens_profile_tests GL SERIAL
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/choose_profile_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/enter_name_test.cpp
  DEPS screen_test_support)
target_compile_definitions(screens_profile_tests PRIVATE TOV_GAME_PROGRAM="$<TARGET_FILE:game>")
add_dependencies(screens_profile_tests game)
