// inflate_wrapper: a zlib stream that fills its buffer exactly is accepted; corrupt, short, long
// and cut data are refused with an ERROR, and the reader never passes its tag.
#include "flash/swf/inflate_wrapper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/base/bx_file.h"
#include "flash/swf/swf_stream.h"
#include "tests/support/engine_log.h"
#include "tools/swfwriter/bitmaps.h"
#include "tools/swfwriter/tag_writer.h"

namespace {

using bytes = std::vector<uint8_t>;

constexpr uint16_t body_tag = 20;
constexpr uint16_t next_tag = 77;

bytes pattern(int n) {
    bytes out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 13 + 5);
    return out;
}

struct inflate_case {
    const char* name;
    bytes body;        // the tag's body: the zlib data
    int64_t expected;  // the buffer size asked for
    bool ok;
    const char* error;  // part of the logged error, when refused
};

TEST(InflateWrapper, FillsExactlyOrRefusesWithinTheTag) {
    const bytes plain = pattern(1000);
    const bytes packed = swf::deflate_bytes(plain);
    bytes corrupt = packed;
    corrupt[4] ^= 0xFF;
    corrupt[5] ^= 0x5A;
    const bytes cut(packed.begin(), packed.begin() + static_cast<long>(packed.size() / 2));
    const inflate_case cases[] = {
        {"exact", packed, 1000, true, ""},
        {"corrupt", corrupt, 1000, false, "inflate() returned"},
        {"too little output", packed, 1001, false, "gives 1000 bytes, 1001 expected"},
        {"too much output", packed, 999, false, "more than the 999 bytes"},
        {"far too much output", packed, 900, false, "more than the 900 bytes"},
        {"cut by the tag", cut, 1000, false, "ends at the tag end"},
        {"empty tag", {}, 1000, false, "ends at the tag end after 0"},
        {"not zlib", pattern(64), 1000, false, "inflate() returned"},
    };
    for (const inflate_case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::engine_log log;
        bytes file;
        swf::write_tag_header(file, body_tag, static_cast<uint32_t>(c.body.size()), true);
        file.insert(file.end(), c.body.begin(), c.body.end());
        swf::write_tag_header(file, next_tag, 0, false);
        flash::bx_file input(flash::memory_buffer, static_cast<int>(file.size()), file.data());
        flash::swf_stream in(&input);
        in.set_stream_end(static_cast<int>(file.size()));
        ASSERT_EQ(in.open_tag(), body_tag);
        const int tag_end = in.get_tag_end_position();
        bytes out(static_cast<size_t>(c.expected), 0xEE);
        EXPECT_EQ(flash::inflate_wrapper(&in, out.data(), c.expected), c.ok);
        EXPECT_LE(in.get_position(), tag_end);
        if (c.ok) {
            EXPECT_EQ(out, plain);
            EXPECT_EQ(log.errors(), "");
        } else {
            EXPECT_TRUE(log.has_error(c.error)) << log.errors();
        }
        in.close_tag();
        EXPECT_EQ(in.open_tag(), next_tag);
    }
}

TEST(InflateWrapper, RefusesSizesItCannotFill) {
    testsupport::engine_log log;
    flash::bx_file input(flash::memory_buffer);
    flash::swf_stream in(&input);
    uint8_t byte = 0;
    EXPECT_FALSE(flash::inflate_wrapper(&in, &byte, 0));
    EXPECT_FALSE(flash::inflate_wrapper(&in, &byte, int64_t{1} << 40));
    EXPECT_FALSE(flash::inflate_wrapper(nullptr, &byte, 1));
    EXPECT_TRUE(log.has_error("cannot fill a buffer"));
}

}  // namespace
