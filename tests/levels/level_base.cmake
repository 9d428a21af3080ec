# The level base: construction from descriptions, the frame step, close-ups, the win sequence,
# minigames, elements, animations and the script classes, on the demo chapter.
tov_test(levels_base_tests GL SERIAL
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/level_construction_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/level_lifecycle_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/element_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/level_script_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/level_minigame_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/level_description_fuzz_test.cpp
  DEPS game_fixture)

# libFuzzer target over level descriptions (clang only); it starts the game once on the demo.
tov_fuzz(levels_description_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/level_description_fuzz_test.cpp
  DEPS game_fixture)
if(TARGET levels_description_fuzz)
  target_compile_definitions(levels_description_fuzz PRIVATE TOV_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
