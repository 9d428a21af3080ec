# The hidden-object scene: whole game frames of the demo room and of a room grown to 200 objects
# at bench time, the same frame on the offscreen GL driver, and a served press.
if(TARGET levels AND TARGET game_fixture AND TARGET demo_layout)
  tov_bench(hidden_level_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/hidden_level_bench.cpp ${CMAKE_SOURCE_DIR}/tools/demo/movie_builder.cpp
    DEPS game_fixture demo_layout swfwriter)
endif()
