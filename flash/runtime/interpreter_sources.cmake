# The ActionScript 1/2 execution sources of flash_runtime: action buffers, their preparation into
# steps and their listing, script functions and method calls, frame action tags, the
# interpreter, the extension loader and the global functions that need no movie.
set(FLASH_INTERPRETER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/action_buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/action_disassembler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/action_preparation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/action_tags.cpp
  ${CMAKE_CURRENT_LIST_DIR}/as_s_function.cpp
  ${CMAKE_CURRENT_LIST_DIR}/character.cpp
  ${CMAKE_CURRENT_LIST_DIR}/extension_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/global_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/interpreter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/interpreter_dispatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/interpreter_movie.cpp
  ${CMAKE_CURRENT_LIST_DIR}/interpreter_objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/interpreter_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/interpreter_variables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/method_call.cpp)
