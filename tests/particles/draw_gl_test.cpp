// The particle batcher on the real device: a known sprite drawn with two destination blend
// factors, compared pixel by pixel with the picture worked out by hand.
#include <gtest/gtest.h>

#include "platform/graphics/gfx_control.h"
#include "tests/particles/particle_fixture.h"
#include "tests/support/gl_fixture.h"

namespace particletest {
namespace {

constexpr int kWidth = 128, kHeight = 64;
constexpr uint32_t kBackground = 0xFF204080u;

class GlDrawTest : public ParticleTest {
protected:
    void SetUp() override {
        ParticleTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(m_gl.open(kWidth, kHeight, false));
        m_wrapper->setDevice(m_gl.device);
        CD3DDevice::setCacheDevice(m_gl.device);
        m_gl.device->SetRenderState(D3DRS_ZENABLE, FALSE);
        m_gl.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        m_gl.device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        m_gl.device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);

        // The sprite: 8 x 8 texels, the left half opaque red, the right half half-transparent white.
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(m_gl.device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (int y = 0; y < 8; ++y) {
            uint32_t* row =
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < 8; ++x) row[x] = x < 4 ? 0xFFFF0000u : 0x80FFFFFFu;
        }
        texture->UnlockRect(0);
        TexturePtr wrapped(new Texture(texture));
        wrapped->name = "golden.png";
        m_container->add(wrapped, "golden.png");
    }
    void TearDown() override {
        if (particle::fxParticleEffectMgr::instance()) m_manager->destroy();
        m_registry.reset();
        m_container.reset();
        CD3DDevice::setCacheDevice(nullptr);
        m_wrapper.reset();
        m_gl.close();
        ParticleTest::TearDown();
    }

    gfxtest::HeadlessDevice m_gl;
};

uint32_t channel(uint32_t argb, int shift) { return (argb >> shift) & 0xFF; }

TEST_F(GlDrawTest, KnownSpriteWithAdditiveAndAlphaBlending) {
    // Size 4 over an 8 x 8 rectangle centred at (4, 4): a 32 x 32 quad, still and fully opaque.
    Desc d;
    d.emission = 1;
    d.texture = "golden.png";
    d.rect[2] = 8, d.rect[3] = 8, d.rect[4] = 4, d.rect[5] = 4;
    d.curves["Size"] = {{0, 4}};
    d.curves["Rubbing"] = {{0, -1}};
    d.blend = 0x80;  // one: additive
    writeDescription("add.xml", d);
    d.blend = 0x800;  // inverse source alpha
    writeDescription("mix.xml", d);
    writeEffect("add", effectXml({{"add.xml"}}));
    writeEffect("mix", effectXml({{"mix.xml"}}));
    ASSERT_NE(m_manager->startEffect(32, 32, "add", false, true), nullptr);
    ASSERT_NE(m_manager->startEffect(96, 32, "mix", false, true), nullptr);
    m_manager->update(0.01f);
    ASSERT_EQ(m_manager->getParticleCount(), 2u);

    m_gl.device->BeginScene();
    m_gl.device->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0);
    m_manager->draw();
    m_gl.device->EndScene();
    platform::gfx::Image picture;
    ASSERT_TRUE(platform::gfx::readRenderTarget(m_gl.device, nullptr, picture));
    ASSERT_EQ(picture.width, kWidth);
    ASSERT_EQ(picture.height, kHeight);

    // The picture by hand. Background (0x20, 0x40, 0x80); source colour = texel (white vertices),
    // source factor = its alpha. Half alpha is 128/255.
    const float half = 128.0f / 255.0f;
    auto expected = [&](int x, int y, float rgb[3]) {
        const float bg[3] = {0x20, 0x40, 0x80};
        for (int c = 0; c < 3; ++c) rgb[c] = bg[c];
        const int left = x < 64 ? 16 : 80;
        if (y < 16 || y >= 48 || x < left || x >= left + 32) return;
        const bool red = x < left + 16;
        const float src[3] = {255, red ? 0.0f : 255, red ? 0.0f : 255};
        const float alpha = red ? 1.0f : half;
        const bool additive = x < 64;
        for (int c = 0; c < 3; ++c) {
            const float v = src[c] * alpha + bg[c] * (additive ? 1.0f : 1.0f - alpha);
            rgb[c] = v > 255 ? 255 : v;
        }
    };
    int compared = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            // Rasterisation rules at the edges of the quads and of the texel halves are not ours.
            auto near = [](int v, int edge) { return v >= edge - 1 && v <= edge; };
            if (near(y, 16) || near(y, 48) || near(x, 16) || near(x, 32) || near(x, 48) || near(x, 80) ||
                near(x, 96) || near(x, 112))
                continue;
            float want[3];
            expected(x, y, want);
            const uint32_t got = picture.argb(x, y);
            for (int c = 0; c < 3; ++c) {
                ASSERT_NEAR(static_cast<float>(channel(got, 16 - 8 * c)), want[c], 3.0f)
                    << "pixel " << x << "," << y << " channel " << c;
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 6500);
}

}  // namespace
}  // namespace particletest
