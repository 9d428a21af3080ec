// Drawing through the GL device, checked a few pixels per feature with a +/-1 tolerance.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/support/gl_fixture.h"

using gfxtest::near;
using gfxtest::Vertex;

namespace {

class Drawing : public gfxtest::GlDevice {
protected:
    void SetUp() override { open(64, 48); }
};

TEST_F(Drawing, ClearFillsTheViewportWhateverTheWriteMasks) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    D3DVIEWPORT9 vp{10, 12, 20, 8, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&vp), D3D_OK);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
    auto img = read();
    EXPECT_TRUE(near(img.argb(10, 12), 0x0000FF));
    EXPECT_TRUE(near(img.argb(29, 19), 0x0000FF));
    EXPECT_TRUE(near(img.argb(9, 12), 0xFF0000));
    EXPECT_TRUE(near(img.argb(30, 19), 0xFF0000));
    EXPECT_TRUE(near(img.argb(10, 20), 0xFF0000));
    // A rectangle is cut to the viewport too.
    D3DRECT r{0, 0, 12, 14};
    ASSERT_EQ(device->Clear(1, &r, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    img = read();
    EXPECT_TRUE(near(img.argb(11, 13), 0x00FF00));
    EXPECT_TRUE(near(img.argb(12, 13), 0x0000FF));
    EXPECT_TRUE(near(img.argb(5, 5), 0xFF0000));
}

TEST_F(Drawing, PointFilteredCheckerIsCopiedTexelForTexel) {
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(tex->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            uint32_t c = ((x + y) & 1) ? 0xFF102030u : 0xFFE0D0C0u;
            c += static_cast<uint32_t>(x * 4 + y);  // every texel distinct
            std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, &c, 4);
        }
    ASSERT_EQ(tex->UnlockRect(0), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetTexture(0, tex);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    quad(8, 8, 12, 12, 0xFFFFFFFF);
    auto img = read();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            uint32_t c = (((x + y) & 1) ? 0xFF102030u : 0xFFE0D0C0u) + static_cast<uint32_t>(x * 4 + y);
            EXPECT_TRUE(near(img.argb(8 + x, 8 + y), c & 0xFFFFFF, 0)) << x << "," << y;
        }
    EXPECT_TRUE(near(img.argb(7, 8), 0));
    EXPECT_TRUE(near(img.argb(12, 11), 0));
    device->SetTexture(0, nullptr);
    EXPECT_EQ(tex->Release(), 0u);
}

struct BlendCase {
    D3DBLEND src, dst;
    D3DCOLOR factor, source, dest, expected;
};

TEST_F(Drawing, BlendFactorTable) {
    const BlendCase cases[] = {
        {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0, 0x80FF0000, 0xFF0000FF, 0x80007F},
        {D3DBLEND_ONE, D3DBLEND_ONE, 0, 0xFF404040, 0xFF102030, 0x506070},
        {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0, 0xFF808080, 0xFF804020, 0x402010},
        {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0, 0xFF808080, 0xFFFF4020, 0x802010},
        {D3DBLEND_BLENDFACTOR, D3DBLEND_INVSRCALPHA, 0x40404040, 0xFFFFFFFF, 0xFF000000, 0x404040},
        {D3DBLEND_INVBLENDFACTOR, D3DBLEND_ONE, 0xC0C0C0C0, 0xFF800000, 0xFF000020, 0x200020},
        {D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0, 0x40FFFFFF, 0xFF101010, 0x505050},
        {D3DBLEND_ONE, D3DBLEND_ZERO, 0, 0x00123456, 0xFFFFFFFF, 0x123456},
    };
    diffuseOnly();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    int i = 0;
    for (const auto& c : cases) {
        int x = 4 + i * 6;
        D3DRECT r{x, 4, x + 4, 8};
        device->Clear(1, &r, D3DCLEAR_TARGET, c.dest, 1.0f, 0);
        device->SetRenderState(D3DRS_SRCBLEND, c.src);
        device->SetRenderState(D3DRS_DESTBLEND, c.dst);
        device->SetRenderState(D3DRS_BLENDFACTOR, c.factor);
        quad(static_cast<float>(x), 4, static_cast<float>(x + 4), 8, c.source);
        ++i;
    }
    auto img = read();
    i = 0;
    for (const auto& c : cases) {
        EXPECT_TRUE(near(img.argb(5 + i * 6, 5), c.expected)) << "case " << i;
        ++i;
    }
}

