# Reading and writing level-description-sized attribute documents.
tov_bench(attr_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/attr_bench.cpp DEPS core)
