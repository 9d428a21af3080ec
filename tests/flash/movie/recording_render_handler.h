#pragma once
// A render handler that installs itself while it lives and records every bitmap it is asked to
// make: its kind, size, owner name and pixels (as r, g, b, a).
#include <string>
#include <vector>

#include "flash/render/bitmap_info.h"

namespace movietest {

struct recorded_bitmap {
    std::string kind;  // "empty", "alpha", "rgb" or "rgba"
    int width = 0;
    int height = 0;
    std::string owner;
    std::vector<uint8_t> pixels;  // four bytes a pixel, rows without padding
};

class recording_bitmap : public flash::bitmap_info {
public:
    recording_bitmap(int width, int height) : m_width(width), m_height(height) {}
    int get_width() const override { return m_width; }
    int get_height() const override { return m_height; }

private:
    int m_width;
    int m_height;
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

    std::vector<recorded_bitmap> made;

private:
    flash::bitmap_info* record(const char* kind, int width, int height, const flash::bx_string& owner) {
        made.push_back({kind, width, height, owner.c_str(), {}});
        return new recording_bitmap(width, height);
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
