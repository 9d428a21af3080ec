#pragma once
// The engine's random numbers: a lag-8 multiply-with-carry generator. One process-wide generator,
// seeded with 987654321 at start, serves the engine; roots step it once per frame step.
#include <cstdint>

namespace flash::bx_random {

class generator {
public:
    constexpr explicit generator(uint32_t seed = 987654321u) { seed_random(seed); }

    constexpr void seed_random(uint32_t seed) {
        if (seed == 0) seed = 12345;
        for (int k = 0; k < 8; ++k) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            m_q[k] = seed;
        }
        m_c = 362436;
        m_i = 7;
    }

    constexpr uint32_t next_random() {
        m_i = (m_i + 1) & 7;
        const uint64_t t = static_cast<uint64_t>(m_q[m_i]) * 716514398u + m_c;
        m_c = static_cast<uint32_t>(t >> 32);
        const uint32_t low = static_cast<uint32_t>(t);
        uint32_t x = low + m_c;
        if (x < low) {
            ++x;
            ++m_c;
        }
        m_q[m_i] = 0xFFFFFFFEu - x;
        return m_q[m_i];
    }

    float get_unit_float();

private:
    uint32_t m_q[8] = {};
    uint32_t m_c = 0;
    int m_i = 0;
};

// (value >> 8) / 16777215.0: a float in [0, 1]; 0xFFFFFFFF gives exactly 1.0.
float to_unit_float(uint32_t value);

// The process-wide generator. Like the rest of the engine, it is driven from one thread.
uint32_t next_random();
void seed_random(uint32_t seed);
float get_unit_float();

}  // namespace flash::bx_random
