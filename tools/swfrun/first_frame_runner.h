#pragma once
// Runs what a movie's first frame does to script: its ActionScript 3 entry script, its init
// actions, then its frame actions, on a plain root character. (Frames after the first, drawing
// and input come with the sprites and the renderer.)
#include "flash/movie/movie_definition.h"
#include "flash/movie/player.h"

namespace swfrun {

// Runs frame 0 of def in owner; stops early once stop() answers true.
void run_first_frame(flash::player* owner, flash::movie_definition_sub* def, bool (*stop)());

}  // namespace swfrun
