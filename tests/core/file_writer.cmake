# The file writer.
tov_test(core_file_writer_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_writer_test.cpp
  DEPS core)
