#pragma once
// Shared between the signal handler and the helper process.

namespace platform::crash::detail {

// argv[1] of the helper process; then report path, dump path, show flag ("1"/"0"), support
// address, message format, and for the fault line and each frame line a module path and the
// hexadecimal file offset of the address in it.
constexpr const char* kHelperMarker = "--tov-crash-helper";
constexpr int kHelperFixedArgs = 7;
// Lines of the register block between the fault line and the frame lines.
constexpr int kRegisterLines = 3;

}  // namespace platform::crash::detail
