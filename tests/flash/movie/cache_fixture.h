#pragma once
// A small scene for the cache-file tests and the cache fuzz target: three shapes (filled,
// stroked and curved) whose meshes are built at two scales and written as a cache file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "flash/base/smart_ptr.h"
#include "flash/movie/movie_def_impl.h"
#include "movie_fixture.h"

namespace movietest {

namespace cache_movie {

// The movie's bytes, made once.
const bytes& movie();
// Its shapes' character ids.
const std::vector<uint16_t>& shape_ids();
// Each shape displayed at scale 1 and 4, so each holds two mesh sets.
void build_meshes(flash::movie_def_impl* def);
// The definition's cache file.
bytes write(flash::movie_def_impl* def);
// The movie read without a player, as a fresh definition (null when it cannot be read).
flash::smart_ptr<flash::movie_def_impl> load_alone();
// The cache file of the movie with every shape's meshes built.
bytes good_cache();
// The offset just after record `index` of a cache file of this movie (records in file order).
size_t record_end(const bytes& cache, int index);
// The number of its shapes that hold meshes.
size_t shapes_with_meshes(flash::movie_def_impl* def);

}  // namespace cache_movie

// One fuzz input read as the cache file of a fresh definition of the movie; the meshes read are
// then walked whole. Returns the number of mesh sets read.
int read_cache_bytes(const uint8_t* data, size_t size);

}  // namespace movietest
