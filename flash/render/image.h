#pragma once
// Decoded pictures as plain memory: opaque rgb (rows padded to 4 bytes), rgba, and 8-bit alpha.
// Pixel buffers are sized in 64 bits and refused above max_image_bytes, so a hostile header
// (65535 x 65535) is logged and gives no image instead of a short buffer.
#include <cstdint>

namespace flash::image {

// The largest pixel buffer an image may have: a 4096 x 4096 rgba image fits exactly.
constexpr int64_t max_image_bytes = int64_t{1} << 26;

enum image_type { RGB = 1, RGBA = 2, ALPHA = 3 };

class image_base {
public:
    image_base(int type, int width, int height, int pitch);
    virtual ~image_base();
    image_base(const image_base&) = delete;
    image_base& operator=(const image_base&) = delete;

    uint8_t* row(int y) { return m_data + static_cast<int64_t>(m_pitch) * y; }
    const uint8_t* row(int y) const { return m_data + static_cast<int64_t>(m_pitch) * y; }

    int m_type;
    uint8_t* m_data = nullptr;
    int m_width;
    int m_height;
    int m_pitch;
};

// r, g, b per pixel; rows padded to a multiple of 4 bytes.
class rgb : public image_base {
public:
    static constexpr int bytes_per_pixel = 3;
    rgb(int width, int height);
};

// r, g, b, a per pixel.
class rgba : public image_base {
public:
    static constexpr int bytes_per_pixel = 4;
    rgba(int width, int height);
    void set_pixel(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a);
};

// One byte per pixel.
class alpha : public image_base {
public:
    alpha(int width, int height);
    void set_pixel(int x, int y, uint8_t value);
};

// Row pitch of an rgb image: width * 3 rounded up to a multiple of 4.
int64_t rgb_pitch(int64_t width);

// True when an image of that size may be made; otherwise logs an ERROR naming who asked.
[[nodiscard]] bool check_size(int width, int height, int64_t pitch, const char* who);

// New images with their pixel buffers (contents undefined); null, logged, when a side is not
// positive, the buffer would pass max_image_bytes, or memory runs out.
rgb* create_rgb(int width, int height);
rgba* create_rgba(int width, int height);
alpha* create_alpha(int width, int height);

}  // namespace flash::image
