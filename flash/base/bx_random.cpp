#include "flash/base/bx_random.h"

namespace flash::bx_random {

namespace {
// Constant-initialised, so other start-up code may already draw from it.
constinit generator g_generator{987654321u};
}  // namespace

float to_unit_float(uint32_t value) { return static_cast<float>((value >> 8) / 16777215.0); }

float generator::get_unit_float() { return to_unit_float(next_random()); }

uint32_t next_random() { return g_generator.next_random(); }
void seed_random(uint32_t seed) { g_generator.seed_random(seed); }
float get_unit_float() { return g_generator.get_unit_float(); }

}  // namespace flash::bx_random
