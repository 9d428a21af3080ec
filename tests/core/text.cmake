# Text, localised strings, math and random tables, storable values.
tov_test(core_text_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/storeable_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_chunk_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base64_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/string_utils_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/math_utils_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/random_tables_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/string_table_test.cpp
  DEPS core)
