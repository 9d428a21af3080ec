#include "input/input_settings.h"

namespace input_settings {
namespace {
bool s_noCheckValidMouse = false;
}

bool noCheckValidMouse() { return s_noCheckValidMouse; }
void setNoCheckValidMouse(bool on) { s_noCheckValidMouse = on; }

}  // namespace input_settings
