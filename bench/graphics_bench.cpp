// Frames of 2,000 textured, alpha-blended 32x32 quads at 1024x768, headless on whatever GL the
// offscreen driver gives (llvmpipe here). Reports frames per second and the CPU time per frame
// spent in our layer before presenting (draw calls and state changes, without the rasteriser).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "platform/graphics/d3d9.h"
#include "platform/graphics/gfx_control.h"
#include "platform/graphics/window.h"
#include "tests/support/environment.h"

namespace {

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};

struct Scene {
    HWND window = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DTexture9* textures[2] = {};
    bool ok = false;

    Scene() {
        testsupport::useHeadlessDrivers();
        window = CreateWindowExA(0, "bench", "bench", WS_VISIBLE, 0, 0, 1024, 768, nullptr, nullptr, nullptr, nullptr);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!window || !d3d) return;
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = 1024;
        pp.BackBufferHeight = 768;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        if (d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &pp, &device) != D3D_OK) return;
        for (auto*& t : textures) {
            device->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr);
            D3DLOCKED_RECT lr;
            t->LockRect(0, &lr, nullptr, 0);
            for (int i = 0; i < 64 * 64; ++i) static_cast<uint32_t*>(lr.pBits)[i] = 0x80000000u | (i * 2654435761u >> 8);
            t->UnlockRect(0);
        }
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        ok = true;
    }
    ~Scene() {
        for (auto* t : textures)
            if (t) t->Release();
        if (device) device->Release();
        if (d3d) d3d->Release();
        if (window) DestroyWindow(window);
    }
};

// mode 0: one texture, colour per vertex; 1: the texture factor changes every quad (the movie
// renderer's solid fills); 2: the texture alternates every quad (no batching possible).
void runFrames(benchmark::State& state, int mode) {
    Scene scene;
    if (!scene.ok) {
        state.SkipWithError("no headless GL device");
        return;
    }
    IDirect3DDevice9* d = scene.device;
    if (mode == 1) {
        d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    }
    double layerSeconds = 0;
    int64_t frames = 0;
    uint32_t seed = 1;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF202020, 1.0f, 0);
        d->BeginScene();
        d->SetTexture(0, scene.textures[0]);
        for (int q = 0; q < 2000; ++q) {
            seed = seed * 1664525u + 1013904223u;
            float x = static_cast<float>(seed % 992), y = static_cast<float>((seed >> 10) % 736);
            D3DCOLOR c = 0xC0000000u | (seed & 0xFFFFFF);
            Vertex v[4] = {{x, y, 0, 1, c, 0, 0},
                           {x + 32, y, 0, 1, c, 1, 0},
                           {x, y + 32, 0, 1, c, 0, 1},
                           {x + 32, y + 32, 0, 1, c, 1, 1}};
            if (mode == 1) d->SetRenderState(D3DRS_TEXTUREFACTOR, c);
            if (mode == 2) d->SetTexture(0, scene.textures[q & 1]);
            d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(Vertex));
        }
        d->EndScene();
        layerSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        d->Present(nullptr, nullptr, nullptr, nullptr);
        ++frames;
    }
    auto stats = platform::gfx::deviceStats(d);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["layer_ms_per_frame"] = frames ? layerSeconds * 1000.0 / static_cast<double>(frames) : 0.0;
    state.counters["gl_draws_per_frame"] =
        frames ? static_cast<double>(stats.glDrawCalls) / static_cast<double>(frames) : 0.0;
}

void BM_QuadsOneTexture(benchmark::State& state) { runFrames(state, 0); }
void BM_QuadsTextureFactorPerQuad(benchmark::State& state) { runFrames(state, 1); }
void BM_QuadsTextureSwitchPerQuad(benchmark::State& state) { runFrames(state, 2); }

BENCHMARK(BM_QuadsOneTexture)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QuadsTextureFactorPerQuad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QuadsTextureSwitchPerQuad)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
