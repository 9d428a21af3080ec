# The ActionScript 1/2 interpreter's tests: assembled programs and their trace output, malformed
# bytes, the action listing, method calls, tags, extension modules and the fuzz entry's corpus.
tov_test(flash_interpreter_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/interpreter_programs_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interpreter_malformed_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/action_disassembler_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interpreter_calls_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interpreter_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interpreter_nesting_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interpreter_variables_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interpreter_rules_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/action_preparation_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interp_test_widget.cpp
  DEPS flash_runtime stub_engine)
target_include_directories(flash_interpreter_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})

# An extension module for the loader tests.
add_library(flash_interpreter_test_module MODULE ${CMAKE_CURRENT_LIST_DIR}/interp_test_module.cpp)
target_link_libraries(flash_interpreter_test_module PRIVATE flash_runtime)
add_dependencies(flash_interpreter_test flash_interpreter_test_module)
target_compile_definitions(flash_interpreter_test PRIVATE
  INTERP_TEST_MODULE="$<TARGET_FILE:flash_interpreter_test_module>")

if(TOV_BUILD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(flash_interpreter_fuzz ${CMAKE_CURRENT_LIST_DIR}/interpreter_fuzz.cpp)
  target_compile_definitions(flash_interpreter_fuzz PRIVATE INTERP_FUZZ_MAIN=1)
  target_compile_options(flash_interpreter_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(flash_interpreter_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_libraries(flash_interpreter_fuzz PRIVATE flash_runtime stub_engine)
endif()
