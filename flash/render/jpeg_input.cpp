#include "flash/render/jpeg_input.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

// libjpeg's header needs size_t and FILE declared first.
#include <jpeglib.h>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/swf/swf_stream.h"

namespace flash::jpeg {

namespace {

constexpr int source_buffer_size = 4096;
// libjpeg's internal "ready to start decompressing" state.
constexpr int decompressor_ready_state = 202;
constexpr JOCTET marker_prefix = 0xFF;
constexpr JOCTET marker_soi = 0xD8;
constexpr JOCTET marker_eoi = 0xD9;
constexpr int rgb_components = 3;

// Formats that later SWF versions allow in JPEG tags and this reader does not decode.
constexpr uint8_t png_signature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint8_t gif_signature[] = {'G', 'I', 'F', '8'};

struct error_state {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 64];
};

// Leaves the failed libjpeg call for the setjmp of the reader operation that made it.
[[noreturn]] void fail_with(error_state* err, const char* message) {
    std::snprintf(err->message, sizeof err->message, "%s", message);
    std::longjmp(err->jump, 1);
}

[[noreturn]] void on_error_exit(j_common_ptr cinfo) {
    error_state* err = reinterpret_cast<error_state*>(cinfo->err);
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    std::snprintf(err->message, sizeof err->message, "internal error in jpeglib: %s", text);
    std::longjmp(err->jump, 1);
}

// Warnings go to the engine log instead of the standard error stream.
void on_output_message(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    log_msg("jpeg: %s\n", text);
}

struct source {
    jpeg_source_mgr pub;
    swf_stream* in;
    int end_position;
    bool start_of_file;
    error_state* err;
    JOCTET buffer[source_buffer_size];
};

bool starts_with(const JOCTET* data, int size, const uint8_t* signature, int signature_size) {
    return size >= signature_size && std::memcmp(data, signature, static_cast<size_t>(signature_size)) == 0;
}

void init_source(j_decompress_ptr cinfo) { reinterpret_cast<source*>(cinfo->src)->start_of_file = true; }

boolean fill_input_buffer(j_decompress_ptr cinfo) {
    source* src = reinterpret_cast<source*>(cinfo->src);
    const int64_t limit = std::min(src->end_position, src->in->get_tag_end_position());
    const int64_t room = std::min<int64_t>(limit - src->in->get_position(), source_buffer_size);
    const int got = room > 0 ? src->in->read_bytes(src->buffer, static_cast<int>(room)) : 0;
    int count = got;
    if (got <= 0) {
        if (src->start_of_file) fail_with(src->err, "empty jpeg source stream.");
        // A cut stream ends as if the end-of-image marker followed its last byte.
        src->buffer[0] = marker_prefix;
        src->buffer[1] = marker_eoi;
        count = 2;
    } else if (src->start_of_file) {
        if (starts_with(src->buffer, got, png_signature, sizeof png_signature)) {
            fail_with(src->err, "PNG data in a JPEG bitmap tag is not supported");
        }
        if (starts_with(src->buffer, got, gif_signature, sizeof gif_signature)) {
            fail_with(src->err, "GIF data in a JPEG bitmap tag is not supported");
        }
        // SWF JPEG data may open with end-of-image before start-of-image; read it as an empty
        // tables block so the real stream follows.
        if (got > 3 && src->buffer[0] == marker_prefix && src->buffer[1] == marker_eoi &&
            src->buffer[2] == marker_prefix && src->buffer[3] == marker_soi) {
            src->buffer[1] = marker_soi;
            src->buffer[3] = marker_eoi;
        }
    }
    src->start_of_file = false;
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = static_cast<size_t>(count);
    return TRUE;
}

void skip_input_data(j_decompress_ptr cinfo, long count) {
    source* src = reinterpret_cast<source*>(cinfo->src);
    if (count <= 0) return;
    while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        fill_input_buffer(cinfo);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void term_source(j_decompress_ptr) {}

class input_impl : public input {
public:
    input_impl() { std::memset(&m_cinfo, 0, sizeof m_cinfo); }

    ~input_impl() override {
        if (!m_created) return;
        if (m_started) jpeg_abort_decompress(&m_cinfo);
        jpeg_destroy_decompress(&m_cinfo);
    }

    // Creates the decompressor over in and reads the first header without requiring an image.
    bool open(swf_stream* in, int end_position) {
        m_cinfo.err = jpeg_std_error(&m_error.mgr);
        m_error.mgr.error_exit = on_error_exit;
        m_error.mgr.output_message = on_output_message;
        m_source.pub.init_source = init_source;
        m_source.pub.fill_input_buffer = fill_input_buffer;
        m_source.pub.skip_input_data = skip_input_data;
        m_source.pub.resync_to_restart = jpeg_resync_to_restart;
        m_source.pub.term_source = term_source;
        m_source.pub.bytes_in_buffer = 0;
        m_source.pub.next_input_byte = nullptr;
        m_source.in = in;
        m_source.end_position = end_position;
        m_source.start_of_file = true;
        m_source.err = &m_error;
        if (setjmp(m_error.jump)) {
            report();
            return false;
        }
        jpeg_create_decompress(&m_cinfo);
        m_created = true;
        m_cinfo.src = &m_source.pub;
        jpeg_read_header(&m_cinfo, FALSE);
        return true;
    }

    void discard_buffered_input(int end_position) override {
        m_source.pub.bytes_in_buffer = 0;
        m_source.pub.next_input_byte = nullptr;
        m_source.end_position = end_position;
    }

    bool begin_image() override {
        if (setjmp(m_error.jump)) {
            abort_image();
            return false;
        }
        if (m_cinfo.global_state != decompressor_ready_state) jpeg_read_header(&m_cinfo, TRUE);
        const int width = static_cast<int>(m_cinfo.image_width);
        const int height = static_cast<int>(m_cinfo.image_height);
        // Refuse before libjpeg sizes its own buffers for the picture.
        if (!image::check_size(width, height, image::rgb_pitch(width), "jpeg::input::begin_image")) {
            jpeg_abort_decompress(&m_cinfo);
            return false;
        }
        m_cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&m_cinfo);
        m_started = true;
        if (m_cinfo.output_components != rgb_components) {
            fail_with(&m_error, "the picture does not decode to rgb");
        }
        return true;
    }

    void end_image() override {
        if (!m_started) return;
        if (setjmp(m_error.jump)) {
            abort_image();
            return;
        }
        jpeg_finish_decompress(&m_cinfo);
        m_started = false;
    }

    int get_height() const override { return static_cast<int>(m_cinfo.output_height); }
    int get_width() const override { return static_cast<int>(m_cinfo.output_width); }

    bool read_row(uint8_t* rgb_row) override {
        if (!m_started) return false;
        if (setjmp(m_error.jump)) {
            abort_image();
            return false;
        }
        JSAMPROW rows[1] = {rgb_row};
        if (jpeg_read_scanlines(&m_cinfo, rows, 1) != 1) fail_with(&m_error, "no more rows in the picture");
        return true;
    }

private:
    void report() { log_error("error: jpeg: %s\n", m_error.message); }

    // Logs the failure and puts the decompressor back to its start, tables kept.
    void abort_image() {
        report();
        if (m_created) jpeg_abort_decompress(&m_cinfo);
        m_started = false;
    }

    jpeg_decompress_struct m_cinfo;
    error_state m_error{};
    source m_source{};
    bool m_created = false;
    bool m_started = false;
};

// Copies decoded rows into an image through copy_row(row bytes, image row).
template <class image_type, class copy>
image_type* read_image(input* reader, image_type* (*create)(int, int), copy copy_row) {
    if (!reader || !reader->begin_image()) return nullptr;
    image_type* img = create(reader->get_width(), reader->get_height());
    std::vector<uint8_t> row;
    if (img) row.resize(static_cast<size_t>(img->m_width) * rgb_components);
    bool ok = img != nullptr;
    for (int y = 0; ok && y < img->m_height; ++y) {
        ok = reader->read_row(row.data());
        if (ok) copy_row(row.data(), img->row(y), img->m_width);
    }
    reader->end_image();
    if (!ok) {
        delete img;
        return nullptr;
    }
    return img;
}

}  // namespace