TEST_F(Drawing, AlphaTestDropsAlphaBelowTheReference) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    diffuseOnly();
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 15);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    quad(0, 0, 8, 8, 0x0EFF0000);   // alpha 14: dropped
    quad(8, 0, 16, 8, 0x0F00FF00);  // alpha 15: kept
    auto img = read();
    EXPECT_TRUE(near(img.argb(4, 4), 0x000000));
    EXPECT_TRUE(near(img.argb(12, 4), 0x00FF00));
}

TEST_F(Drawing, StencilWrittenThenEqualClips) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    diffuseOnly();
    // The movie renderer's mask: stencil only, colour writes off.
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_STENCILREF, 1);
    device->SetRenderState(D3DRS_STENCILMASK, 1);
    device->SetRenderState(D3DRS_STENCILWRITEMASK, 1);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
    quad(10, 10, 20, 20, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    quad(0, 0, 64, 48, 0xFF00FF00);
    auto img = read();
    EXPECT_TRUE(near(img.argb(10, 10), 0x00FF00));
    EXPECT_TRUE(near(img.argb(19, 19), 0x00FF00));
    EXPECT_TRUE(near(img.argb(9, 10), 0));
    EXPECT_TRUE(near(img.argb(20, 15), 0));
    EXPECT_TRUE(near(img.argb(40, 40), 0));
}

TEST_F(Drawing, TextureFactorWithSelectArg2RidesInOneBatch) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    platform::gfx::resetStats(device);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF123456);
    quad(0, 0, 8, 8, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF654321);
    quad(8, 0, 16, 8, 0xFFFFFFFF);
    auto img = read();
    EXPECT_TRUE(near(img.argb(3, 3), 0x123456));
    EXPECT_TRUE(near(img.argb(12, 3), 0x654321));
    auto stats = platform::gfx::deviceStats(device);
    EXPECT_EQ(stats.drawCalls, 2u);
    EXPECT_EQ(stats.glDrawCalls, 1u);
}

TEST_F(Drawing, DefaultCullingDropsCounterClockwiseTriangles) {
    ASSERT_EQ(device->Release(), 0u);  // start from a fresh device with every default state
    device = nullptr;
    D3DPRESENT_PARAMETERS pp = params;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &pp, &device), D3D_OK);
    DWORD cull = 0;
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    diffuseOnly();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetFVF(gfxtest::kFvf);
    Vertex cw[3] = {{0, 0, 0, 1, 0xFFFF0000, 0, 0}, {20, 0, 0, 1, 0xFFFF0000, 0, 0}, {0, 20, 0, 1, 0xFFFF0000, 0, 0}};
    Vertex ccw[3] = {{30, 0, 0, 1, 0xFF00FF00, 0, 0}, {30, 20, 0, 1, 0xFF00FF00, 0, 0}, {50, 0, 0, 1, 0xFF00FF00, 0, 0}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, cw, sizeof(Vertex));
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, ccw, sizeof(Vertex));
    auto img = read();
    EXPECT_TRUE(near(img.argb(3, 3), 0xFF0000));
    EXPECT_TRUE(near(img.argb(33, 3), 0x000000));
}

TEST_F(Drawing, VertexFormatWithoutColourDrawsWhite) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    diffuseOnly();
    struct P {
        float x, y, z, rhw;
    } v[4] = {{-0.5f, -0.5f, 0, 1}, {7.5f, -0.5f, 0, 1}, {-0.5f, 7.5f, 0, 1}, {7.5f, 7.5f, 0, 1}};
    device->SetFVF(D3DFVF_XYZRHW);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(P)), D3D_OK);
    auto img = read();
    EXPECT_TRUE(near(img.argb(0, 0), 0xFFFFFF));
    EXPECT_TRUE(near(img.argb(7, 7), 0xFFFFFF));
    EXPECT_TRUE(near(img.argb(8, 8), 0));
}

