#include "tools/swfwriter/movie_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace swf;

namespace {

MovieWriter small_movie() {
    MovieWriter m(6);
    m.frame_rect({});
    m.show_frame();
    m.end();
    return m;
}

// The CWS body, inflated with zlib directly.
Bytes inflate_body(const Bytes& cws, size_t inflated_size) {
    Bytes out(inflated_size);
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(out.data(), &size, cws.data() + swf_header_size,
                         static_cast<uLong>(cws.size() - swf_header_size)),
              Z_OK);
    out.resize(size);
    return out;
}

TEST(SwfMovieWriter, UncompressedFile) {
    const Bytes expected = {'F',  'W',  'S',  6,    17, 0, 0, 0,  // signature, version, length
                            0x00,                                 // empty frame rectangle
                            0x00, 0x0C, 0x01, 0x00,               // 12 fps, one frame
                            0x40, 0x00, 0x00, 0x00};              // ShowFrame, End
    EXPECT_EQ(small_movie().finish_fws(), expected);
}

TEST(SwfMovieWriter, HeaderFieldsCanBeGiven) {
    MovieWriter m = small_movie();
    m.frame_rate(24.5);
    m.frame_count(0);
    m.file_length(1000);
    m.frame_rect({0, 11000, 0, 8000});
    const Bytes fws = m.finish_fws();
    ASSERT_EQ(fws.size(), 25u);
    EXPECT_EQ(Bytes(fws.begin() + 4, fws.begin() + 8), (Bytes{0xE8, 0x03, 0x00, 0x00}));
    EXPECT_EQ(Bytes(fws.begin() + 17, fws.begin() + 21), (Bytes{0x80, 0x18, 0x00, 0x00}));

    m.frame_rate_raw(0x0C00);
    EXPECT_EQ(m.finish_fws()[17], 0x00);
    EXPECT_EQ(m.finish_fws()[18], 0x0C);

    // The default rectangle is 550 x 400 pixels and the default rate 12.
    const Bytes plain = MovieWriter(8).finish_fws();
    EXPECT_EQ(plain, (Bytes{'F',  'W',  'S',  8,    21,   0,    0,    0,    0x78, 0x00, 0x05,
                            0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00, 0x00, 0x0C, 0x00, 0x00}));
}

TEST(SwfMovieWriter, CompressedFileHoldsTheSameBody) {
    const MovieWriter m = small_movie();
    const Bytes fws = m.finish_fws();
    const Bytes cws = m.finish_cws();
    // Same version and (uncompressed) length; only the signature's first letter differs.
    EXPECT_EQ(Bytes(cws.begin(), cws.begin() + 8), (Bytes{'C', 'W', 'S', 6, 17, 0, 0, 0}));
    EXPECT_EQ(inflate_body(cws, fws.size()), Bytes(fws.begin() + 8, fws.end()));

    // A cut FWS file compresses as it is, its header still claiming the full length.
    const Bytes cut_cws = to_cws(Bytes(fws.begin(), fws.begin() + 10));
    EXPECT_EQ(cut_cws[4], 17);
    EXPECT_EQ(inflate_body(cut_cws, 100), (Bytes{0x00, 0x00}));
    EXPECT_THROW(to_cws(Bytes(7, 0)), std::invalid_argument);
}

}  // namespace
