// Render targets, device loss and reset, textures from loader threads, read-back and message boxes.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/graphics/d3dx9.h"
#include "platform/image/image.h"
#include "tests/support/gl_fixture.h"

using gfxtest::near;

namespace {

class FullSize : public gfxtest::GlDevice {
protected:
    void SetUp() override { open(1024, 768); }
};

TEST_F(FullSize, RenderTargetTextureIsSampledUprightAndKeepsStencil) {
    IDirect3DTexture9* rt = nullptr;
    ASSERT_EQ(device->CreateTexture(1024, 768, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8B8G8R8, D3DPOOL_DEFAULT, &rt, nullptr),
              D3D_OK);
    IDirect3DSurface9* top = nullptr;
    ASSERT_EQ(rt->GetSurfaceLevel(0, &top), D3D_OK);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &back), D3D_OK);

    ASSERT_EQ(device->SetRenderTarget(0, top), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    diffuseOnly();
    quad(0, 0, 1024, 100, 0xFFFF0000);  // a red band along the top
    // Stencil mask inside the texture: only the masked square takes green.
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    device->SetRenderState(D3DRS_STENCILREF, 1);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
    quad(500, 400, 600, 500, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    quad(0, 300, 1024, 768, 0xFF00FF00);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    auto inTexture = read(top);
    EXPECT_TRUE(near(inTexture.argb(10, 10), 0xFF0000));
    EXPECT_TRUE(near(inTexture.argb(550, 450), 0x00FF00));
    EXPECT_TRUE(near(inTexture.argb(450, 450), 0));

    ASSERT_EQ(device->SetRenderTarget(0, back), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    device->SetTexture(0, rt);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    quad(0, 0, 1024, 768, 0xFFFFFFFF);
    auto onScreen = read();
    EXPECT_TRUE(near(onScreen.argb(10, 10), 0xFF0000));    // upright: the band stays on top
    EXPECT_TRUE(near(onScreen.argb(10, 700), 0x000000));
    EXPECT_TRUE(near(onScreen.argb(550, 450), 0x00FF00));
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    device->SetTexture(0, nullptr);
    back->Release();
    top->Release();
    EXPECT_EQ(rt->Release(), 0u);
}

TEST_F(FullSize, LostDeviceResetsOnlyWithoutDefaultPoolResources) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    platform::gfx::setDeviceLost(device, true);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    diffuseOnly();
    quad(0, 0, 10, 10, 0xFFFFFFFF);  // drawing while lost does nothing and fails nothing

    IDirect3DTexture9* target = nullptr;
    IDirect3DTexture9* managed = nullptr;
    ASSERT_EQ(device->CreateTexture(1024, 768, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8B8G8R8, D3DPOOL_DEFAULT, &target,
                                    nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
    D3DPRESENT_PARAMETERS pp = params;
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    EXPECT_TRUE(logHas("IDirect3DDevice9::Reset: a default-pool resource is still alive: texture 1024x768 format 32"));
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);

    EXPECT_EQ(target->Release(), 0u);
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    DWORD v = 0;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &v);
    EXPECT_EQ(v, static_cast<DWORD>(FALSE));
    device->GetSamplerState(0, D3DSAMP_MINFILTER, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DTEXF_POINT));
    device->GetTextureStageState(0, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_MODULATE));
    device->GetRenderState(D3DRS_ZENABLE, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DZB_TRUE));

    // The managed texture survived and still draws.
    D3DLOCKED_RECT lr;
    ASSERT_EQ(managed->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int i = 0; i < 64; ++i) static_cast<uint32_t*>(lr.pBits)[i] = 0xFF336699;
    managed->UnlockRect(0);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTexture(0, managed);
    quad(0, 0, 8, 8, 0xFFFFFFFF);
    EXPECT_TRUE(near(read().argb(4, 4), 0x336699));
    device->SetTexture(0, nullptr);
    EXPECT_EQ(managed->Release(), 0u);

    platform::gfx::faults().resetResult = D3DERR_NOTAVAILABLE;
    EXPECT_EQ(device->Reset(&pp), D3DERR_NOTAVAILABLE);
}

