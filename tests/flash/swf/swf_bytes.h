#pragma once
// Little-endian pieces of hand-made record bodies.
#include <cstdint>
#include <vector>

namespace swftest {

using bytes = std::vector<uint8_t>;

inline bytes operator+(bytes a, const bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline bytes u16(uint16_t v) { return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}; }
inline bytes u32(uint32_t v) { return u16(static_cast<uint16_t>(v)) + u16(static_cast<uint16_t>(v >> 16)); }

// A matrix of translation (10, -2) and colour transforms adding (3, -1, 7[, -8]), 4-bit terms.
inline const bytes translation_10_m2 = {0x0A, 0xAF, 0x00};
inline const bytes add_rgb = {0x90, 0xFD, 0xC0};
inline const bytes add_rgba = {0x90, 0xFD, 0xE0};
// An identity matrix, and a colour transform with no terms.
inline const bytes identity_matrix = {0x00};
inline const bytes empty_cxform = {0x00};
// Stop, then End.
inline const bytes stop_end = {0x07, 0x00};
// One blur filter (id 1, 9 bytes of body) in a list of one.
inline const bytes one_blur = {1, 1, 0, 0, 2, 0, 0, 0, 2, 0, 0x08};
constexpr uint8_t marker = 0xA5;

}  // namespace swftest
