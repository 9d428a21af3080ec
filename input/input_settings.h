#pragma once
// The console variables the input object reads, behind one accessor.

namespace input_settings {

// `d_noCheckValidMouse`: the mouse position is not clamped to the window mapping.
bool noCheckValidMouse();

}  // namespace input_settings

namespace input_settings {
// Until the console variables are registered, the value lives here.
void setNoCheckValidMouse(bool on);
}  // namespace input_settings
