# Attribute trees, their access operations and their XML files.
tov_test(core_attr_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/attr_tree_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/attr_access_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/attr_xml_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/attr_xml_fuzz_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/attr_xml_fuzz.cpp
  DEPS core)

# libFuzzer target of the XML reader (clang only).
if(TOV_BUILD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(attr_xml_fuzzer ${CMAKE_CURRENT_LIST_DIR}/attr_xml_fuzz.cpp)
  target_compile_options(attr_xml_fuzzer PRIVATE -fsanitize=fuzzer ${TOV_WARNINGS})
  target_link_options(attr_xml_fuzzer PRIVATE -fsanitize=fuzzer)
  target_link_libraries(attr_xml_fuzzer PRIVATE core test_support)
endif()
