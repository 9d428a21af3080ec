#pragma once
// Shared between the input layer's files: the SDL event watch that feeds the devices.

namespace platform::detail {

// (Re)installs the watch; SDL forgets its watches when the event subsystem stops.
void ensureInputEventWatch();
// Runs the language-change handler (never under the devices' lock).
void raiseInputLanguageChange();

}  // namespace platform::detail
