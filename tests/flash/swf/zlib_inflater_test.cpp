// The inflating file: reads, forward and backward seeks (short ones served from what was
// inflated, without reading the source again), the end of the stream, corrupt and cut input, and
// where it leaves its source.
#include "flash/swf/zlib_inflater.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "flash/base/bx_file.h"

namespace {

using bytes = std::vector<uint8_t>;

bytes pattern(int n) {
    bytes out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    return out;
}

bytes deflate_bytes(const bytes& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, plain.data(), static_cast<uLong>(plain.size())), Z_OK);
    out.resize(size);
    return out;
}

// A source of compressed bytes (after a prefix the adapter must not touch) and the adapter.
struct inflating {
    inflating(const bytes& compressed, const bytes& prefix = {}, const bytes& suffix = {}) : data(prefix) {
        data.insert(data.end(), compressed.begin(), compressed.end());
        data.insert(data.end(), suffix.begin(), suffix.end());
        source = std::make_unique<flash::bx_file>(flash::memory_buffer, static_cast<int>(data.size()), data.data());
        source->set_position(static_cast<int>(prefix.size()));
        file.reset(flash::make_inflater(source.get()));
    }
    bytes read(int n) {
        bytes out(static_cast<size_t>(n));
        out.resize(static_cast<size_t>(file->read_bytes(out.data(), n)));
        return out;
    }
    bytes data;
    std::unique_ptr<flash::bx_file> source;
    std::unique_ptr<flash::bx_file> file;
};

TEST(ZlibInflater, ReadsTheInflatedBytesInAnyPieces) {
    const bytes plain = pattern(20000);
    inflating z(deflate_bytes(plain));
    bytes got = z.read(1);
    for (int piece : {2, 4095, 4097, 9000}) {
        const bytes more = z.read(piece);
        got.insert(got.end(), more.begin(), more.end());
    }
    const bytes rest = z.read(100000);
    got.insert(got.end(), rest.begin(), rest.end());
    EXPECT_EQ(got, plain);
    EXPECT_EQ(z.file->get_position(), 20000);
    EXPECT_TRUE(z.file->get_eof());
    EXPECT_TRUE(z.read(10).empty());
}

TEST(ZlibInflater, SeeksForwardAndRestartsForBackwardSeeks) {
    const bytes plain = pattern(30000);
    inflating z(deflate_bytes(plain));
    struct step {
        int seek;
        int read;
    };
    // Forward by more than one block, back to the start, back into the middle, past the end.
    const step steps[] = {{10000, 3}, {0, 100}, {100, 5}, {5000, 10}, {4097, 4096}, {29990, 10}};
    for (const step& s : steps) {
        EXPECT_EQ(z.file->set_position(s.seek), flash::bx_file::NO_ERROR) << s.seek;
        EXPECT_EQ(z.file->get_position(), s.seek);
        const bytes expected(plain.begin() + s.seek, plain.begin() + s.seek + s.read);
        EXPECT_EQ(z.read(s.read), expected) << "after a seek to " << s.seek;
    }
    EXPECT_EQ(z.file->set_position(40000), flash::bx_file::SEEK_FAILED);
    EXPECT_EQ(z.file->get_position(), 30000);
}

TEST(ZlibInflater, SeekToEndCountsEveryInflatedByte) {
    inflating z(deflate_bytes(pattern(12345)));
    z.read(10);
    EXPECT_EQ(z.file->go_to_end(), flash::bx_file::NO_ERROR);
    EXPECT_EQ(z.file->get_position(), 12345);
}

TEST(ZlibInflater, CutInputEndsReadsShortWithoutLooping) {
    const bytes plain = pattern(50000);
    bytes compressed = deflate_bytes(plain);
    compressed.resize(compressed.size() / 2);
    inflating z(compressed);
    const bytes got = z.read(60000);
    EXPECT_LT(got.size(), plain.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), plain.begin()));
    EXPECT_FALSE(z.file->get_eof());
    EXPECT_TRUE(z.read(100).empty());
    EXPECT_EQ(z.file->set_position(60000), flash::bx_file::SEEK_FAILED);
}

TEST(ZlibInflater, CorruptInputReadsNothingMore) {
    bytes garbage(5000, 0xFF);
    inflating z(garbage);
    EXPECT_TRUE(z.read(100).empty());
    EXPECT_TRUE(z.read(100).empty());
    EXPECT_EQ(z.file->get_position(), 0);
}

