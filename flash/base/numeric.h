#pragma once
// Small numeric helpers of the engine: integer and float clamps, conversions, float functions and
// the finite-or-zero rule (a NaN or a value beyond the largest finite float is stored as 0.0).
#include <cmath>
#include <cstring>
#include <limits>

namespace flash {

inline int imax(int a, int b) { return a < b ? b : a; }
inline int imin(int a, int b) { return a < b ? a : b; }
inline int iclamp(int value, int low, int high) { return imax(low, imin(value, high)); }

inline float fmax(float a, float b) { return b <= a ? a : b; }
inline float fmin(float a, float b) { return b <= a ? b : a; }
inline float fclamp(float value, float low, float high) {
    return value < low ? low : (value > high ? high : value);
}
inline float flerp(float a, float b, float t) { return a + (b - a) * t; }

// Whether a value survives the finite-or-zero rule.
inline bool is_finite_float(double value) {
    return !std::isnan(value) && value >= -3.4028234663852886e38 && value <= 3.4028234663852886e38;
}

// Whether the integer part of d toward zero is an int (false for NaN): the one range test of the
// conversions below, which differ only in what they give outside it.
inline bool truncates_to_int(double d) { return d > -2147483649.0 && d < 2147483648.0; }

// The integer part toward zero; values outside the int range give 0.
inline int dtrunc(double d) { return truncates_to_int(d) ? static_cast<int>(d) : 0; }
// The one conversion of a script's number to an int: its integer part toward zero. A number past
// either end of the int range saturates to that end and NaN gives 0; both answer false, so that
// the caller can log why it saturated or refused.
inline bool to_int_checked(double d, int* out) {
    if (truncates_to_int(d)) {
        *out = static_cast<int>(d);
        return true;
    }
    if (std::isnan(d)) *out = 0;
    else *out = d > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    return false;
}
inline int ftrunc(float value) { return dtrunc(value); }
// The integer part (toward zero) of value + 0.5.
inline int frnd(float value) { return dtrunc(static_cast<double>(value) + 0.5); }

inline float fcos(float a) { return std::cos(a); }
inline float fsin(float a) { return std::sin(a); }
inline float fsqrt(float a) { return std::sqrt(a); }
inline float fatan2(float y, float x) { return std::atan2(y, x); }
inline float flog(float a) { return std::log(a); }
inline float flog2(float a) { return std::log(a) / 0.6931471824645996f; }

inline float get_nan() { return std::numeric_limits<float>::quiet_NaN(); }

inline void finite_assign(float& dst, double value) {
    dst = is_finite_float(value) ? static_cast<float>(value) : 0.0f;
}
inline void finite_add(float& dst, double value) {
    finite_assign(dst, static_cast<double>(dst) + value);
}
inline void finite_multiply(float& dst, double value) {
    finite_assign(dst, static_cast<double>(dst) * value);
}

// Byte-wise equality of two 8-byte keys.
inline bool equal_8_bytes(const void* a, const void* b) { return std::memcmp(a, b, 8) == 0; }

}  // namespace flash