TEST_F(Drawing, VertexBufferAndIndexedDrawsMatchTheirSources) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    diffuseOnly();
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * 24, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0x104, D3DPOOL_DEFAULT, &vb,
                                         nullptr),
              D3D_OK);
    float* p = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<void**>(&p), D3DLOCK_DISCARD), D3D_OK);
    const float quadXY[4][2] = {{-0.5f, -0.5f}, {9.5f, -0.5f}, {-0.5f, 9.5f}, {9.5f, 9.5f}};
    for (int i = 0; i < 4; ++i) {
        float v[6] = {quadXY[i][0], quadXY[i][1], 0, 1, 0, 0};
        std::memcpy(p + i * 6, v, sizeof v);
    }
    vb->Unlock();
    device->SetFVF(0x104);
    device->SetStreamSource(0, vb, 0, 24);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 3), D3DERR_INVALIDCALL);  // past the buffer's end
    device->SetStreamSource(0, nullptr, 0, 0);
    EXPECT_EQ(vb->Release(), 0u);

    // The particle batcher's shape: indexed quads from a user array.
    Vertex v[4] = {{19.5f, -0.5f, 0, 1, 0xFF0000FF, 0, 0},
                   {29.5f, -0.5f, 0, 1, 0xFF0000FF, 0, 0},
                   {29.5f, 9.5f, 0, 1, 0xFF0000FF, 0, 0},
                   {19.5f, 9.5f, 0, 1, 0xFF0000FF, 0, 0}};
    const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
    device->SetFVF(gfxtest::kFvf);
    ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, idx, D3DFMT_INDEX16, v, sizeof(Vertex)),
              D3D_OK);
    const uint16_t bad[3] = {0, 1, 7};
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, bad, D3DFMT_INDEX16, v, sizeof(Vertex)),
              D3DERR_INVALIDCALL);
    auto img = read();
    EXPECT_TRUE(near(img.argb(5, 5), 0xFFFFFF));
    EXPECT_TRUE(near(img.argb(25, 5), 0x0000FF));
    EXPECT_TRUE(near(img.argb(15, 5), 0));
}

// The render handler's way of drawing: one dynamic buffer refilled with DISCARD for every draw
// (each draw keeps the vertices it was given), a line strip one pixel wide, and a texture that
// repeats under WRAP and stretches its edge texels under CLAMP.
TEST_F(Drawing, DiscardedBufferLinesAndAddressModes) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(tex->LockRect(0, &lr, nullptr, 0), D3D_OK);
    const uint32_t texels[2] = {0xFFFF0000, 0xFF00FF00};
    std::memcpy(lr.pBits, texels, sizeof texels);
    tex->UnlockRect(0);
    device->SetTexture(0, tex);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * 24, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0x104, D3DPOOL_DEFAULT, &vb,
                                         nullptr),
              D3D_OK);
    device->SetFVF(0x104);
    device->SetStreamSource(0, vb, 0, 24);
    // A quad of 8 x 4 pixels at (x, 0) whose u runs from 0 to 4: two texels, so four repeats.
    auto drawQuad = [&](float x, D3DTEXTUREADDRESS address) {
        float* p = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<void**>(&p), D3DLOCK_DISCARD), D3D_OK);
        const float corners[4][4] = {{x, 0, 0, 0}, {x + 8, 0, 4, 0}, {x, 4, 0, 1}, {x + 8, 4, 4, 1}};
        for (int i = 0; i < 4; ++i) {
            float v[6] = {corners[i][0] - 0.5f, corners[i][1] - 0.5f, 0, 1, corners[i][2], corners[i][3]};
            std::memcpy(p + i * 6, v, sizeof v);
        }
        vb->Unlock();
        device->SetSamplerState(0, D3DSAMP_ADDRESSU, address);
        ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    };
    drawQuad(0, D3DTADDRESS_WRAP);
    drawQuad(16, D3DTADDRESS_CLAMP);
    // Two line segments along row 10 and column 40, from a user array.
    device->SetTexture(0, nullptr);
    diffuseOnly();
    const Vertex line[3] = {{2, 10, 0, 1, 0xFFFFFFFF, 0, 0}, {30, 10, 0, 1, 0xFFFFFFFF, 0, 0},
                            {30, 20, 0, 1, 0xFFFFFFFF, 0, 0}};
    device->SetFVF(gfxtest::kFvf);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_LINESTRIP, 2, line, sizeof(Vertex)), D3D_OK);
    auto img = read();
    // WRAP: red, green, red, green ... one pixel each.
    for (int x = 0; x < 8; ++x) EXPECT_TRUE(near(img.argb(x, 2), x % 2 ? 0x00FF00 : 0xFF0000)) << x;
    // CLAMP: the first texel, then the last stretched to the end.
    EXPECT_TRUE(near(img.argb(16, 2), 0xFF0000));
    for (int x = 18; x < 24; ++x) EXPECT_TRUE(near(img.argb(x, 2), 0x00FF00)) << x;
    EXPECT_TRUE(near(img.argb(15, 10), 0xFFFFFF));
    EXPECT_TRUE(near(img.argb(15, 11), 0x000000));
    EXPECT_TRUE(near(img.argb(30, 15), 0xFFFFFF));
    EXPECT_TRUE(near(img.argb(31, 15), 0x000000));
    device->SetStreamSource(0, nullptr, 0, 0);
    EXPECT_EQ(vb->Release(), 0u);
    EXPECT_EQ(tex->Release(), 0u);
}