TEST(ZlibInflater, ClosingLeavesTheSourceAfterTheCompressedData) {
    const bytes compressed = deflate_bytes(pattern(1000));
    const bytes prefix = {'C', 'W', 'S', 8};
    const bytes suffix(6000, 0x5A);  // more than one block follows the stream
    inflating z(compressed, prefix, suffix);
    EXPECT_EQ(z.read(2000).size(), 1000u);
    EXPECT_EQ(z.file->close(), flash::bx_file::NO_ERROR);
    EXPECT_EQ(z.source->get_position(), static_cast<int>(prefix.size() + compressed.size()));
    EXPECT_EQ(z.source->read_byte(), 0x5A);
}

// A memory source that counts the bytes read from it.
struct counting_source {
    explicit counting_source(const bytes& data) : data(data) {}
    static int read(void* dst, int n, void* self) {
        auto* c = static_cast<counting_source*>(self);
        const int left = static_cast<int>(c->data.size()) - c->position;
        const int got = n < left ? n : left;
        std::copy(c->data.begin() + c->position, c->data.begin() + c->position + got, static_cast<uint8_t*>(dst));
        c->position += got;
        c->bytes_read += got;
        return got;
    }
    static int seek(int position, void* self) {
        auto* c = static_cast<counting_source*>(self);
        if (position < 0 || position > static_cast<int>(c->data.size())) return flash::bx_file::SEEK_FAILED;
        c->position = position;
        return flash::bx_file::NO_ERROR;
    }
    static int tell(const void* self) { return static_cast<const counting_source*>(self)->position; }
    static bool eof(void* self) {
        auto* c = static_cast<counting_source*>(self);
        return c->position >= static_cast<int>(c->data.size());
    }
    flash::bx_file file() {
        return flash::bx_file(this, read, nullptr, seek, nullptr, tell, eof, nullptr);
    }
    bytes data;
    int position = 0;
    long long bytes_read = 0;
};

TEST(ZlibInflater, ShortBackwardSeeksAreServedWithoutInflatingAgain) {
    // Incompressible bytes, so that inflating the stream again would read all of it again.
    bytes plain(300000);
    uint32_t x = 12345;
    for (uint8_t& b : plain) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 24);
    }
    counting_source source(deflate_bytes(plain));
    flash::bx_file src = source.file();
    std::unique_ptr<flash::bx_file> z(flash::make_inflater(&src));
    uint8_t piece[8];
    ASSERT_EQ(z->set_position(250000), flash::bx_file::NO_ERROR);
    ASSERT_EQ(z->read_bytes(piece, 4), 4);
    const long long read_once = source.bytes_read;
    // Back 3 bytes, many times over, as a button's action list stepping back does; then back to
    // the far end of what is kept.
    for (int i = 0; i < 1000; ++i) {
        const int at = z->get_position() - 3;
        ASSERT_EQ(z->set_position(at), flash::bx_file::NO_ERROR);
        ASSERT_EQ(z->read_bytes(piece, 4), 4);
        ASSERT_TRUE(std::equal(piece, piece + 4, plain.begin() + at)) << at;
    }
    const int far = z->get_position() - 64 * 1024;
    ASSERT_EQ(z->set_position(far), flash::bx_file::NO_ERROR);
    ASSERT_EQ(z->read_bytes(piece, 8), 8);
    EXPECT_TRUE(std::equal(piece, piece + 8, plain.begin() + far));
    EXPECT_FALSE(z->get_eof());
    EXPECT_LE(source.bytes_read, read_once + flash::inflater_block_size);

    // Further back than that the stream starts again, and still gives the right bytes.
    const long long before_restart = source.bytes_read;
    ASSERT_EQ(z->set_position(1000), flash::bx_file::NO_ERROR);
    ASSERT_EQ(z->read_bytes(piece, 8), 8);
    EXPECT_TRUE(std::equal(piece, piece + 8, plain.begin() + 1000));
    EXPECT_GT(source.bytes_read, before_restart);
    // A read that starts in the history runs on into new bytes.
    ASSERT_EQ(z->set_position(299990), flash::bx_file::NO_ERROR);
    ASSERT_EQ(z->set_position(299900), flash::bx_file::NO_ERROR);
    bytes tail(200);
    EXPECT_EQ(z->read_bytes(tail.data(), 200), 100);
    EXPECT_TRUE(std::equal(tail.begin(), tail.begin() + 100, plain.begin() + 299900));
    EXPECT_TRUE(z->get_eof());
}

}  // namespace
