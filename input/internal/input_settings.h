#pragma once
// The console variables the input object reads, behind one accessor.

namespace input_settings {

// `d_noCheckValidMouse`: the mouse position is not clamped to the window mapping.
bool noCheckValidMouse();

}  // namespace input_settings
