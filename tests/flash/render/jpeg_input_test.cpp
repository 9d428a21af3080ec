// The JPEG reader over an swf_stream: self-contained and shared-table streams decode to the
// writer's flat colours; the SWF end-before-start prefix, cut streams and the read bound; every
// libjpeg failure (garbage, empty, other formats, oversized headers) logged with no image.
#include "flash/render/jpeg_input.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "flash/base/bx_file.h"
#include "flash/swf/swf_stream.h"
#include "tests/support/engine_log.h"
#include "tools/swfwriter/bitmaps.h"

namespace {

using bytes = std::vector<uint8_t>;

constexpr int quality = 95;
constexpr int tolerance = 6;
const swf::Rgba block_colors[] = {
    {200, 30, 40, 255}, {20, 180, 60, 255}, {30, 40, 220, 255}, {240, 240, 240, 255}};

constexpr int block = 16;
constexpr int side = 2 * block;
constexpr int edge = 2;

// Four flat blocks, each one of JPEG's colour units (16 x 16 with halved chroma), so that no
// colour bleeds into a neighbour.
swf::Image four_blocks() {
    swf::Image img = swf::Image::filled(side, side, {});
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) img.at(x, y) = block_colors[(y / block) * 2 + x / block];
    }
    return img;
}

// A stream over a copy of data; reads may stop at end.
struct memory_stream {
    explicit memory_stream(const bytes& d)
        : data(d), file(flash::memory_buffer, static_cast<int>(data.size()), data.data()), in(&file) {
        in.set_stream_end(static_cast<int>(data.size()));
    }
    bytes data;
    flash::bx_file file;
    flash::swf_stream in;
};

bytes concat(const bytes& a, const bytes& b) {
    bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

template <class image_type>
void expect_blocks(const image_type* img, int bytes_per_pixel) {
    ASSERT_NE(img, nullptr);
    ASSERT_EQ(img->m_width, side);
    ASSERT_EQ(img->m_height, side);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            // Chroma is interpolated across block borders: the two pixels each side may blend.
            if (std::abs(x % block - block / 2) > block / 2 - edge ||
                std::abs(y % block - block / 2) > block / 2 - edge)
                continue;
            const swf::Rgba& want = block_colors[(y / block) * 2 + x / block];
            const uint8_t* p = img->row(y) + x * bytes_per_pixel;
            ASSERT_LE(std::abs(p[0] - want.r), tolerance) << x << "," << y;
            ASSERT_LE(std::abs(p[1] - want.g), tolerance) << x << "," << y;
            ASSERT_LE(std::abs(p[2] - want.b), tolerance) << x << "," << y;
        }
    }
}

TEST(JpegInput, SelfContainedStreamsDecodeWithOrWithoutTheSwfPrefix) {
    const bytes jpeg = swf::encode_jpeg(four_blocks(), quality);
    for (const bytes& data : {jpeg, concat(swf::jpeg_erroneous_header, jpeg)}) {
        testsupport::engine_log log;
        memory_stream s(data);
        std::unique_ptr<flash::image::rgb> rgb(
            flash::jpeg::read_swf_jpeg2(&s.in, static_cast<int>(data.size())));
        expect_blocks(rgb.get(), 3);
        memory_stream s3(data);
        std::unique_ptr<flash::image::rgba> rgba(
            flash::jpeg::read_swf_jpeg3(&s3.in, static_cast<int>(data.size())));
        expect_blocks(rgba.get(), 4);
        ASSERT_NE(rgba, nullptr);
        for (int i = 0; i < side * side; ++i) ASSERT_EQ(rgba->m_data[i * 4 + 3], 255);
        EXPECT_EQ(log.errors(), "");
    }
}

