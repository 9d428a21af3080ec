#include "flash/render/image.h"

#include <cstddef>
#include <new>

#include "flash/base/log.h"

namespace flash::image {

namespace {

constexpr int64_t row_alignment = 4;

// Gives img its buffer, or deletes it and returns null.
template <class T>
T* with_buffer(T* img, const char* who) {
    if (!img) return nullptr;
    const int64_t bytes = static_cast<int64_t>(img->m_pitch) * img->m_height;
    img->m_data = new (std::nothrow) uint8_t[static_cast<size_t>(bytes)];
    if (!img->m_data) {
        log_error("error: %s: no memory for a %d x %d image\n", who, img->m_width, img->m_height);
        delete img;
        return nullptr;
    }
    return img;
}

}  // namespace

image_base::image_base(int type, int width, int height, int pitch)
    : m_type(type), m_width(width), m_height(height), m_pitch(pitch) {}

image_base::~image_base() { delete[] m_data; }

int64_t rgb_pitch(int64_t width) {
    return (width * rgb::bytes_per_pixel + row_alignment - 1) & ~(row_alignment - 1);
}

rgb::rgb(int width, int height) : image_base(RGB, width, height, static_cast<int>(rgb_pitch(width))) {}

rgba::rgba(int width, int height) : image_base(RGBA, width, height, width * bytes_per_pixel) {}

void rgba::set_pixel(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    uint8_t* p = row(y) + x * bytes_per_pixel;
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p[3] = a;
}

alpha::alpha(int width, int height) : image_base(ALPHA, width, height, width) {}

void alpha::set_pixel(int x, int y, uint8_t value) { row(y)[x] = value; }

bool check_size(int width, int height, int64_t pitch, const char* who) {
    if (width <= 0 || height <= 0) {
        log_error("error: %s: image size %d x %d has no pixels\n", who, width, height);
        return false;
    }
    const int64_t bytes = pitch * height;
    if (bytes > max_image_bytes) {
        log_error("error: %s: image size %d x %d needs %lld bytes, over the limit of %lld\n", who, width,
                  height, static_cast<long long>(bytes), static_cast<long long>(max_image_bytes));
        return false;
    }
    return true;
}

rgb* create_rgb(int width, int height) {
    if (!check_size(width, height, rgb_pitch(width), "create_rgb")) return nullptr;
    return with_buffer(new (std::nothrow) rgb(width, height), "create_rgb");
}

rgba* create_rgba(int width, int height) {
    if (!check_size(width, height, static_cast<int64_t>(width) * rgba::bytes_per_pixel, "create_rgba"))
        return nullptr;
    return with_buffer(new (std::nothrow) rgba(width, height), "create_rgba");
}

alpha* create_alpha(int width, int height) {
    if (!check_size(width, height, width, "create_alpha")) return nullptr;
    return with_buffer(new (std::nothrow) alpha(width, height), "create_alpha");
}

}  // namespace flash::image
