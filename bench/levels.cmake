# The level base: a frame of a busy level, and a level's set-up from its description.
if(TARGET levels AND TARGET game_fixture)
  tov_bench(levels_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/levels_bench.cpp DEPS game_fixture)
  target_compile_definitions(levels_bench PRIVATE TOV_BENCH_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
