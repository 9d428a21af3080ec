#include "input/internal/input_settings.h"

#include "core/cvar_catalogue.h"

namespace input_settings {

bool noCheckValidMouse() { return d_noCheckValidMouse && d_noCheckValidMouse->value.b; }

}  // namespace input_settings
