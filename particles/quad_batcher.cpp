#include "particles/quad_batcher.h"

#include <algorithm>
#include <cstring>

#include "graphics/d3d_device.h"
#include "platform/graphics/d3d9.h"

namespace particle {

QuadBatcher::QuadBatcher() : m_vertices(new ParticleVertex[kMaxVertices]) {}

const uint16_t* QuadBatcher::indices() {
    static const uint16_t* table = [] {
        static uint16_t built[kMaxVertices / 4 * 6];
        for (uint32_t q = 0; q < kMaxVertices / 4; ++q) {
            const uint16_t base = static_cast<uint16_t>(q * 4);
            uint16_t* out = built + q * 6;
            out[0] = base;
            out[1] = static_cast<uint16_t>(base + 1);
            out[2] = static_cast<uint16_t>(base + 2);
            out[3] = static_cast<uint16_t>(base + 2);
            out[4] = static_cast<uint16_t>(base + 3);
            out[5] = base;
        }
        return built;
    }();
    return table;
}

void QuadBatcher::beginBatch(const SpriteTexture& texture, uint32_t destBlend, uint32_t blend2, uint32_t blend3) {
    if (!(texture == m_bound)) m_bound = texture;
    bindSpriteTexture(m_bound);
    m_destBlend = destBlend;
    m_blend2 = blend2;
    m_blend3 = blend3;
    m_count = 0;
}

void QuadBatcher::addVertices(const ParticleVertex* vertices, uint32_t n) {
    while (n > 0) {
        const uint32_t take = std::min(n, kMaxVertices - m_count);
        std::memcpy(m_vertices.get() + m_count, vertices, take * sizeof(ParticleVertex));
        m_count += take;
        vertices += take;
        n -= take;
        if (m_count >= kMaxVertices) flush();
    }
}

void QuadBatcher::addQuad(const ParticleVertex* quad) {
    if (m_count >= kMaxVertices - 4) flush();
    std::memcpy(m_vertices.get() + m_count, quad, 4 * sizeof(ParticleVertex));
    m_count += 4;
}

void QuadBatcher::flush() {
    IDirect3DDevice9* device = drawingDevice();
    if (!device) {
        m_count = 0;
        return;
    }
    DWORD savedFVF = 0;
    device->GetFVF(&savedFVF);
    device->SetFVF(kParticleFVF);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, m_destBlend);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    // A draw of no primitives is an invalid call; an empty batch only sets the states.
    if (m_count >= 4) {
        device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, m_count, 2 * (m_count / 4), indices(),
                                       D3DFMT_INDEX16, m_vertices.get(), sizeof(ParticleVertex));
    }
    device->SetFVF(savedFVF);
    m_count = 0;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BLENDFACTOR);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    CD3DDevice::restoreStageDefaults(device);
}

}  // namespace particle
