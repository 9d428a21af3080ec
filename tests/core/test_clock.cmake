# The fixed-step switch of reproducible runs, with every clock reader it governs.
tov_test(core_test_clock_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_clock_test.cpp
  DEPS core flash_base platform_input)
