#pragma once
// Draws particles as textured quads: vertices are collected in one array of 4,096 (1,024 quads)
// and sent in one indexed draw per flush, without a vertex buffer.
#include <cstdint>
#include <memory>

#include "particles/particle_vertex.h"
#include "particles/texture_link.h"

namespace particle {

class QuadBatcher {
public:
    static constexpr uint32_t kMaxVertices = 4096;

    QuadBatcher();

    // Binds the texture to stage 0 (replacing the kept one when it differs), stores the blend
    // values and empties the batch.
    void beginBatch(const SpriteTexture& texture, uint32_t destBlend, uint32_t blend2, uint32_t blend3);
    // Appends vertices, flushing whenever the array is full.
    void addVertices(const ParticleVertex* vertices, uint32_t n);
    // Appends one quad, flushing first when it would not fit.
    void addQuad(const ParticleVertex* quad);
    // Sets the blend and stage states, draws what is held and leaves the states that the other
    // drawing code expects. An empty batch sets the states but draws nothing.
    void flush();

    uint32_t vertexCount() const { return m_count; }
    const ParticleVertex* vertices() const { return m_vertices.get(); }
    uint32_t destBlend() const { return m_destBlend; }
    // Drops the kept texture (at shutdown).
    void releaseTexture() { m_bound = SpriteTexture(); }

    // The shared index table: quad i uses 4i, 4i+1, 4i+2, 4i+2, 4i+3, 4i.
    static const uint16_t* indices();

private:
    SpriteTexture m_bound;
    uint8_t m_flags = 0;
    uint32_t m_destBlend = 2;
    uint32_t m_blend2 = 0;
    uint32_t m_blend3 = 0;
    uint32_t m_count = 0;
    std::unique_ptr<ParticleVertex[]> m_vertices;
};

}  // namespace particle
