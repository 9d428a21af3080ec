# The demo chapter's generator and the headless runner on its main menu.
tov_bench(demo_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/demo_bench.cpp)
add_dependencies(demo_bench make-demo swfrun)
target_compile_definitions(demo_bench PRIVATE MAKE_DEMO="$<TARGET_FILE:make-demo>" SWFRUN="$<TARGET_FILE:swfrun>"
                           TOV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
