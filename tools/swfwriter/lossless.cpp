#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "tools/swfwriter/bitmaps.h"

namespace swf {

namespace {

constexpr size_t max_palette_size = 256;
constexpr int rgb15_channel_shift = 3;  // 8-bit channels keep their top 5 bits

size_t padded_row(size_t bytes) { return (bytes + 3) & ~size_t{3}; }

bool same_color(Rgba a, Rgba b, bool with_alpha) {
    return a.r == b.r && a.g == b.g && a.b == b.b && (!with_alpha || a.a == b.a);
}

std::vector<Rgba> palette_of(const Image& image, bool with_alpha) {
    std::vector<Rgba> palette;
    for (const Rgba& p : image.pixels) {
        if (std::none_of(palette.begin(), palette.end(),
                         [&](Rgba c) { return same_color(c, p, with_alpha); }))
            palette.push_back(p);
    }
    if (palette.size() > max_palette_size) throw std::invalid_argument("more than 256 colours for a palette");
    return palette;
}

void write_colormapped(BitWriter& w, const Image& image, bool with_alpha) {
    const std::vector<Rgba> palette = palette_of(image, with_alpha);
    for (const Rgba& c : palette) {
        if (with_alpha)
            write_rgba(w, c);
        else
            write_rgb(w, c);
    }
    const size_t row_bytes = padded_row(static_cast<size_t>(image.width));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgba p = image.at(x, y);
            const auto found = std::find_if(palette.begin(), palette.end(),
                                            [&](Rgba c) { return same_color(c, p, with_alpha); });
            w.u8(static_cast<uint8_t>(found - palette.begin()));
        }
        for (size_t pad = static_cast<size_t>(image.width); pad < row_bytes; ++pad) w.u8(0);
    }
}

void write_rgb15(BitWriter& w, const Image& image) {
    const size_t row_bytes = padded_row(2 * static_cast<size_t>(image.width));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgba p = image.at(x, y);
            w.ub(0, 1);  // unused top bit
            w.ub(p.r >> rgb15_channel_shift, 5);
            w.ub(p.g >> rgb15_channel_shift, 5);
            w.ub(p.b >> rgb15_channel_shift, 5);
        }
        for (size_t pad = 2 * static_cast<size_t>(image.width); pad < row_bytes; ++pad) w.u8(0);
    }
}

void write_argb(BitWriter& w, const Image& image, bool with_alpha) {
    for (const Rgba& p : image.pixels) {
        w.u8(with_alpha ? p.a : 0);
        write_rgb(w, p);
    }
}

}  // namespace

Image Image::filled(int width, int height, Rgba color) {
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height, color);
    return image;
}

Bytes deflate_bytes(const Bytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) !=
        Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(size);
    return out;
}

Bytes lossless_pixel_data(const Image& image, uint8_t format, bool with_alpha) {
    BitWriter w;
    switch (format) {
        case lossless_colormapped:
            write_colormapped(w, image, with_alpha);
            break;
        case lossless_rgb15:
            write_rgb15(w, image);
            break;
        case lossless_argb:
            write_argb(w, image, with_alpha);
            break;
        default:
            throw std::invalid_argument("unknown lossless bitmap format");
    }
    return w.take();
}

Bytes define_bits_lossless_body(uint16_t id, const Image& image, uint8_t format, bool with_alpha) {
    BitWriter w;
    w.u16(id);
    w.u8(format);
    w.u16(static_cast<uint16_t>(image.width));
    w.u16(static_cast<uint16_t>(image.height));
    if (format == lossless_colormapped) w.u8(static_cast<uint8_t>(palette_of(image, with_alpha).size() - 1));
    w.bytes(deflate_bytes(lossless_pixel_data(image, format, with_alpha)));
    return w.take();
}

}  // namespace swf
