#pragma once
// Precomputed random numbers that minigames and effects step through, and the generator behind
// them. The generator is the classic LCG so every platform yields the same sequence (0..32767).
#include <cstdint>

namespace core {

constexpr int kRandMax = 32767;
// Per thread, as the C runtime's generator: a thread that never seeds starts from seed 1.
int rand();
void srand(unsigned seed);

}  // namespace core

constexpr uint32_t kRandomTableSize = 65536;
// rand() × 1/32768: every entry in [0, 1).
extern float g_randomFloats[kRandomTableSize];
// rand(): every entry in 0..32767.
extern uint16_t g_randomInts[kRandomTableSize];
// Both wrap from 65535 to 0; users of the integer table step its index themselves.
extern uint16_t g_randomFloatIndex;
extern uint16_t g_randomIntIndex;

// Seeds the generator and fills both tables (per index: the integer entry, then the float entry);
// both indices become 0. A static initializer already does this with the time of day.
void initRandomTables(unsigned seed);
// Steps the float index first, so the first value after filling is entry 1.
float randomFloat();
float randomRange(float minimum, float maximum);
// The integer table's draw: steps its index and returns the new entry.
uint16_t randomInt();