TEST_F(Drawing, EqualStateNeverReachesGl) {
    diffuseOnly();
    quad(0, 0, 4, 4, 0xFFFFFFFF);
    read();
    platform::gfx::resetStats(device);
    for (int i = 0; i < 5; ++i) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        quad(0, 0, 4, 4, 0xFFFFFFFF);
    }
    read();
    auto stats = platform::gfx::deviceStats(device);
    EXPECT_EQ(stats.glDrawCalls, 1u);
    EXPECT_EQ(stats.glStateChanges, 0u);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    quad(0, 0, 4, 4, 0xFFFFFFFF);
    read();
    EXPECT_EQ(platform::gfx::deviceStats(device).glStateChanges, 1u);
}

}  // namespace

namespace {

// One small golden picture of several features together. Regenerate it deliberately with
// TOV_UPDATE_GOLDENS=1 after checking the picture; compared per channel within +/-1.
TEST_F(Drawing, CompositeMatchesTheGoldenPicture) {
    const std::string golden = std::string(TOV_TEST_SOURCE_DIR) + "/tests/platform/graphics/golden/composite.bmp";
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFF000040, 1.0f, 0);
    diffuseOnly();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (int i = 0; i < 8; ++i)
        quad(static_cast<float>(i * 4), 0, static_cast<float>(i * 4 + 4), 8,
             D3DCOLOR_ARGB(static_cast<DWORD>(i * 36), 255, static_cast<DWORD>(i * 32), 0));
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 100);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    for (int i = 0; i < 8; ++i)
        quad(static_cast<float>(i * 4), 8, static_cast<float>(i * 4 + 4), 16,
             D3DCOLOR_ARGB(static_cast<DWORD>(i * 36), 0, 255, 255));
    auto img = read();
    platform::gfx::Image cut;
    cut.width = 32;
    cut.height = 16;
    for (int y = 0; y < 16; ++y)
        cut.pixels.insert(cut.pixels.end(), img.pixels.begin() + y * img.width * 4,
                          img.pixels.begin() + (y * img.width + 32) * 4);
    const char* update = std::getenv("TOV_UPDATE_GOLDENS");
    if (update && std::string(update) == "1") {
        std::filesystem::create_directories(std::filesystem::path(golden).parent_path());
        ASSERT_TRUE(platform::gfx::saveBmp24(golden, cut));
        GTEST_SKIP() << "golden picture written: " << golden;
    }
    FILE* f = std::fopen(golden.c_str(), "rb");
    ASSERT_NE(f, nullptr) << "missing golden " << golden << " (write it with TOV_UPDATE_GOLDENS=1)";
    std::vector<uint8_t> bmp(54 + 32 * 16 * 3);
    size_t got = std::fread(bmp.data(), 1, bmp.size(), f);
    std::fclose(f);
    ASSERT_EQ(got, bmp.size());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint8_t* p = bmp.data() + 54 + ((15 - y) * 32 + x) * 3;
            uint32_t want = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            EXPECT_TRUE(near(cut.argb(x, y), want)) << x << "," << y;
        }
}

}  // namespace

