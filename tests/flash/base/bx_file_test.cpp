#include "flash/base/bx_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "flash/base/membuf.h"
#include "tests/support/temp_dir.h"

using flash::bx_file;
using flash::memory_buffer;

namespace {

TEST(BxFile, CallerMemoryIsReadOnlyAndBounded) {
    char data[10] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    bx_file f(memory_buffer, 10, data);
    EXPECT_EQ(f.get_error(), 0);
    char dst[16] = {};
    EXPECT_EQ(f.read_bytes(dst, 16), 10);
    EXPECT_TRUE(f.get_eof());
    EXPECT_EQ(f.read_bytes(dst, 16), 0);
    EXPECT_EQ(f.set_position(11), bx_file::SEEK_FAILED);
    EXPECT_EQ(f.get_position(), 10);
    EXPECT_EQ(f.write_byte('x'), 0);  // past the end of the caller's buffer
    EXPECT_EQ(f.set_position(-3), bx_file::SEEK_FAILED);
    EXPECT_EQ(f.get_position(), 0);
    EXPECT_EQ(f.read_bytes(dst, -1), 0);  // negative counts move nothing
    EXPECT_EQ(f.write_bytes("ab", -1), 0);
    EXPECT_EQ(f.get_position(), 0);
    EXPECT_EQ(f.write_bytes("ab", 2), 2);  // inside the buffer a write is performed
    EXPECT_EQ(data[0], 'a');
    EXPECT_EQ(f.go_to_end(), 0);
    EXPECT_EQ(f.get_position(), 10);
}

TEST(BxFile, GrowableMemoryAndTypedValues) {
    bx_file f(memory_buffer);
    EXPECT_EQ(f.write_bytes("abc", 3), 3);
    EXPECT_EQ(f.set_position(0), 0);
    char dst[8] = {};
    EXPECT_EQ(f.read_bytes(dst, 8), 3);

    bx_file typed(memory_buffer);
    typed.write_byte(0x01);
    typed.write_le16(0x0302);
    typed.write_le32(0x07060504);
    typed.write_le64(0x0F0E0D0C0B0A0908ull);
    typed.write_float32(1.5f);
    typed.write_double64(-2.25);
    typed.set_position(0);
    uint8_t raw[15];
    ASSERT_EQ(typed.read_bytes(raw, 15), 15);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(raw[i], i + 1);  // little-endian on every host
    typed.set_position(0);
    EXPECT_EQ(typed.read_byte(), 0x01);
    EXPECT_EQ(typed.read_le16(), 0x0302);
    EXPECT_EQ(typed.read_le32(), 0x07060504u);
    EXPECT_EQ(typed.read_le64(), 0x0F0E0D0C0B0A0908ull);
    EXPECT_EQ(typed.read_float32(), 1.5f);
    EXPECT_EQ(typed.read_double64(), -2.25);
    EXPECT_TRUE(typed.get_eof());
    EXPECT_EQ(typed.read_le32(), 0u);  // nothing left: zero, not garbage
}

TEST(BxFile, Strings) {
    bx_file f(memory_buffer);
    f.write_string("abc");
    EXPECT_EQ(f.get_position(), 4);
    f.set_position(0);
    char dst[10];
    EXPECT_EQ(f.read_string(dst, 10, '\0'), 3);
    EXPECT_STREQ(dst, "abc");

    f.set_position(0);
    EXPECT_EQ(f.read_string(dst, 2, '\0'), -1);
    EXPECT_STREQ(dst, "a");

    bx_file unterminated(memory_buffer);
    unterminated.write_bytes("xyz", 3);
    unterminated.set_position(0);
    std::memset(dst, '#', sizeof dst);
    EXPECT_EQ(unterminated.read_string(dst, 10, '\n'), 3);  // stops at the end of the data
    EXPECT_STREQ(dst, "xyz");

    bx_file printed(memory_buffer);
    EXPECT_EQ(printed.printf("%s=%d", "n", 42), 4);
    const std::string long_text(1500, 'z');
    EXPECT_EQ(printed.printf("%s", long_text.c_str()), 999);
    EXPECT_EQ(printed.get_position(), 1003);
}

TEST(BxFile, CopyHelpers) {
    std::string content;
    for (int i = 0; i < 10000; ++i) content += static_cast<char>('a' + i % 26);
    bx_file source(memory_buffer, static_cast<int>(content.size()), content.data());

    bx_file whole(memory_buffer);
    EXPECT_EQ(whole.copy_from(&source), 10000);
    EXPECT_EQ(whole.get_position(), 10000);

    source.set_position(100);
    flash::membuf buffer;
    EXPECT_EQ(source.copy_to(&buffer), 9900);
    ASSERT_EQ(buffer.size(), 9900);
    EXPECT_EQ(std::memcmp(buffer.data(), content.data() + 100, 9900), 0);

    source.set_position(0);
    bx_file part(memory_buffer);
    EXPECT_EQ(part.copy_bytes(&source, 5000), 5000);
    EXPECT_EQ(part.copy_bytes(&source, 0), 0);
    EXPECT_EQ(part.copy_bytes(&source, 9000), 5000);  // the source runs out
    EXPECT_EQ(part.get_position(), 10000);

    char small[4] = {};
    bx_file bounded(memory_buffer, 4, small);
    source.set_position(0);
    EXPECT_EQ(bounded.copy_bytes(&source, 100), 0);  // a read-only target takes nothing past its end
}

TEST(BxFile, StdioFiles) {
    testsupport::TempDir dir;
    {
        bx_file out("Sub.bin", "wb");
        ASSERT_EQ(out.get_error(), 0);
        out.write_le32(0xDEADBEEF);
        out.write_string("name");
    }
    bx_file in("sub.BIN", "rb");  // any letter case
    ASSERT_EQ(in.get_error(), 0);
    EXPECT_EQ(in.read_le32(), 0xDEADBEEFu);
    char dst[8];
    EXPECT_EQ(in.read_string(dst, 8, '\0'), 4);
    EXPECT_STREQ(dst, "name");
    EXPECT_EQ(in.read_byte(), 0);
    EXPECT_TRUE(in.get_eof());
    EXPECT_EQ(in.set_position(1), 0);  // clears the end-of-file state
    EXPECT_FALSE(in.get_eof());
    EXPECT_EQ(in.read_byte(), 0xBE);
    EXPECT_EQ(in.close(), 0);
    EXPECT_EQ(in.read_byte(), 0);  // closed: nothing to read, no crash

    bx_file missing("no\\such\\file.swf", "rb");
    EXPECT_EQ(missing.get_error(), bx_file::OPEN_FAILED);
    EXPECT_EQ(missing.read_bytes(dst, 4), 0);
    EXPECT_TRUE(missing.get_eof());

    FILE* fp = std::fopen("plain.bin", "wb+");
    ASSERT_NE(fp, nullptr);
    {
        bx_file borrowed(fp, false);
        borrowed.write_bytes("xy", 2);
    }
    std::fseek(fp, 0, SEEK_SET);
    EXPECT_EQ(std::fgetc(fp), 'x');  // still open: the stream did not own it
    bx_file owned(fp, true);
    EXPECT_EQ(owned.close(), 0);
}

TEST(BxFile, ApplicationCallbacksAndName) {
    struct source {
        int reads = 0;
        bool closed = false;
    } state;
    auto read = [](void* dst, int bytes, void* data) {
        ++static_cast<source*>(data)->reads;
        std::memset(dst, 'r', static_cast<size_t>(bytes));
        return bytes;
    };
    auto close = [](void* data) {
        static_cast<source*>(data)->closed = true;
        return 0;
    };
    {
        bx_file f(&state, read, nullptr, nullptr, nullptr, nullptr, nullptr, close);
        f.set_name("movies\\menu.swf");
        EXPECT_EQ(f.get_name(), "movies\\menu.swf");
        EXPECT_EQ(f.read_byte(), 'r');
        EXPECT_EQ(f.write_byte(1), 0);  // no write callback
        EXPECT_EQ(f.set_position(0), bx_file::SEEK_FAILED);
    }
    EXPECT_EQ(state.reads, 1);
    EXPECT_TRUE(state.closed);
}

}  // namespace
