// Making a texture from a decoded 1024 x 768 picture, as level loads and the start to the main
// menu do for every bitmap: the Direct3D handler's create_bitmap_info_rgb and _rgba (sizing, the
// 1024 x 1024 texture, the conversion and upload), and the conversion alone
// (D3DXLoadSurfaceFromMemory scaling the picture onto the texture's surface). Goal: under 5 ms a
// picture (a per-texel float conversion took about 43 ms).
#include <benchmark/benchmark.h>

#include <memory>

#include "flash/base/log.h"
#include "flash/base/smart_ptr.h"
#include "flash/render/image.h"
#include "flash/render/d3d/render_handler_d3d.h"
#include "platform/graphics/d3d9.h"
#include "platform/graphics/d3dx9.h"
#include "platform/graphics/window.h"
#include "tests/support/environment.h"

namespace {

constexpr int kWidth = 1024, kHeight = 768;
constexpr UINT kTextureSide = 1024;

void quiet(bool, const char*) {}

// A window and a headless device for the whole program.
struct Device {
    HWND window = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;

    Device() {
        testsupport::useHeadlessDrivers();
        window = CreateWindowExA(0, "bench", "bench", WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = 64;
        pp.BackBufferHeight = 64;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        if (window && d3d && d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &pp, &device) != D3D_OK) device = nullptr;
    }
    ~Device() {
        if (device) device->Release();
        if (d3d) d3d->Release();
        if (window) DestroyWindow(window);
    }
};

Device& the_device() {
    static Device d;
    return d;
}

template <class image_type>
void fill(image_type* img, int channels) {
    for (int y = 0; y < img->m_height; ++y) {
        uint8_t* row = img->row(y);
        for (int x = 0; x < img->m_width * channels; ++x) row[x] = static_cast<uint8_t>((x / 3 + y * 7) & 0xFF);
    }
}

// One texture made and let go per iteration (the handler releases it again).
template <class image_type>
void texture_from(benchmark::State& state, image_type* (*create)(int, int), int channels,
                  flash::bitmap_info* (flash::render_handler::*make)(image_type*, const flash::bx_string&)) {
    if (!the_device().device) return state.SkipWithError("no headless device");
    flash::register_log_callback(quiet);
    std::unique_ptr<flash::render_handler> handler(flash::create_render_handler_d3d(the_device().device));
    std::unique_ptr<image_type> img(create(kWidth, kHeight));
    fill(img.get(), channels);
    for (auto _ : state) {
        flash::smart_ptr<flash::bitmap_info> bi((handler.get()->*make)(img.get(), "bench.swf"));
        benchmark::DoNotOptimize(bi.get_ptr());
    }
    state.counters["textures_left"] = handler->get_texture(0) ? 1 : 0;
}

void BM_TextureFromRgb(benchmark::State& state) {
    texture_from<flash::image::rgb>(state, flash::image::create_rgb, 3, &flash::render_handler::create_bitmap_info_rgb);
}
void BM_TextureFromRgba(benchmark::State& state) {
    texture_from<flash::image::rgba>(state, flash::image::create_rgba, 4, &flash::render_handler::create_bitmap_info_rgba);
}

// The conversion alone: 32-bit pixels scaled from 768 rows onto 1024 (bilinear, the default filter).
void BM_LoadSurfaceScaled(benchmark::State& state) {
    if (!the_device().device) return state.SkipWithError("no headless device");
    IDirect3DTexture9* texture = nullptr;
    if (the_device().device->CreateTexture(kTextureSide, kTextureSide, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                           nullptr) != D3D_OK)
        return state.SkipWithError("no texture");
    IDirect3DSurface9* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    std::unique_ptr<flash::image::rgba> img(flash::image::create_rgba(kWidth, kHeight));
    fill(img.get(), 4);
    const RECT source{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        if (D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, img->m_data, D3DFMT_A8B8G8R8,
                                      static_cast<UINT>(img->m_pitch), nullptr, &source, D3DX_DEFAULT, 0) != D3D_OK)
            state.SkipWithError("load failed");
    }
    surface->Release();
    texture->Release();
}

BENCHMARK(BM_TextureFromRgb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextureFromRgba)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSurfaceScaled)->Unit(benchmark::kMillisecond);

}  // namespace
