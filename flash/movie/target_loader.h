#pragma once
// Loading movies and images into target clips for scripts (loadMovie, GetURL, MovieClipLoader)
// and taking them away again. A loaded movie is a new clip of the movie's definition standing
// where the target stood: same parent, depth, name, transform and colour; loaded into the
// top-level movie ("_level0") it becomes the root's new top-level movie. An image is shown by a
// bitmap in the target's place the same way. Files come only through the engine's file opener,
// named relative to the working folder.
#include "flash/base/bx_string.h"

namespace flash {

class as_object;
class character;
class movie_definition_sub;
class player;

// The loaded and total bytes of a whole movie's definition; 0 for anything else. A movie is read
// whole when it is created, so its reading has always ended when these are asked.
int get_movie_bytes_loaded(const movie_definition_sub* def);
int get_movie_bytes_total(const movie_definition_sub* def);

// The definition a clip plays; null for characters that are not clips.
movie_definition_sub* get_clip_movie(character* clip);

// A new clip of def put where target stands; null (logged) when the target has no place to
// stand in (no parent clip and not a root's top-level movie).
character* replace_with_movie(character* target, movie_definition_sub* def);

// The engine instance's load into a target: file type 1 a movie, 2 a JPEG image, 0 with an
// empty url unloads what the target shows.
void load_into_target(player* owner, const char* url, int file_type, as_object* target);

}  // namespace flash
