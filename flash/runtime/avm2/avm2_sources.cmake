# The ActionScript 3 sources of flash_runtime: ABC blocks, AS3 functions and classes, the AVM2
# interpreter and its listing.
set(FLASH_AVM2_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/abc_def.cpp
  ${CMAKE_CURRENT_LIST_DIR}/abc_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/as_3_function.cpp
  ${CMAKE_CURRENT_LIST_DIR}/avm2_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/avm2_disassembler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/avm2_interpreter.cpp)
