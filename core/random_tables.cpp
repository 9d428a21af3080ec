#include "core/random_tables.h"

#include <ctime>

namespace core {
namespace {
thread_local uint32_t t_state = 1;
}

int rand() {
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFF);
}

void srand(unsigned seed) { t_state = seed; }

}  // namespace core

float g_randomFloats[kRandomTableSize];
uint16_t g_randomInts[kRandomTableSize];
uint16_t g_randomFloatIndex = 0;
uint16_t g_randomIntIndex = 0;

void initRandomTables(unsigned seed) {
    core::srand(seed);
    for (uint32_t i = 0; i < kRandomTableSize; ++i) {
        g_randomInts[i] = static_cast<uint16_t>(core::rand());
        g_randomFloats[i] = static_cast<float>(core::rand()) * 3.0517578e-5f;
    }
    g_randomFloatIndex = 0;
    g_randomIntIndex = 0;
}

float randomFloat() { return g_randomFloats[++g_randomFloatIndex]; }

float randomRange(float minimum, float maximum) {
    return minimum + (maximum - minimum) * g_randomFloats[++g_randomFloatIndex];
}

uint16_t randomInt() { return g_randomInts[++g_randomIntIndex]; }

namespace {
// The tables are ready before the program entry, seeded by the time of day.
const bool s_randomTablesFilled = (initRandomTables(static_cast<unsigned>(std::time(nullptr))), true);
}  // namespace
