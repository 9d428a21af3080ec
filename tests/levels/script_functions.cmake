# The game's script functions on the demo room (elements and clips; levels, tasks, the panel,
# sound, effects, the cursor and diagnostics) and the registry of every game function and constant.
tov_test(levels_script_function_tests GL SERIAL
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/script_function_names_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/script_functions_clips_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/script_functions_elements_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/script_functions_test.cpp
  DEPS game_fixture)

# The script fuzz programs on the game's state with the demo room (a program of its own: it runs
# the game once more).
tov_test(levels_script_fuzz_tests GL SERIAL
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/script_functions_fuzz_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/script/script_fuzz.cpp
    ${CMAKE_SOURCE_DIR}/tests/script/test_classes.cpp
  DEPS game_fixture)
target_compile_definitions(levels_script_fuzz_tests PRIVATE TOV_SCRIPT_FUZZ_HOSTED)

tov_fuzz(levels_script_fuzz
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/script_functions_fuzz_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/script/script_fuzz.cpp
    ${CMAKE_SOURCE_DIR}/tests/script/test_classes.cpp
  DEPS game_fixture)
if(TARGET levels_script_fuzz)
  target_compile_definitions(levels_script_fuzz PRIVATE TOV_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TOV_SCRIPT_FUZZ_HOSTED)
endif()