TEST_F(FullSize, TexturesMadeOnALoaderThreadReachGlBeforeTheNextDraw) {
    IDirect3DTexture9* tex = nullptr;
    std::thread loader([&] {
        // A loader decodes straight into the texture; no GL happens here.
        if (device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr) != D3D_OK) return;
        IDirect3DSurface9* s = nullptr;
        tex->GetSurfaceLevel(0, &s);
        const uint32_t pixels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
        RECT src{0, 0, 2, 2};
        D3DXLoadSurfaceFromMemory(s, nullptr, nullptr, pixels, D3DFMT_A8R8G8B8, 8, nullptr, &src, D3DX_DEFAULT, 0);
        s->Release();
    });
    loader.join();
    ASSERT_NE(tex, nullptr);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTexture(0, tex);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    quad(0, 0, 2, 2, 0xFFFFFFFF);
    auto img = read();
    EXPECT_TRUE(near(img.argb(0, 0), 0xFF0000, 0));
    EXPECT_TRUE(near(img.argb(1, 0), 0x00FF00, 0));
    EXPECT_TRUE(near(img.argb(0, 1), 0x0000FF, 0));
    EXPECT_TRUE(near(img.argb(1, 1), 0xFFFFFF, 0));
    device->SetTexture(0, nullptr);
    // Released on another thread: its GL texture goes at the next drawing-thread call.
    std::thread([&] { tex->Release(); }).join();
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

class SmallTarget : public gfxtest::GlDevice {
protected:
    void SetUp() override { open(128, 128); }
};

// A loader fills each texture row by row, one lock per row as a streaming decoder does, and gives
// every other scratch texture up on its own thread, while the drawing thread keeps drawing what it
// has and presenting. Every texture must then show exactly what its last unlocks wrote.
TEST_F(SmallTarget, TexturesFilledOnALoaderThreadWhileDrawingAllDrawCorrectly) {
    constexpr int kTextures = 48, kSize = 8;
    auto texel = [](int t, int row) { return 0xFF000000u | uint32_t(t * 5 + 10) << 16 | uint32_t(row * 30) << 8 | 0x80u; };
    std::mutex handed;
    std::vector<IDirect3DTexture9*> ready;
    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::thread loader([&] {
        for (int t = 0; t < kTextures; ++t) {
            IDirect3DTexture9* tex = nullptr;
            IDirect3DTexture9* scratch = nullptr;
            if (device->CreateTexture(kSize, kSize, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr) != D3D_OK ||
                device->CreateTexture(kSize, kSize, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &scratch, nullptr) != D3D_OK) {
                ++failures;
                break;
            }
            for (int pass = 0; pass < 2; ++pass)  // a placeholder first, then the picture
                for (int row = 0; row < kSize; ++row) {
                    RECT r{0, row, kSize, row + 1};
                    D3DLOCKED_RECT lr;
                    if (tex->LockRect(0, &lr, &r, 0) != D3D_OK) {
                        ++failures;
                        continue;
                    }
                    auto* px = static_cast<uint32_t*>(lr.pBits);
                    for (int x = 0; x < kSize; ++x) px[x] = pass ? texel(t, row) : 0xFFFF00FFu;
                    tex->UnlockRect(0);
                    if (scratch->LockRect(0, &lr, nullptr, 0) == D3D_OK) {
                        static_cast<uint32_t*>(lr.pBits)[row] = 0xFF123456u;
                        scratch->UnlockRect(0);
                    }
                }
            if (t % 2) scratch->Release();  // its GL texture, if made, goes on the drawing thread
            std::lock_guard<std::mutex> lock(handed);
            ready.push_back(tex);
            if (t % 2 == 0) ready.push_back(scratch);
        }
        done = true;
    });
    auto drawAll = [&](const std::vector<IDirect3DTexture9*>& textures) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        for (size_t i = 0; i < textures.size(); ++i) {
            device->SetTexture(0, textures[i]);
            quad(float(i % 12 * 10), float(i / 12 * 10), float(i % 12 * 10 + kSize), float(i / 12 * 10 + kSize),
                 0xFFFFFFFF);
        }
        device->SetTexture(0, nullptr);
    };
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    int frames = 0;
    while (!done || frames < 3) {
        std::vector<IDirect3DTexture9*> now;
        {
            std::lock_guard<std::mutex> lock(handed);
            now = ready;
        }
        drawAll(now);
        EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        ++frames;
    }
    loader.join();
    EXPECT_EQ(failures.load(), 0);
    std::vector<IDirect3DTexture9*> textures;
    for (size_t i = 0; i < ready.size(); ++i)
        if (i % 3 != 1) textures.push_back(ready[i]);  // a kept scratch texture follows each even-numbered one
    ASSERT_EQ(textures.size(), size_t(kTextures));
    drawAll(textures);
    auto img = read();
    for (int t = 0; t < kTextures; ++t)
        for (int row = 0; row < kSize; ++row)
            for (int x : {0, kSize - 1}) {
                int px = t % 12 * 10 + x, py = t / 12 * 10 + row;
                EXPECT_EQ(img.argb(px, py) & 0xFFFFFF, texel(t, row) & 0xFFFFFF) << "texture " << t << " row " << row;
            }
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    for (IDirect3DTexture9* t : ready) EXPECT_EQ(t->Release(), 0u);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(FullSize, BackBufferIsSavedAsABottomUpBitmap) {
    testing::internal::CaptureStderr();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    diffuseOnly();
    quad(0, 0, 1, 1, 0xFF102030);  // top-left pixel
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    std::string path = testing::TempDir() + "tov_gfx_shot.bmp";
    ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, back, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_JPG, back, nullptr, nullptr), D3DERR_INVALIDCALL);
    back->Release();
    testing::internal::GetCapturedStderr();
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> bytes(54 + 1024 * 768 * 3);
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    std::remove(path.c_str());
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[28], 24);
    // The top-left pixel is the first of the last row.
    size_t last = 54 + static_cast<size_t>(767) * 1024 * 3;
    EXPECT_EQ(bytes[last + 0], 0x30);
    EXPECT_EQ(bytes[last + 1], 0x20);
    EXPECT_EQ(bytes[last + 2], 0x10);
}