TEST(JpegInput, ASharedTablesReaderServesLaterImagesAndOutlivesABadOne) {
    const swf::JpegPair pair = swf::encode_jpeg_pair(four_blocks(), quality);
    const bytes garbage(40, 0x55);
    // Tables, good image, garbage, good image: as the tags of one movie would follow each other.
    const bytes data = concat(concat(concat(pair.tables, pair.image), garbage), pair.image);
    testsupport::engine_log log;
    memory_stream s(data);
    int end = static_cast<int>(pair.tables.size());
    std::unique_ptr<flash::jpeg::input> tables(flash::jpeg::create_tables_reader(&s.in, end));
    ASSERT_TRUE(tables);
    s.in.set_position(end);
    const int sizes[] = {static_cast<int>(pair.image.size()), static_cast<int>(garbage.size()),
                         static_cast<int>(pair.image.size())};
    for (int i = 0; i < 3; ++i) {
        end += sizes[i];
        tables->discard_buffered_input(end);
        std::unique_ptr<flash::image::rgb> img(flash::jpeg::read_rgb(tables.get()));
        if (i == 1) {
            EXPECT_EQ(img, nullptr);
            EXPECT_TRUE(log.has_error("internal error in jpeglib")) << log.errors();
        } else {
            expect_blocks(img.get(), 3);
        }
        EXPECT_LE(s.in.get_position(), end);
        s.in.set_position(end);
    }
}

TEST(JpegInput, ReadsNoFurtherThanItsEndAndEndsCutStreams) {
    const bytes jpeg = swf::encode_jpeg(four_blocks(), quality);
    testsupport::engine_log log;
    const bytes data = concat(jpeg, bytes(5000, 0xAB));
    memory_stream s(data);
    std::unique_ptr<flash::image::rgb> img(flash::jpeg::read_swf_jpeg2(&s.in, static_cast<int>(jpeg.size())));
    expect_blocks(img.get(), 3);
    EXPECT_LE(s.in.get_position(), static_cast<int>(jpeg.size()));

    // A stream cut after its headers decodes what it has, as if end-of-image followed.
    const int cut = static_cast<int>(jpeg.size()) - 40;
    memory_stream c(jpeg);
    std::unique_ptr<flash::image::rgb> partial(flash::jpeg::read_swf_jpeg2(&c.in, cut));
    ASSERT_NE(partial, nullptr);
    EXPECT_EQ(partial->m_width, side);
    EXPECT_LE(c.in.get_position(), cut);
}

// The SOF0 frame header's height and width fields set to 65000 x 65000.
bytes with_huge_frame(bytes jpeg) {
    for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = 0xFD;
            jpeg[i + 6] = 0xE8;
            jpeg[i + 7] = 0xFD;
            jpeg[i + 8] = 0xE8;
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

TEST(JpegInput, FailuresAreLoggedAndGiveNoImage) {
    const bytes jpeg = swf::encode_jpeg(four_blocks(), quality);
    struct failure_case {
        const char* name;
        bytes data;
        const char* error;
    };
    const failure_case cases[] = {
        {"empty", {}, "empty jpeg source stream."},
        {"garbage", bytes(300, 0x42), "internal error in jpeglib"},
        {"png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}, "PNG data"},
        {"gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, "GIF data"},
        // Start and application markers only: read as tables, with no image after them.
        {"headers only", bytes(jpeg.begin(), jpeg.begin() + 20), "empty jpeg source stream."},
        {"cut in the frame header", bytes(jpeg.begin(), jpeg.begin() + 170), "internal error in jpeglib"},
        {"65000 x 65000", with_huge_frame(jpeg), "over the limit"},
    };
    for (const failure_case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::engine_log log;
        memory_stream s(c.data);
        EXPECT_EQ(flash::jpeg::read_swf_jpeg2(&s.in, static_cast<int>(c.data.size())), nullptr);
        memory_stream s3(c.data);
        EXPECT_EQ(flash::jpeg::read_swf_jpeg3(&s3.in, static_cast<int>(c.data.size())), nullptr);
        EXPECT_TRUE(log.has_error(c.error)) << log.errors();
    }
}

TEST(JpegInput, ReadsWholeFiles) {
    testsupport::engine_log log;
    EXPECT_EQ(flash::image::read_jpeg("no/such/picture.jpg"), nullptr);
    EXPECT_EQ(flash::image::read_jpeg(static_cast<flash::bx_file*>(nullptr)), nullptr);
    bytes jpeg = swf::encode_jpeg(four_blocks(), quality);
    flash::bx_file file(flash::memory_buffer, static_cast<int>(jpeg.size()), jpeg.data());
    std::unique_ptr<flash::image::rgb> img(flash::image::read_jpeg(&file));
    expect_blocks(img.get(), 3);
}

}  // namespace
