# The interpreter and Lua 5.1 side by side; its own main prints the ratio table.
if(TARGET flash_runtime)
  add_executable(script_loops_bench ${CMAKE_CURRENT_LIST_DIR}/script_loops_bench.cpp)
  target_compile_options(script_loops_bench PRIVATE ${TOV_WARNINGS})
  target_link_libraries(script_loops_bench PRIVATE flash_runtime flash_movie PkgConfig::LUA51
    benchmark::benchmark)
  target_include_directories(script_loops_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/flash/runtime)
endif()
