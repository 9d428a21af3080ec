#include "flash/movie/bitmap_loaders.h"

#include <memory>
#include <new>
#include <type_traits>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/bitmap_character.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/tag_loaders.h"
#include "flash/render/bitmap_info.h"
#include "flash/render/jpeg_input.h"
#include "flash/render/lossless.h"
#include "flash/swf/inflate_wrapper.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

const bx_string& owner_name(swf_stream* in) {
    static const bx_string none;
    return in->get_input() ? in->get_input()->get_name() : none;
}

// A bitmap without pixels: the handler's empty one (which may be null), or a placeholder.
bitmap_info* empty_bitmap(const bx_string& owner) {
    render_handler* handler = get_render_handler();
    return handler ? handler->create_bitmap_info_empty(owner) : render::create_bogus_bitmap_info();
}

// The texture of a decoded image (deleted here); an empty bitmap when decoding failed.
template <class image_type>
bitmap_info* make_bitmap(image_type* img, const bx_string& owner) {
    std::unique_ptr<image_type> held(img);
    if (!img) return empty_bitmap(owner);
    render_handler* handler = get_render_handler();
    if (!handler) return render::create_bogus_bitmap_info();
    if constexpr (std::is_same_v<image_type, image::rgba>) {
        return handler->create_bitmap_info_rgba(img, owner);
    } else {
        return handler->create_bitmap_info_rgb(img, owner);
    }
}

}  // namespace

bitmap_info* make_bitmap_info(image::rgb* img, const bx_string& owner) { return make_bitmap(img, owner); }

namespace {

void store_bitmap(movie_definition_sub* m, int id, bitmap_info* bi) {
    smart_ptr<bitmap_info> held(bi);
    smart_ptr<bitmap_character> ch(new bitmap_character(m, bi));
    m->add_bitmap_character_def(id, ch.get_ptr());
}

// With the no-bitmaps flag the tag's data is left for close_tag to skip.
bool skip_pixels(swf_stream* in, movie_definition_sub* m, int id) {
    if (m->get_create_bitmaps() == 0) return false;
    store_bitmap(m, id, empty_bitmap(owner_name(in)));
    return true;
}

// The alpha plane after a DefineBitsJPEG3's colour data; none leaves every alpha at 255.
bool read_jpeg3_alpha(swf_stream* in, image::rgba* img) {
    if (in->get_tag_end_position() <= in->get_position()) return true;
    const int64_t count = static_cast<int64_t>(img->m_width) * img->m_height;
    std::unique_ptr<uint8_t[]> alpha(new (std::nothrow) uint8_t[static_cast<size_t>(count)]);
    if (!alpha) {
        log_error("error: define_bits_jpeg3_loader: no memory for %lld alpha bytes\n",
                  static_cast<long long>(count));
        return false;
    }
    if (!inflate_wrapper(in, alpha.get(), count)) return false;
    for (int y = 0; y < img->m_height; ++y) {
        uint8_t* pixel = img->row(y);
        const uint8_t* a = alpha.get() + static_cast<int64_t>(img->m_width) * y;
        for (int x = 0; x < img->m_width; ++x, pixel += image::rgba::bytes_per_pixel) pixel[3] = a[x];
    }
    return true;
}

}  // namespace

void jpeg_tables_loader(swf_stream* in, int, movie_definition_sub* m) {
    const int end = in->get_tag_end_position();
    m->set_jpeg_loader(end - in->get_position() > 0 ? jpeg::create_tables_reader(in, end) : nullptr);
}

void define_bits_jpeg_loader(swf_stream* in, int, movie_definition_sub* m) {
    const int id = in->read_u16();
    if (skip_pixels(in, m, id)) return;
    const int end = in->get_tag_end_position();
    image::rgb* img = nullptr;
    if (jpeg::input* tables = m->get_jpeg_loader()) {
        tables->discard_buffered_input(end);
        img = jpeg::read_rgb(tables);
    } else {
        img = jpeg::read_swf_jpeg2(in, end);
    }
    store_bitmap(m, id, make_bitmap(img, owner_name(in)));
}

void define_bits_jpeg2_loader(swf_stream* in, int, movie_definition_sub* m) {
    const int id = in->read_u16();
    if (get_verbose_parse())
        log_msg("  define_bits_jpeg2_loader: charid = %d pos = 0x%x\n", id, in->get_position());
    if (skip_pixels(in, m, id)) return;
    store_bitmap(m, id, make_bitmap(jpeg::read_swf_jpeg2(in, in->get_tag_end_position()), owner_name(in)));
}

void define_bits_jpeg3_loader(swf_stream* in, int, movie_definition_sub* m) {
    const int id = in->read_u16();
    if (get_verbose_parse())
        log_msg("  define_bits_jpeg3_loader: charid = %d pos = 0x%x\n", id, in->get_position());
    const uint32_t jpeg_size = in->read_u32();
    if (skip_pixels(in, m, id)) return;
    const int end = in->get_tag_end_position();
    int64_t alpha_position = static_cast<int64_t>(in->get_position()) + jpeg_size;
    if (alpha_position > end) {
        log_error("error: define_bits_jpeg3_loader: JPEG size %u runs past the tag end; no alpha read\n",
                  jpeg_size);
        alpha_position = end;
    }
    image::rgba* img = jpeg::read_swf_jpeg3(in, static_cast<int>(alpha_position));
    if (img) {
        in->set_position(static_cast<int>(alpha_position));
        if (!read_jpeg3_alpha(in, img)) {
            delete img;
            img = nullptr;
        }
    }
    store_bitmap(m, id, make_bitmap(img, owner_name(in)));
}

void define_bits_lossless_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    const int id = in->read_u16();
    const int fmt = in->read_u8();
    const int width = in->read_u16();
    const int height = in->read_u16();
    if (get_verbose_parse()) {
        log_msg("  defbitslossless2: tag_type = %d, id = %d, fmt = %d, w = %d, h = %d\n", tag_type, id, fmt,
                width, height);
    }
    if (skip_pixels(in, m, id)) return;
    const bx_string& owner = owner_name(in);
    if (tag_type == TAG_DEFINE_BITS_LOSSLESS) {
        store_bitmap(m, id, make_bitmap(lossless::read_rgb(in, fmt, width, height), owner));
    } else {
        store_bitmap(m, id, make_bitmap(lossless::read_rgba(in, fmt, width, height), owner));
    }
}

}  // namespace flash
