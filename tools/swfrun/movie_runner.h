#pragma once
// Plays a movie headless on a movie root: its top-level clip is made (frame 0 executed) and the
// root advanced step by step, running timeline actions, placements, removals, gotos and timers.
// (Drawing and input come with the renderer.)
#include "flash/movie/movie_definition.h"
#include "flash/movie/player.h"

namespace swfrun {

// Advances the root of def `frames` times by `step` seconds (the movie's frame time when step is
// 0); stops early once stop() answers true.
void run_frames(flash::player* owner, flash::movie_definition_sub* def, int frames, double step,
                bool (*stop)());

}  // namespace swfrun
