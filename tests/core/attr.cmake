# Attribute trees, their access operations and their XML files.
tov_test(core_attr_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/attr_tree_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/attr_access_test.cpp
  DEPS core)
