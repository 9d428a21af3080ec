# One frame's input poll, and SDL events turned into device records.
if(TARGET input)
  tov_bench(input_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/input_bench.cpp DEPS input)
endif()
