# The inventory: the level's periodic "inventory.update()" on the demo module with 20 items, and
# presses on the panel's inventory clips turned into their script calls.
if(TARGET levels AND TARGET game_fixture)
  tov_bench(inventory_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/inventory_bench.cpp DEPS game_fixture)
  target_compile_definitions(inventory_bench PRIVATE TOV_BENCH_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
