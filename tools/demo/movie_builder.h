#pragma once
// Turns a movie of the demo layout into SWF bytes with the project's SWF writer: each clip a
// sprite, button or edit-text character over one box shape, placed by name on the frames it
// stands on, with its frame labels and stop actions.
#include "tools/demo/demo_layout.h"
#include "tools/swfwriter/bit_writer.h"

namespace demo {

swf::Bytes buildMovie(const Movie& movie);

}  // namespace demo