// Texture dumps: a texture level written as an uncompressed 32-bit DDS file reads back texel for
// texel through our own DDS reader.
TEST_F(FullSize, TextureLevelIsSavedAsA32BitDds) {
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(3, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    const uint32_t texels[6] = {0xFF102030, 0x80405060, 0x00708090, 0xFFFFFFFF, 0x12345678, 0xFF000000};
    D3DLOCKED_RECT locked;
    ASSERT_EQ(tex->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 2; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, texels + y * 3, 12);
    tex->UnlockRect(0);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(tex->GetSurfaceLevel(0, &level), D3D_OK);
    const std::string path = testing::TempDir() + "tov_gfx_texture_" + std::to_string(testsupport::processId()) + ".dds";
    ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_DDS, level, nullptr, nullptr), D3D_OK);
    level->Release();
    tex->Release();
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> bytes(4096);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    std::remove(path.c_str());
    platform::image::Image decoded;
    ASSERT_EQ(platform::image::decode(bytes.data(), bytes.size(), decoded), platform::image::Result::Ok);
    EXPECT_EQ(decoded.info.width, 3u);
    EXPECT_EQ(decoded.info.height, 2u);
    ASSERT_EQ(decoded.pixelFormat, platform::image::FMT_A8R8G8B8);
    ASSERT_EQ(decoded.surfaces[0].bytes.size(), sizeof texels);
    EXPECT_EQ(std::memcmp(decoded.surfaces[0].bytes.data(), texels, sizeof texels), 0);
}

TEST_F(FullSize, LoadingFromMemoryConvertsAndScalesIntoTheTexture) {
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    IDirect3DSurface9* s = nullptr;
    ASSERT_EQ(tex->GetSurfaceLevel(0, &s), D3D_OK);
    // Two RGBA pixels (the movie images' byte order), stretched to four by two.
    const uint8_t rgba[8] = {0x10, 0x20, 0x30, 0xFF, 0xA0, 0xB0, 0xC0, 0x80};
    RECT src{0, 0, 2, 1};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(s, nullptr, nullptr, rgba, D3DFMT_A8B8G8R8, 8, nullptr, &src, D3DX_FILTER_POINT, 0),
              D3D_OK);
    RECT tooWide{0, 0, 3, 1};
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(s, nullptr, nullptr, rgba, D3DFMT_A8B8G8R8, 8, nullptr, &tooWide,
                                        D3DX_FILTER_POINT, 0),
              D3DERR_INVALIDCALL);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(s->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* px = static_cast<const uint32_t*>(lr.pBits);
    EXPECT_EQ(px[0], 0xFF102030u);
    EXPECT_EQ(px[1], 0xFF102030u);
    EXPECT_EQ(px[2], 0x80A0B0C0u);
    EXPECT_EQ(px[4 + 3], 0x80A0B0C0u);
    s->UnlockRect();
    s->Release();
    EXPECT_EQ(tex->Release(), 0u);
}