input* create_tables_reader(swf_stream* in, int end_position) {
    if (!in) return nullptr;
    input_impl* reader = new (std::nothrow) input_impl;
    if (!reader) {
        log_error("error: jpeg: no memory for a reader\n");
        return nullptr;
    }
    if (!reader->open(in, end_position)) {
        delete reader;
        return nullptr;
    }
    return reader;
}

image::rgb* read_rgb(input* reader) {
    return read_image(reader, image::create_rgb, [](const uint8_t* src, uint8_t* dst, int width) {
        std::memcpy(dst, src, static_cast<size_t>(width) * rgb_components);
    });
}

image::rgba* read_rgba(input* reader) {
    return read_image(reader, image::create_rgba, [](const uint8_t* src, uint8_t* dst, int width) {
        for (int x = 0; x < width; ++x, src += rgb_components, dst += image::rgba::bytes_per_pixel) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = UINT8_MAX;
        }
    });
}

image::rgb* read_swf_jpeg2(swf_stream* in, int end_position) {
    input* reader = create_tables_reader(in, end_position);
    image::rgb* img = read_rgb(reader);
    delete reader;
    return img;
}

image::rgba* read_swf_jpeg3(swf_stream* in, int end_position) {
    input* reader = create_tables_reader(in, end_position);
    image::rgba* img = read_rgba(reader);
    delete reader;
    return img;
}

}  // namespace flash::jpeg

namespace flash::image {

rgb* read_jpeg(const char* filename) {
    bx_file in(filename, "rb");
    if (in.get_error() != bx_file::NO_ERROR) return nullptr;
    return read_jpeg(&in);
}

rgb* read_jpeg(bx_file* in) {
    if (!in) return nullptr;
    swf_stream stream(in);
    return jpeg::read_swf_jpeg2(&stream, INT_MAX);
}

}  // namespace flash::image
