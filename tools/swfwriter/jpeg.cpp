#include <cstdio>
#include <cstdlib>
#include <stdexcept>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "tools/swfwriter/bitmaps.h"

namespace swf {

namespace {

// Errors here are misuse of the writer (the images are validated before), so they end the
// process with libjpeg's message rather than unwinding through C frames.
[[noreturn]] void fail(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    std::abort();
}

class Compressor {
public:
    Compressor(const Image& image, int quality) : image_(image) {
        if (image.width <= 0 || image.height <= 0 ||
            image.pixels.size() != static_cast<size_t>(image.width) * image.height)
            throw std::invalid_argument("JPEG image without pixels");
        cinfo_.err = jpeg_std_error(&errors_);
        errors_.error_exit = fail;
        jpeg_create_compress(&cinfo_);
        cinfo_.image_width = static_cast<JDIMENSION>(image.width);
        cinfo_.image_height = static_cast<JDIMENSION>(image.height);
        cinfo_.input_components = 3;
        cinfo_.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo_);
        jpeg_set_quality(&cinfo_, quality, TRUE);
    }
    ~Compressor() {
        jpeg_destroy_compress(&cinfo_);
        std::free(buffer_);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    // A stream of the tables alone; they are then left out of the next image.
    Bytes tables() {
        start_output();
        jpeg_write_tables(&cinfo_);
        return output();
    }

    Bytes picture(bool with_tables) {
        start_output();
        jpeg_start_compress(&cinfo_, with_tables ? TRUE : FALSE);
        std::vector<JSAMPLE> row(static_cast<size_t>(image_.width) * 3);
        for (int y = 0; y < image_.height; ++y) {
            for (int x = 0; x < image_.width; ++x) {
                const Rgba p = image_.at(x, y);
                row[3 * x] = p.r;
                row[3 * x + 1] = p.g;
                row[3 * x + 2] = p.b;
            }
            JSAMPROW rows[] = {row.data()};
            jpeg_write_scanlines(&cinfo_, rows, 1);
        }
        jpeg_finish_compress(&cinfo_);
        return output();
    }

private:
    void start_output() {
        std::free(buffer_);
        buffer_ = nullptr;
        size_ = 0;
        jpeg_mem_dest(&cinfo_, &buffer_, &size_);
    }
    Bytes output() const { return Bytes(buffer_, buffer_ + size_); }

    const Image& image_;
    jpeg_compress_struct cinfo_{};
    jpeg_error_mgr errors_{};
    unsigned char* buffer_ = nullptr;
    unsigned long size_ = 0;
};

}  // namespace

Bytes encode_jpeg(const Image& image, int quality) { return Compressor(image, quality).picture(true); }

JpegPair encode_jpeg_pair(const Image& image, int quality) {
    Compressor c(image, quality);
    JpegPair pair;
    pair.tables = c.tables();
    pair.image = c.picture(false);
    return pair;
}

Bytes alpha_channel(const Image& image) {
    Bytes alpha;
    alpha.reserve(image.pixels.size());
    for (const Rgba& p : image.pixels) alpha.push_back(p.a);
    return alpha;
}

Bytes define_bits_jpeg3_body(uint16_t id, const Bytes& jpeg, const Bytes& alpha) {
    BitWriter w;
    w.u16(id);
    w.u32(static_cast<uint32_t>(jpeg.size()));
    w.bytes(jpeg);
    w.bytes(deflate_bytes(alpha));
    return w.take();
}

}  // namespace swf