// The bytes a 1 x n or n x 1 texture of a format holds after a load from memory.
std::vector<uint8_t> loaded(IDirect3DDevice9* device, UINT w, UINT h, D3DFORMAT format, const void* source,
                            D3DFORMAT sourceFormat, UINT sourcePitch, RECT src, DWORD filter) {
    IDirect3DTexture9* tex = nullptr;
    if (device->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &tex, nullptr) != D3D_OK) return {};
    IDirect3DSurface9* s = nullptr;
    tex->GetSurfaceLevel(0, &s);
    std::vector<uint8_t> out;
    if (D3DXLoadSurfaceFromMemory(s, nullptr, nullptr, source, sourceFormat, sourcePitch, nullptr, &src, filter, 0) ==
        D3D_OK) {
        D3DLOCKED_RECT lr;
        s->LockRect(&lr, nullptr, D3DLOCK_READONLY);
        const auto* bytes = static_cast<const uint8_t*>(lr.pBits);
        out.assign(bytes, bytes + static_cast<size_t>(lr.Pitch) * h);
        s->UnlockRect();
    }
    s->Release();
    tex->Release();
    return out;
}

TEST_F(FullSize, BilinearScalingWeighsTheTwoNearestTexels) {
    // Two texels stretched to four across and, as a column, to four down: the centres of the
    // four land at -0.25, 0.25, 0.75 and 1.25 source texels.
    const uint8_t rgba[8] = {0, 0, 0, 0, 255, 128, 64, 255};
    const std::vector<uint8_t> want = {0, 0, 0, 0,    16, 32, 64, 64,  48, 96, 191, 191,  64, 128, 255, 255};
    EXPECT_EQ(loaded(device, 4, 1, D3DFMT_A8R8G8B8, rgba, D3DFMT_A8B8G8R8, 8, RECT{0, 0, 2, 1}, D3DX_DEFAULT), want);
    EXPECT_EQ(loaded(device, 1, 4, D3DFMT_A8R8G8B8, rgba, D3DFMT_A8B8G8R8, 4, RECT{0, 0, 1, 2}, D3DX_DEFAULT), want);
    // Shrinking four to two takes the middle of each pair.
    const uint8_t four[16] = {0, 0, 0, 255, 100, 100, 100, 255, 200, 200, 200, 255, 40, 40, 40, 255};
    EXPECT_EQ(loaded(device, 2, 1, D3DFMT_A8B8G8R8, four, D3DFMT_A8B8G8R8, 16, RECT{0, 0, 4, 1}, D3DX_DEFAULT),
              (std::vector<uint8_t>{50, 50, 50, 255, 120, 120, 120, 255}));
}

