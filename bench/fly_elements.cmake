# The fly elements: a frame of 50 running flights on the demo room's clips.
if(TARGET levels AND TARGET game_fixture)
  tov_bench(fly_elements_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/fly_elements_bench.cpp DEPS game_fixture)
  target_compile_definitions(fly_elements_bench PRIVATE TOV_BENCH_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
