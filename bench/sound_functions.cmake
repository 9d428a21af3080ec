# The sound script functions called from a level script on the demo room.
if(TARGET levels AND TARGET game_fixture)
  tov_bench(sound_functions_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/sound_functions_bench.cpp DEPS game_fixture game_run)
endif()
