// One frame of 500 placed shapes at 1024x768: each shape draws a solid fill, a gradient fill, a
// bitmap fill and an outline, about 2,000 draw calls a frame. Measured with a handler that only
// counts the calls (the engine's own cost of walking the shapes and styles) and with the Direct3D
// handler on the headless device (llvmpipe here): CPU time of the drawing thread per frame, and
// the real time, which adds the rasteriser's threads' work before the picture is presented.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/counting_render_handler.h"
#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/player.h"
#include "flash/movie/tag_loaders.h"
#include "flash/render/d3d/render_handler_d3d.h"
#include "flash/runtime/character.h"
#include "platform/graphics/d3d9.h"
#include "platform/graphics/gfx_control.h"
#include "platform/graphics/window.h"
#include "tools/swfwriter/bitmaps.h"
#include "tools/swfwriter/movie_writer.h"
#include "tests/support/environment.h"

namespace {

constexpr int kShapes = 500;
constexpr int kKinds = 10;
constexpr int kWidth = 1024, kHeight = 768;
constexpr float kTwips = 20.0f;

// Shapes of 40 x 40 pixels: a circle in a solid colour, a box with a linear gradient, a box with a
// repeated bitmap, all outlined.
swf::Bytes frame_movie(std::vector<uint16_t>& shapes) {
    swf::MovieWriter m(8);
    swf::Image checker = swf::Image::filled(16, 16, {255, 255, 255, 255});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if ((x / 4 + y / 4) % 2) checker.at(x, y) = {200, 40, 40, 255};
    const uint16_t bitmap = m.define_bits_lossless2(checker);
    for (int k = 0; k < kKinds; ++k) {
        swf::Shape s;
        const uint8_t shade = static_cast<uint8_t>(k * 25);
        s.fills = {swf::FillStyle::solid({shade, 100, 200, 255}),
                   swf::FillStyle::linear(swf::Matrix::scaling(0.02, 0.02, 400, 200),
                                          {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 128}}}),
                   swf::FillStyle::bitmap(bitmap, swf::Matrix::scaling(20, 20))};
        s.lines = {swf::LineStyle::solid(20, {0, 0, 0, 255})};
        s.path.fill1(1).line(1).circle(200, 200, 180);
        s.path.fill1(2).line(1).rect(420, 0, 380, 380);
        s.path.fill1(3).line(1).rect(0, 420, 380, 380);
        shapes.push_back(m.define_shape(s, swf::tag_define_shape3));
    }
    m.show_frame();
    m.end();
    return m.finish_fws();
}

void quiet(bool, const char*) {}

// The shared counting handler, with placeholder bitmaps so that bitmap fills are drawn (counted).
class counting_handler : public benchsupport::counting_render_handler {
public:
    flash::bitmap_info* create_bitmap_info_rgba(flash::image::rgba*, const flash::bx_string&) override {
        return new flash::bitmap_info;
    }
    flash::bitmap_info* create_bitmap_info_rgb(flash::image::rgb*, const flash::bx_string&) override {
        return new flash::bitmap_info;
    }
};

struct Frame {
    flash::smart_ptr<flash::player> owner;
    flash::smart_ptr<flash::movie_def_impl> def;
    std::vector<flash::smart_ptr<flash::character>> placed;
    swf::Bytes bytes;

    // Loads the movie with the installed handler (it makes the textures) and places the shapes
    // over the whole screen.
    bool load() {
        flash::register_log_callback(quiet);
        flash::register_tag_loaders();
        owner = new flash::player;
        std::vector<uint16_t> shapes;
        bytes = frame_movie(shapes);
        auto* file = new flash::bx_file(flash::memory_buffer, static_cast<int>(bytes.size()), bytes.data());
        def = new flash::movie_def_impl(owner.get_ptr(), false);
        if (!def->read(file)) return false;
        for (int i = 0; i < kShapes; ++i) {
            flash::character_def* shape = def->get_character_def(shapes[i % kKinds]);
            if (!shape) return false;
            flash::smart_ptr<flash::character> ch(shape->create_character_instance(owner.get_ptr(), nullptr, i + 1));
            flash::matrix m;
            m.m_[0][2] = static_cast<float>((i * 37) % (kWidth - 40)) * kTwips;
            m.m_[1][2] = static_cast<float>((i * 53) % (kHeight - 40)) * kTwips;
            ch->set_matrix(m);
            placed.push_back(ch);
        }
        return true;
    }
    void display() {
        for (auto& ch : placed) ch->display();
    }
    ~Frame() {
        placed.clear();
        def = nullptr;
        owner = nullptr;
    }
};

void BM_FrameEngineAlone(benchmark::State& state) {
    counting_handler handler;
    flash::set_render_handler(&handler);
    {
        Frame frame;
        if (!frame.load()) state.SkipWithError("the movie was refused");
        for (auto _ : state) {
            handler.vertices = 0;
            frame.display();
        }
        state.counters["vertices"] = static_cast<double>(handler.vertices);
    }
    flash::set_render_handler(nullptr);
}

void BM_FrameDirect3DHandler(benchmark::State& state) {
    testsupport::useHeadlessDrivers();
    HWND window = CreateWindowExA(0, "bench", "bench", WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr, nullptr,
                                  nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (!window || !d3d || d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &pp, &device) != D3D_OK) {
        state.SkipWithError("no headless device");
        return;
    }
    std::unique_ptr<flash::render_handler> handler(flash::create_render_handler_d3d(device));
    flash::set_render_handler(handler.get());
    {
        Frame frame;
        if (!frame.load()) state.SkipWithError("the movie was refused");
        platform::gfx::resetStats(device);
        for (auto _ : state) {
            handler->begin_display(flash::rgba(255, 255, 255, 255), 0, 0, kWidth, kHeight, 0, kWidth * kTwips, 0,
                                   kHeight * kTwips);
            frame.display();
            handler->end_display();
        }
        const platform::gfx::DeviceStats stats = platform::gfx::deviceStats(device);
        const double frames = static_cast<double>(state.iterations());
        state.counters["draws"] = static_cast<double>(stats.drawCalls) / frames;
        state.counters["gl_draws"] = static_cast<double>(stats.glDrawCalls) / frames;
    }
    flash::set_render_handler(nullptr);
    handler.reset();
    device->Release();
    d3d->Release();
    DestroyWindow(window);
}

BENCHMARK(BM_FrameEngineAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameDirect3DHandler)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
