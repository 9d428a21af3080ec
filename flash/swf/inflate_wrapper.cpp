#include "flash/swf/inflate_wrapper.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "flash/base/log.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr int input_chunk_size = 4096;

struct inflate_result {
    int code = Z_OK;
    bool ended = false;
    bool too_long = false;
    bool on_spare = false;  // the buffer is full; output now goes to the spare byte
};

// Feeds the stream's bytes up to the tag end until zlib reports the end, an error, or output
// beyond the buffer (found by offering one spare byte once the buffer is full).
inflate_result run(swf_stream* in, z_stream& zs) {
    Bytef input[input_chunk_size];
    Bytef spare = 0;
    inflate_result result;
    for (;;) {
        if (zs.avail_out == 0) {
            if (zs.next_out == &spare + 1) {
                result.too_long = true;
                return result;
            }
            zs.next_out = &spare;
            zs.avail_out = 1;
            result.on_spare = true;
        }
        if (zs.avail_in == 0) {
            const int room = std::min(in->get_tag_end_position() - in->get_position(), input_chunk_size);
            const int got = room > 0 ? in->read_bytes(input, room) : 0;
            if (got <= 0) return result;
            zs.next_in = input;
            zs.avail_in = static_cast<uInt>(got);
        }
        result.code = inflate(&zs, Z_SYNC_FLUSH);
        if (result.code == Z_STREAM_END) {
            result.ended = true;
            result.too_long = zs.next_out == &spare + 1;
            return result;
        }
        if (result.code != Z_OK && result.code != Z_BUF_ERROR) return result;
    }
}

}  // namespace

bool inflate_wrapper(swf_stream* in, void* buffer, int64_t size) {
    if (!in || !buffer || size <= 0 || size > UINT_MAX) {
        log_error("error: inflate_wrapper() cannot fill a buffer of %lld bytes\n",
                  static_cast<long long>(size));
        return false;
    }
    z_stream zs{};
    const int init = inflateInit(&zs);
    if (init != Z_OK) {
        log_error("error: inflate_wrapper() inflateInit() returned %d\n", init);
        return false;
    }
    zs.next_out = static_cast<Bytef*>(buffer);
    zs.avail_out = static_cast<uInt>(size);
    const inflate_result result = run(in, zs);
    const int64_t produced = result.on_spare ? size : size - zs.avail_out;
    bool ok = false;
    if (result.code != Z_OK && result.code != Z_BUF_ERROR && result.code != Z_STREAM_END) {
        log_error("error: inflate_wrapper() inflate() returned %d\n", result.code);
    } else if (result.too_long) {
        log_error("error: inflate_wrapper() the zlib data gives more than the %lld bytes expected\n",
                  static_cast<long long>(size));
    } else if (!result.ended) {
        log_error("error: inflate_wrapper() the zlib data ends at the tag end after %lld of %lld bytes\n",
                  static_cast<long long>(produced), static_cast<long long>(size));
    } else if (produced != size) {
        log_error("error: inflate_wrapper() the zlib data gives %lld bytes, %lld expected\n",
                  static_cast<long long>(produced), static_cast<long long>(size));
    } else {
        ok = true;
    }
    const int end = inflateEnd(&zs);
    if (end != Z_OK) log_error("error: inflate_wrapper() inflateEnd() return %d\n", end);
    return ok;
}

}  // namespace flash
