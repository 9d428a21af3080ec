# Script calls: native functions, bound value classes, named hooks and idle script timers.
if(TARGET script_objects)
  tov_bench(script_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/script_bench.cpp DEPS script core vfs)
endif()
