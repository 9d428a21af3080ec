#include "flash/render/lossless.h"

#include <vector>

#include "flash/base/log.h"
#include "flash/swf/inflate_wrapper.h"
#include "flash/swf/swf_stream.h"

namespace flash::lossless {

namespace {

constexpr int64_t row_alignment = 4;
constexpr int rgb_palette_entry = 3;
constexpr int rgba_palette_entry = 4;
constexpr int rgb15_bytes = 2;
constexpr int argb_bytes = 4;
constexpr int channel_bits = 5;
constexpr uint32_t channel_mask = 0x1F;
// A 5-bit channel becomes an 8-bit one by this shift.
constexpr int channel_widen = 3;

int64_t padded(int64_t row_bytes) { return (row_bytes + row_alignment - 1) & ~(row_alignment - 1); }

// The inflated bytes of the tag, or an empty vector (logged) on error.
std::vector<uint8_t> inflate_pixels(swf_stream* in, int64_t size) {
    std::vector<uint8_t> data;
    if (size > image::max_image_bytes) {
        log_error("error: lossless bitmap data of %lld bytes is over the limit\n",
                  static_cast<long long>(size));
        return data;
    }
    data.resize(static_cast<size_t>(size));
    if (!inflate_wrapper(in, data.data(), size)) data.clear();
    return data;
}

// Writes each pixel through put(image row, x, source bytes) from rows of src_pitch bytes.
template <class image_type, class put_pixel>
bool convert_rows(image_type* img, const uint8_t* src, int64_t src_pitch, put_pixel put) {
    for (int y = 0; y < img->m_height; ++y) {
        const uint8_t* src_row = src + src_pitch * y;
        uint8_t* dst_row = img->row(y);
        for (int x = 0; x < img->m_width; ++x) put(dst_row, x, src_row);
    }
    return true;
}

uint8_t widen(uint32_t value, int shift) {
    return static_cast<uint8_t>(((value >> shift) & channel_mask) << channel_widen);
}

// Decodes the pixels of fmt into img; entry is the palette entry size (3 or 4 bytes).
template <class image_type, class store>
bool decode(swf_stream* in, int fmt, image_type* img, int entry, store put) {
    const int width = img->m_width;
    const int height = img->m_height;
    if (fmt == COLORMAPPED) {
        const int colors = in->read_u8() + 1;
        const int64_t palette_bytes = static_cast<int64_t>(colors) * entry;
        const int64_t pitch = padded(width);
        std::vector<uint8_t> data = inflate_pixels(in, palette_bytes + pitch * height);
        if (data.empty()) return false;
        const uint8_t* palette = data.data();
        int out_of_range = 0;
        convert_rows(img, data.data() + palette_bytes, pitch, [&](uint8_t* row, int x, const uint8_t* src) {
            int index = src[x];
            // An index past the palette reads the first colour.
            if (index >= colors) {
                ++out_of_range;
                index = 0;
            }
            const uint8_t* c = palette + index * entry;
            put(row, x, c[0], c[1], c[2], entry == rgba_palette_entry ? c[3] : UINT8_MAX);
        });
        if (out_of_range > 0) {
            log_error("error: lossless bitmap: %d palette indices past the %d colours read colour 0\n",
                      out_of_range, colors);
        }
        return true;
    }
    if (fmt == RGB15) {
        const int64_t pitch = padded(static_cast<int64_t>(width) * rgb15_bytes);
        std::vector<uint8_t> data = inflate_pixels(in, pitch * height);
        if (data.empty()) return false;
        return convert_rows(img, data.data(), pitch, [&](uint8_t* row, int x, const uint8_t* src) {
            const uint32_t v = (static_cast<uint32_t>(src[x * rgb15_bytes]) << 8) | src[x * rgb15_bytes + 1];
            put(row, x, widen(v, 2 * channel_bits), widen(v, channel_bits), widen(v, 0), UINT8_MAX);
        });
    }
    if (fmt == ARGB) {
        const int64_t pitch = static_cast<int64_t>(width) * argb_bytes;
        std::vector<uint8_t> data = inflate_pixels(in, pitch * height);
        if (data.empty()) return false;
        return convert_rows(img, data.data(), pitch, [&](uint8_t* row, int x, const uint8_t* src) {
            const uint8_t* p = src + x * argb_bytes;
            put(row, x, p[1], p[2], p[3], p[0]);
        });
    }
    log_error("error: lossless bitmap: unknown format %d\n", fmt);
    return false;
}

template <class image_type>
image_type* finish(image_type* img, bool ok) {
    if (ok) return img;
    delete img;
    return nullptr;
}

}  // namespace

image::rgb* read_rgb(swf_stream* in, int fmt, int width, int height) {
    image::rgb* img = image::create_rgb(width, height);
    if (!img) return nullptr;
    const bool ok = decode(in, fmt, img, rgb_palette_entry,
                           [](uint8_t* row, int x, uint8_t r, uint8_t g, uint8_t b, uint8_t) {
                               uint8_t* p = row + x * image::rgb::bytes_per_pixel;
                               p[0] = r;
                               p[1] = g;
                               p[2] = b;
                           });
    return finish(img, ok);
}

image::rgba* read_rgba(swf_stream* in, int fmt, int width, int height) {
    image::rgba* img = image::create_rgba(width, height);
    if (!img) return nullptr;
    const bool ok = decode(in, fmt, img, rgba_palette_entry,
                           [](uint8_t* row, int x, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
                               uint8_t* p = row + x * image::rgba::bytes_per_pixel;
                               p[0] = r;
                               p[1] = g;
                               p[2] = b;
                               p[3] = a;
                           });
    return finish(img, ok);
}

}  // namespace flash::lossless
