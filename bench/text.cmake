# Text helpers and the localised string table.
tov_bench(text_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_bench.cpp DEPS core)
