# File system lookups and archive reading.
if(TARGET vfs)
  tov_bench(vfs_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/vfs_bench.cpp DEPS vfs ZLIB::ZLIB)
endif()
