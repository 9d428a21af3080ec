#pragma once
// The vertex of the quad batcher: a transformed, lit and textured point of 28 bytes.
#include <cstdint>

namespace particle {

struct ParticleVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float rhw = 1.0f;
    uint32_t color = 0xFFFFFFFFu;
    float u = 0.0f, v = 0.0f;
};
static_assert(sizeof(ParticleVertex) == 28, "the batcher's stride is 28 bytes");

// D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1
constexpr uint32_t kParticleFVF = 0x144;

}  // namespace particle
