#pragma once
// ".gsc" cache files: the meshes of a movie's shapes stored beside the movie, read right after the
// movie when the engine's use-cache-files switch is on, so a later run need not tesselate again.
namespace flash {

class movie_def_impl;

// The cache file of a movie path is this path followed by the suffix.
constexpr char cache_file_suffix[] = ".gsc";
// The format version the reader accepts and the writer writes.
constexpr int cache_file_version = 6;
// The id that ends the records (no character can carry it).
constexpr int cache_end_marker = 0xFFFF;

// Engine-wide; off until the host turns it on. With it on, movies are also read without their
// bitmaps' pixels.
void set_use_cache_files(bool on);
bool get_use_cache_files();

// Plays the movie through once, with nothing drawn or played, so that its shapes build their
// meshes before a cache file is written: a movie that stops is pushed on to its next frame, one
// that loops back jumps forward, until its last frame.
void precompute_cached_data(movie_def_impl* m);

}  // namespace flash
