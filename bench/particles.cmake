# Particle update and drawing through the quad batcher.
if(TARGET particles)
  tov_bench(particles_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/particles_bench.cpp DEPS particles)
endif()
