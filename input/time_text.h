#pragma once
// The screens' time text: a number of seconds shown as minutes and seconds.
#include <cstdint>
#include <string>

namespace TextUtils {

// Minutes and seconds, each of at least two digits ("05"), joined by the separator: 65 seconds
// with ":" give "01:05". Minutes are not capped (6059 seconds give "100:59"); a negative count
// shows as zero.
std::u16string timeText(int32_t seconds, const std::u16string& separator);

}  // namespace TextUtils
