# The minigames: a 64-piece puzzle's restart, a frame of a 64-piece rotator with every piece
# turning, a letters frame with 16 letters flying; movies made by the demo's movie builder.
if(TARGET game_fixture AND TARGET demo_layout)
  tov_bench(minigames_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/minigames_bench.cpp ${CMAKE_SOURCE_DIR}/tools/demo/movie_builder.cpp
    DEPS game_fixture demo_layout swfwriter)
endif()
