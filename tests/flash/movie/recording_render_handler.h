#pragma once
// A render handler that installs itself while it lives and records every bitmap it is asked to
// make (its kind, size, owner name and pixels as r, g, b, a) and every style and draw call.
#include <cstdio>
#include <string>
#include <vector>

#include "flash/render/bitmap_info.h"

namespace movietest {

// One style or draw call: its name ("fill_color", "fill_bitmap", "fill_disable", "line_color",
// "line_width", "line_disable", "mesh_strip", "triangle_list", "line_strip", "matrix", "cxform"),
// the fill side, colour, bitmap and vertex count where the call has them.
struct recorded_call {
    std::string name;
    int side = -1;
    flash::rgba color;
    flash::bitmap_info* bitmap = nullptr;
    int vertices = 0;
    std::vector<int32_t> coords;
};

struct recorded_bitmap {
    std::string kind;  // "empty", "alpha", "rgb" or "rgba"
    int width = 0;
    int height = 0;
    std::string owner;
    std::vector<uint8_t> pixels;  // four bytes a pixel, rows without padding
};

class recording_bitmap : public flash::bitmap_info {
public:
    recording_bitmap(int width, int height, bool device = false)
        : m_width(width), m_height(height), m_device(device) {}
    int get_width() const override { return m_width; }
    int get_height() const override { return m_height; }
    bool is_device_texture() const override { return m_device; }

private:
    int m_width;
    int m_height;
    bool m_device;
};

class recording_render_handler : public flash::render_handler {
public:
    recording_render_handler() { flash::set_render_handler(this); }
    ~recording_render_handler() override { flash::set_render_handler(nullptr); }

    flash::bitmap_info* create_bitmap_info_empty(const flash::bx_string& owner) override {
        return record("empty", 0, 0, owner);
    }
    flash::bitmap_info* create_bitmap_info_alpha(int width, int height, const uint8_t* data,
                                                 const flash::bx_string& owner) override {
        flash::bitmap_info* bi = record("alpha", width, height, owner);
        for (int i = 0; i < width * height; ++i)
            made.back().pixels.insert(made.back().pixels.end(), {255, 255, 255, data[i]});
        return bi;
    }
    flash::bitmap_info* create_bitmap_info_rgb(flash::image::rgb* img,
                                               const flash::bx_string& owner) override {
        return record_image("rgb", img, 3, owner);
    }
    flash::bitmap_info* create_bitmap_info_rgba(flash::image::rgba* img,
                                                const flash::bx_string& owner) override {
        return record_image("rgba", img, 4, owner);
    }

    void set_matrix(const flash::matrix& m) override {
        call("matrix");
        last_matrix = m;
    }
    void set_cxform(const flash::cxform& cx) override {
        call("cxform");
        last_cxform = cx;
    }
    void fill_style_disable(int side) override { call("fill_disable", side); }
    void fill_style_color(int side, const flash::rgba& c) override { call("fill_color", side, c); }
    void fill_style_bitmap(int side, flash::bitmap_info* bi, const flash::matrix&, int) override {
        call("fill_bitmap", side, {}, bi);
    }
    void line_style_disable() override { call("line_disable"); }
    void line_style_color(flash::rgba c) override { call("line_color", -1, c); }
    void line_style_width(float) override { call("line_width"); }
    void draw_mesh_strip(const int32_t* coords, int count) override { draw("mesh_strip", coords, count); }
    void draw_triangle_list(const int32_t* coords, int count) override { draw("triangle_list", coords, count); }
    void draw_line_strip(const int32_t* coords, int count) override { draw("line_strip", coords, count); }

    // The calls' names, one a line, with the colour of colour calls as r,g,b,a.
    std::string call_names() const {
        std::string out;
        for (const recorded_call& c : calls) {
            out += c.name;
            if (c.name == "fill_color" || c.name == "line_color") {
                char text[32];
                std::snprintf(text, sizeof text, " %d,%d,%d,%d", c.color.m_r, c.color.m_g, c.color.m_b,
                              c.color.m_a);
                out += text;
            }
            out += "\n";
        }
        return out;
    }

    std::vector<recorded_bitmap> made;
    std::vector<recorded_call> calls;
    // The bitmaps made with pixels stand for device textures.
    bool device_textures = false;
    flash::matrix last_matrix;
    flash::cxform last_cxform;

private:
    recorded_call& call(const char* name, int side = -1, flash::rgba color = {}, flash::bitmap_info* bi = nullptr) {
        recorded_call c;
        c.name = name;
        c.side = side;
        c.color = color;
        c.bitmap = bi;
        calls.push_back(c);
        return calls.back();
    }
    void draw(const char* name, const int32_t* coords, int count) {
        recorded_call& c = call(name);
        c.vertices = count;
        if (coords && count > 0) c.coords.assign(coords, coords + 2 * count);
    }
    flash::bitmap_info* record(const char* kind, int width, int height, const flash::bx_string& owner) {
        made.push_back({kind, width, height, owner.c_str(), {}});
        return new recording_bitmap(width, height, device_textures && std::string(kind) != "empty");
    }
    flash::bitmap_info* record_image(const char* kind, flash::image::image_base* img, int bytes_per_pixel,
                                     const flash::bx_string& owner) {
        flash::bitmap_info* bi = record(kind, img->m_width, img->m_height, owner);
        std::vector<uint8_t>& out = made.back().pixels;
        for (int y = 0; y < img->m_height; ++y) {
            for (int x = 0; x < img->m_width; ++x) {
                const uint8_t* p = img->row(y) + x * bytes_per_pixel;
                out.insert(out.end(), {p[0], p[1], p[2], bytes_per_pixel == 4 ? p[3] : uint8_t{255}});
            }
        }
        return bi;
    }
};

}  // namespace movietest
