#include <gtest/gtest.h>

#include <cmath>

#include "particles/effect_mgr.h"
#include "tests/particles/particle_fixture.h"

namespace particletest {
namespace {

using particle::ParticleVertex;

class DrawTest : public ParticleTest {};

void expectStatesLeftForOthers(const SpyDevice& device) {
    EXPECT_EQ(device.state(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(device.state(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_BLENDFACTOR));
    EXPECT_EQ(device.state(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(device.stage(D3DTSS_COLORARG1), D3DTA_TEXTURE);
    EXPECT_EQ(device.stage(D3DTSS_ALPHAARG1), D3DTA_TEXTURE);
    EXPECT_EQ(device.stage(D3DTSS_COLORARG2), D3DTA_TFACTOR);
    EXPECT_EQ(device.stage(D3DTSS_ALPHAARG2), D3DTA_TFACTOR);
    EXPECT_EQ(device.stage(D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_SELECTARG1));
    EXPECT_EQ(device.stage(D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_SELECTARG1));
    EXPECT_EQ(device.fvf, 0x42u);  // the caller's vertex format comes back
}

TEST_F(DrawTest, AFullSystemIsOneIndexedDraw) {
    Desc d;
    d.emission = 5000;
    d.lifetime = -1;
    d.blend = 0x400;
    writeDescription("full.xml", d);
    writeEffect("full", effectXml({{"full.xml"}}));
    particle::fxParticleEffect2D* e = m_manager->startEffect(0, 0, "full", false, true);
    ASSERT_NE(e, nullptr);
    m_manager->update(1.0f);
    ASSERT_EQ(m_manager->getParticleCount(), 1024u);
    m_manager->draw();

    ASSERT_EQ(m_device.draws.size(), 1u);
    const DrawCall& call = m_device.draws[0];
    EXPECT_EQ(call.type, D3DPT_TRIANGLELIST);
    EXPECT_EQ(call.minIndex, 0u);
    EXPECT_EQ(call.numVertices, 4096u);
    EXPECT_EQ(call.primitiveCount, 2048u);
    EXPECT_EQ(call.indexFormat, D3DFMT_INDEX16);
    EXPECT_EQ(call.stride, 28u);
    EXPECT_EQ(call.fvf, 0x144u);
    EXPECT_EQ(call.texture, m_textures["spark.png"].get());
    const uint16_t quad[6] = {4, 5, 6, 6, 7, 4};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(call.indices[6 + k], quad[k]);
    EXPECT_EQ(call.indices[6 * 1023 + 5], 4092);
    EXPECT_EQ(call.states.at(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(call.states.at(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(call.states.at(D3DRS_DESTBLEND), 5u);  // 0x400 in the description
    EXPECT_EQ(call.stages.at({0, D3DTSS_COLORARG2}), D3DTA_DIFFUSE);
    EXPECT_EQ(call.stages.at({0, D3DTSS_COLOROP}), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(call.stages.at({0, D3DTSS_ALPHAOP}), static_cast<DWORD>(D3DTOP_MODULATE));
    expectStatesLeftForOthers(m_device);
}

TEST_F(DrawTest, ParticleCornersColourAndRotation) {
    Desc d;
    d.emission = 1;
    d.rect[0] = 0, d.rect[1] = 0, d.rect[2] = 32, d.rect[3] = 16, d.rect[4] = 8, d.rect[5] = 4;
    d.curves["Size"] = {{0, 2}};
    d.curves["Alpha"] = {{0, 0.5f}};
    d.curves["Rubbing"] = {{0, -1}};  // the particle holds still
    writeDescription("one.xml", d);
    writeEffect("one", effectXml({{"one.xml"}}));
    particle::fxParticleEffect2D* e = m_manager->startEffect(100, 50, "one", false, true);
    m_manager->update(0.1f);
    m_manager->draw();
    ASSERT_EQ(m_device.draws.size(), 1u);
    const auto& v = m_device.draws[0].vertices;
    ASSERT_EQ(v.size(), 4u);
    // Size 2, centre (8, 4), rectangle 32 x 16, no spin: (-16, -8) to (48, 24) around (100, 50).
    const float xs[4] = {84, 148, 148, 84}, ys[4] = {42, 42, 74, 74};
    const float us[4] = {0, 0.5f, 0.5f, 0}, vs[4] = {0, 0, 0.5f, 0.5f};
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(v[k].x, xs[k]) << k;
        EXPECT_FLOAT_EQ(v[k].y, ys[k]) << k;
        EXPECT_FLOAT_EQ(v[k].u, us[k]) << k;
        EXPECT_FLOAT_EQ(v[k].v, vs[k]) << k;
        EXPECT_EQ(v[k].color, 0x7FFFFFFFu);
        EXPECT_EQ(v[k].rhw, 1.0f);
    }
    (void)e;

    // Spin 1 rad/s at age 1.5708 s: a quarter turn through the degree tables.
    Desc spin = d;
    spin.curves["Spin"] = {{0, 1}};
    writeDescription("spin.xml", spin);
    writeEffect("spin", effectXml({{"spin.xml"}}));
    m_manager->clearEffects();
    m_manager->startEffect(0, 0, "spin", false, true);
    m_manager->update(0.0001f);
    m_manager->update(1.5707f);
    m_device.draws.clear();
    m_manager->draw();
    ASSERT_EQ(m_device.draws.size(), 1u);
    const auto& r = m_device.draws[0].vertices;
    // (-16, -8) turned by 90 degrees is (8, -16).
    EXPECT_NEAR(r[0].x, 8, 1e-3);
    EXPECT_NEAR(r[0].y, -16, 1e-3);
}

TEST_F(DrawTest, EmptySystemsSetStatesWithoutDrawing) {
    Desc d;
    writeDescription("quiet.xml", d);
    writeEffect("quiet", effectXml({{"quiet.xml"}}));
    m_manager->startEffect(0, 0, "quiet", false, true);
    m_manager->draw();
    EXPECT_TRUE(m_device.draws.empty());
    EXPECT_EQ(m_device.boundTextures.size(), 1u);
    expectStatesLeftForOthers(m_device);
}

TEST_F(DrawTest, BatcherSplitsAtFourThousandNinetySixVertices) {
    particle::QuadBatcher& batcher = m_manager->batcher();
    particle::SpriteTexture none;
    batcher.beginBatch(none, 2, 7, 0);
    std::vector<ParticleVertex> many(4096 + 8);
    batcher.addVertices(many.data(), static_cast<uint32_t>(many.size()));
    ASSERT_EQ(m_device.draws.size(), 1u);
    EXPECT_EQ(m_device.draws[0].numVertices, 4096u);
    EXPECT_EQ(batcher.vertexCount(), 8u);
    for (int i = 0; i < 1021; ++i) batcher.addQuad(many.data());
    EXPECT_EQ(batcher.vertexCount(), 4092u);
    EXPECT_EQ(m_device.draws.size(), 1u);
    batcher.addQuad(many.data());  // 4,092 held: flushed first
    ASSERT_EQ(m_device.draws.size(), 2u);
    EXPECT_EQ(m_device.draws[1].numVertices, 4092u);
    EXPECT_EQ(batcher.vertexCount(), 4u);
    batcher.flush();
    EXPECT_EQ(m_device.draws.size(), 3u);
    EXPECT_EQ(m_device.draws[2].primitiveCount, 2u);
}

}  // namespace
}  // namespace particletest