TEST_F(FullSize, EachFormatIsConvertedByteExact) {
    struct row {
        const char* name;
        D3DFORMAT source_format;
        std::vector<uint8_t> source;
        D3DFORMAT format;
        std::vector<uint8_t> want;
    };
    const std::vector<uint8_t> argb = {0x30, 0x20, 0x10, 0x7F};  // b, g, r, a
    const row rows[] = {
        {"argb to xrgb", D3DFMT_A8R8G8B8, argb, D3DFMT_X8R8G8B8, {0x30, 0x20, 0x10, 0xFF}},
        {"argb to abgr", D3DFMT_A8R8G8B8, argb, D3DFMT_A8B8G8R8, {0x10, 0x20, 0x30, 0x7F}},
        {"xbgr to argb", D3DFMT_X8B8G8R8, {0x10, 0x20, 0x30, 0x00}, D3DFMT_A8R8G8B8, {0x30, 0x20, 0x10, 0xFF}},
        {"argb to l8: the rounded mean", D3DFMT_A8R8G8B8, {2, 1, 1, 0}, D3DFMT_L8, {1}},
        {"argb to l8, rounding up", D3DFMT_A8R8G8B8, {1, 1, 0, 0}, D3DFMT_L8, {1}},
        {"argb to a8l8", D3DFMT_A8R8G8B8, {30, 60, 90, 200}, D3DFMT_A8L8, {60, 200}},
        {"a8 to argb", D3DFMT_A8, {0x44}, D3DFMT_A8R8G8B8, {0, 0, 0, 0x44}},
        {"l8 to argb", D3DFMT_L8, {0x44}, D3DFMT_A8R8G8B8, {0x44, 0x44, 0x44, 0xFF}},
        {"a8l8 to argb", D3DFMT_A8L8, {0x44, 0x11}, D3DFMT_A8R8G8B8, {0x44, 0x44, 0x44, 0x11}},
        {"argb to r5g6b5", D3DFMT_A8R8G8B8, {0xFF, 0x84, 0x08, 0}, D3DFMT_R5G6B5, {0x3F, 0x0C}},
        {"argb to a1r5g5b5, alpha 128 is set", D3DFMT_A8R8G8B8, {0x08, 0x10, 0xF8, 0x80}, D3DFMT_A1R5G5B5, {0x41, 0xFC}},
        {"argb to a1r5g5b5, alpha 127 is clear", D3DFMT_A8R8G8B8, {0x08, 0x10, 0xF8, 0x7F}, D3DFMT_A1R5G5B5, {0x41, 0x7C}},
        {"argb to a4r4g4b4", D3DFMT_A8R8G8B8, {0x30, 0x20, 0x10, 0xF0}, D3DFMT_A4R4G4B4, {0x23, 0xF1}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        const UINT pitch = static_cast<UINT>(r.source.size());
        std::vector<uint8_t> got = loaded(device, 1, 1, r.format, r.source.data(), r.source_format, pitch,
                                          RECT{0, 0, 1, 1}, D3DX_DEFAULT);
        got.resize(r.want.size());
        EXPECT_EQ(got, r.want);
    }
}

TEST(MessageBox, HeadlessBoxesAreLoggedAndRecordedNotShown) {
    testsupport::useHeadlessDrivers();
    platform::gfx::clearRecordedMessageBoxes();
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_ICONERROR), IDOK);
    auto boxes = platform::gfx::recordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "text");
    EXPECT_EQ(boxes[0].caption, "caption");
    EXPECT_EQ(boxes[0].type, MB_ICONERROR);
}

TEST(Letterbox, PictureIsCentredAndMousePositionsMapBack) {
    int box[4];
    platform::gfx::letterbox(1920, 1080, 1024, 768, box);
    EXPECT_EQ(box[0], 240);
    EXPECT_EQ(box[1], 0);
    EXPECT_EQ(box[2], 1440);
    EXPECT_EQ(box[3], 1080);
}

}  // namespace

// A level count beyond the chain (D3DX_DEFAULT, say) stops at 1x1 instead of allocating what it asks.
TEST_F(SmallTarget, LevelCountsStopAtTheOneByOneLevel) {
    struct Case {
        UINT width, height, levels, expected;
    } cases[] = {{8, 8, 0, 4}, {8, 2, 0, 4}, {8, 8, 2, 2}, {8, 8, 100, 4}, {1, 1, 5, 1}, {8, 8, 0xFFFFFFFFu, 4}};
    for (const Case& c : cases) {
        IDirect3DTexture9* tex = nullptr;
        ASSERT_EQ(device->CreateTexture(c.width, c.height, c.levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr),
                  D3D_OK);
        EXPECT_EQ(tex->GetLevelCount(), c.expected) << c.width << "x" << c.height << " levels " << c.levels;
        D3DSURFACE_DESC last{};
        ASSERT_EQ(tex->GetLevelDesc(c.expected - 1, &last), D3D_OK);
        EXPECT_EQ(last.Width, std::max(1u, c.width >> (c.expected - 1)));
        tex->Release();
    }
}