namespace {

// A target size where the transform's rounding lands edges on either side of the pixel centres.
class EdgeRule : public gfxtest::GlDevice {
protected:
    void SetUp() override { open(800, 480); }
};

// Quads with corners in Direct3D coordinates (pixel centres at integers), drawn 1:1 from a texture
// that is white in its top-left 8x8 texels and black elsewhere, so a pixel is lit only if it is
// drawn and reads a texel of the quad. Direct3D 9's top-left rule: a centre on a top or left edge
// is drawn and reads the first texel; one on a bottom or right edge is not drawn.
TEST_F(EdgeRule, EdgesOnPixelCentresFollowTheTopLeftRule) {
    struct Case {
        float x0, y0, x1, y1;
        int left, top, right, bottom;  // lit pixels, inclusive; right < left when none
    } cases[] = {
        {11, 20, 19, 28, 11, 20, 18, 27},              // every edge on a centre
        {10.5f, 19.5f, 18.5f, 27.5f, 11, 20, 18, 27},  // every edge on a pixel boundary: the same pixels
        {11, 19.5f, 19, 27.5f, 11, 20, 18, 27},        // vertical edges on centres only
        {10.5f, 20, 18.5f, 28, 11, 20, 18, 27},        // horizontal edges on centres only
        {11.2f, 20.2f, 18.2f, 27.2f, 12, 21, 18, 27},  // edges between centres
        {0, 0, 1, 1, 0, 0, 0, 0},                      // one pixel in the top-left corner
        {37, 101, 40, 104, 37, 101, 39, 103},          // small, elsewhere
        {7, 9, 7, 17, 0, 0, -1, -1},                   // no width: nothing
    };
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(tex->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) static_cast<uint32_t*>(lr.pBits)[y * 16 + x] = x < 8 && y < 8 ? 0xFFFFFFFF : 0xFF000000;
    ASSERT_EQ(tex->UnlockRect(0), D3D_OK);
    IDirect3DTexture9* rt = nullptr;
    ASSERT_EQ(device->CreateTexture(1280, 768, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &rt, nullptr),
              D3D_OK);
    IDirect3DSurface9* inTexture = nullptr;
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(rt->GetSurfaceLevel(0, &inTexture), D3D_OK);
    ASSERT_EQ(device->GetRenderTarget(0, &back), D3D_OK);
    device->SetTexture(0, tex);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetFVF(gfxtest::kFvf);
    for (IDirect3DSurface9* target : {back, inTexture}) {
        ASSERT_EQ(device->SetRenderTarget(0, target), D3D_OK);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << (target == back ? "back buffer " : "texture ") << c.x0 << "," << c.y0
                                            << " .. " << c.x1 << "," << c.y1);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            float u1 = (c.x1 - c.x0) / 16, v1 = (c.y1 - c.y0) / 16;
            Vertex v[4] = {{c.x0, c.y0, 0, 1, 0xFFFFFFFF, 0, 0},
                           {c.x1, c.y0, 0, 1, 0xFFFFFFFF, u1, 0},
                           {c.x0, c.y1, 0, 1, 0xFFFFFFFF, 0, v1},
                           {c.x1, c.y1, 0, 1, 0xFFFFFFFF, u1, v1}};
            ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(Vertex)), D3D_OK);
            auto img = read(target);
            int wrong = 0;
            for (int y = 0; y < 128; ++y)
                for (int x = 0; x < 64; ++x) {
                    bool want = x >= c.left && x <= c.right && y >= c.top && y <= c.bottom;
                    bool lit = (img.argb(x, y) & 0xFFFFFF) != 0;
                    if (want != lit && ++wrong <= 4) ADD_FAILURE() << "pixel " << x << "," << y << " lit " << lit;
                }
            EXPECT_EQ(wrong, 0);
        }
    }
    ASSERT_EQ(device->SetRenderTarget(0, back), D3D_OK);
    device->SetTexture(0, nullptr);
    inTexture->Release();
    back->Release();
    EXPECT_EQ(rt->Release(), 0u);
    EXPECT_EQ(tex->Release(), 0u);
}

}  // namespace
