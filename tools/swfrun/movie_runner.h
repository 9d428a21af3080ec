#pragma once
// Plays a movie headless: its top-level clip is made (frame 0 executed) and advanced frame by
// frame, running timeline actions, placements, removals and gotos. (Drawing and input come with
// the renderer and the movie root.)
#include "flash/movie/movie_definition.h"
#include "flash/movie/player.h"

namespace swfrun {

// Advances def's top-level clip `frames` times by `step` seconds (the movie's frame time when
// step is 0); stops early once stop() answers true.
void run_frames(flash::player* owner, flash::movie_definition_sub* def, int frames, double step,
                bool (*stop)());

}  // namespace swfrun
