#include "input/time_text.h"

#include "core/string_utils.h"

namespace TextUtils {

namespace {
constexpr int32_t kSecondsPerMinute = 60;

// At least two digits: one digit gets a leading "0".
std::u16string twoDigits(int32_t value) {
    std::u16string digits = intToWString(value);
    return digits.size() < 2 ? u"0" + digits : digits;
}
}  // namespace

std::u16string timeText(int32_t seconds, const std::u16string& separator) {
    if (seconds < 0) seconds = 0;
    return twoDigits(seconds / kSecondsPerMinute) + separator + twoDigits(seconds % kSecondsPerMinute);
}

}  // namespace TextUtils
