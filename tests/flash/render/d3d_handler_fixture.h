#pragma once
// A headless device with the Direct3D render handler installed on it, the engine log captured,
// and helpers to make images, draw rectangles in twips and read the frame back.
#include <memory>
#include <string>
#include <vector>

#include "core/cvar_catalogue.h"
#include "flash/render/d3d/render_handler_d3d.h"
#include "tests/support/engine_log.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/golden_picture.h"

namespace d3dtest {

constexpr float twips = 20.0f;

// Sets a console variable's value for one scope.
class scoped_setting {
public:
    scoped_setting(CVar* var, const char* text) : m_var(var), m_old(var->toString()) { var->setFromString(text); }
    ~scoped_setting() { m_var->setFromString(m_old.c_str()); }
    scoped_setting(const scoped_setting&) = delete;
    scoped_setting& operator=(const scoped_setting&) = delete;

private:
    CVar* m_var;
    std::string m_old;
};

// An rgb image whose pixel (x, y) is pixel(x, y) as 0xRRGGBB.
template <class Pixel>
std::unique_ptr<flash::image::rgb> make_rgb(int w, int h, Pixel pixel) {
    std::unique_ptr<flash::image::rgb> img(flash::image::create_rgb(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = pixel(x, y);
            uint8_t* p = img->row(y) + x * 3;
            p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
        }
    return img;
}

// A 2 x 2 checker of red, green / blue, white, each square `cell` pixels wide.
inline std::unique_ptr<flash::image::rgb> checker(int cell) {
    return make_rgb(2 * cell, 2 * cell, [cell](int x, int y) {
        static const uint32_t colours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
        return colours[(y / cell) * 2 + (x / cell)];
    });
}

// A rectangle in twips as a 4-vertex triangle strip.
inline std::vector<int32_t> strip_rect(float x0, float y0, float x1, float y1) {
    const auto a = static_cast<int32_t>(x0), b = static_cast<int32_t>(y0), c = static_cast<int32_t>(x1),
               d = static_cast<int32_t>(y1);
    return {a, b, c, b, a, d, c, d};
}

class D3dHandler : public gfxtest::GlDevice {
protected:
    void open_handler(UINT width, UINT height) {
        ASSERT_NO_FATAL_FAILURE(open(width, height));
        m_width = static_cast<int>(width);
        m_height = static_cast<int>(height);
        handler.reset(new flash::render_handler_d3d(device));
        flash::set_render_handler(handler.get());
    }
    void SetUp() override { open_handler(64, 48); }
    void TearDown() override {
        flash::set_render_handler(nullptr);
        handler.reset();
        GlDevice::TearDown();
    }
    // A frame over the whole target with the movie's frame rectangle equal to it.
    void begin(flash::rgba background) {
        handler->begin_display(background, 0, 0, m_width, m_height, 0.0f, m_width * twips, 0.0f, m_height * twips);
    }
    platform::gfx::Image end() {
        handler->end_display();
        return read();
    }
    // A rectangle in pixels filled with colour through the current matrix and cxform.
    void fill_rect(float x0, float y0, float x1, float y1, flash::rgba color) {
        handler->fill_style_color(0, color);
        const std::vector<int32_t> c = strip_rect(x0 * twips, y0 * twips, x1 * twips, y1 * twips);
        handler->draw_mesh_strip(c.data(), 4);
    }
    // A rectangle in pixels filled with a bitmap placed 1:1 at its top-left corner.
    void bitmap_rect(float x0, float y0, float x1, float y1, flash::bitmap_info* bi, int wrap, float scale = 1.0f) {
        flash::matrix m;  // shape twips to bitmap pixels
        m.m_[0][0] = m.m_[1][1] = 1.0f / (twips * scale);
        m.m_[0][2] = -x0 / scale;
        m.m_[1][2] = -y0 / scale;
        handler->fill_style_bitmap(0, bi, m, wrap);
        const std::vector<int32_t> c = strip_rect(x0 * twips, y0 * twips, x1 * twips, y1 * twips);
        handler->draw_mesh_strip(c.data(), 4);
    }
    std::string golden(const std::string& name) const {
        return std::string(TOV_TEST_SOURCE_DIR) + "/tests/flash/render/golden/" + name + ".png";
    }

    testsupport::engine_log log;
    std::unique_ptr<flash::render_handler_d3d> handler;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace d3dtest
