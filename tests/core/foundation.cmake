tov_test(core_foundation_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/mmgr_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_stream_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/thread_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/shared_ptr_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/templates_test.cpp
  DEPS core)

# Writes log lines while a test reads them from the viewer's pipe.
add_executable(log_pipe_child ${CMAKE_CURRENT_LIST_DIR}/log_pipe_child.cpp)
target_link_libraries(log_pipe_child PRIVATE core)
add_dependencies(core_foundation_tests log_pipe_child)
target_compile_definitions(core_foundation_tests PRIVATE LOG_PIPE_CHILD="$<TARGET_FILE:log_pipe_child>")
