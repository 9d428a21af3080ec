#pragma once
// Expected encodings written as the bits the format describes: "0 00011 00000 1" is a
// style-change record field by field. Spaces are ignored; the last byte is padded with zeros.
#include <cstdint>
#include <string_view>
#include <vector>

inline std::vector<uint8_t> bits(std::string_view text) {
    std::vector<uint8_t> out;
    int count = 0;
    uint8_t current = 0;
    for (char c : text) {
        if (c != '0' && c != '1') continue;
        current = static_cast<uint8_t>((current << 1) | (c == '1'));
        if (++count == 8) {
            out.push_back(current);
            current = 0;
            count = 0;
        }
    }
    if (count > 0) out.push_back(static_cast<uint8_t>(current << (8 - count)));
    return out;
}

inline std::vector<uint8_t> join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
