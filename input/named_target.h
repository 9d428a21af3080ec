#pragma once
// Where a named clip of a movie stands, for the "@NAME" entries of input scripts: the first
// character of that instance name below the movie (searched deep), the centre of its bounds in
// stage pixels and its rotation in degrees. The game asks its screens and level in turn; swfrun
// asks its one root.
#include <optional>
#include <string>

#include "input/input_script.h"

namespace flash {
class character;
}

namespace inputscript {

// The character's world bounds centre (stage pixels) and world rotation (degrees).
Target targetOf(flash::character* ch);
// The named character below `movie` (a sprite; anything else finds nothing), deep.
flash::character* findNamed(flash::character* movie, const std::string& name);
std::optional<Target> findNamedTarget(flash::character* movie, const std::string& name);

}  // namespace inputscript
