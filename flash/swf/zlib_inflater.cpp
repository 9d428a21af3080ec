#include "flash/swf/zlib_inflater.h"

#include <zlib.h>

#include <cstring>

#include "flash/base/bx_file.h"

namespace flash {

namespace {

constexpr int zlib_window_bits = 15;

struct inflater_state {
    bx_file* source = nullptr;
    z_stream zstream{};
    int initial_source_position = 0;
    int logical_position = 0;
    bool at_end = false;
    bool error = false;
    unsigned char input[inflater_block_size];
};

// Inflates up to n bytes into dst; returns the count delivered.
int inflate_into(inflater_state* s, void* dst, int n) {
    s->zstream.next_out = static_cast<Bytef*>(dst);
    s->zstream.avail_out = static_cast<uInt>(n);
    while (s->zstream.avail_out > 0 && !s->at_end && !s->error) {
        if (s->zstream.avail_in == 0) {
            const int got = s->source->read_bytes(s->input, inflater_block_size);
            // The source has ended: stop here rather than ask zlib again for nothing.
            if (got <= 0) break;
            s->zstream.next_in = s->input;
            s->zstream.avail_in = static_cast<uInt>(got);
        }
        const int result = inflate(&s->zstream, Z_SYNC_FLUSH);
        if (result == Z_STREAM_END) {
            s->at_end = true;
        } else if (result != Z_OK) {
            s->error = true;
        }
    }
    const int delivered = n - static_cast<int>(s->zstream.avail_out);
    s->logical_position += delivered;
    return delivered;
}

void restart(inflater_state* s) {
    s->error = false;
    s->at_end = false;
    if (inflateReset(&s->zstream) != Z_OK) {
        s->error = true;
        return;
    }
    s->zstream.avail_in = 0;
    s->zstream.next_in = s->input;
    if (s->source->set_position(s->initial_source_position) != bx_file::NO_ERROR) s->error = true;
    s->logical_position = 0;
}

// Inflates and drops chunks until target is reached or nothing more comes.
void skip_to(inflater_state* s, int target) {
    unsigned char scratch[inflater_block_size];
    while (!s->error && s->logical_position < target) {
        const int want = target - s->logical_position;
        const int chunk = want < inflater_block_size ? want : inflater_block_size;
        if (inflate_into(s, scratch, chunk) == 0) break;
    }
}

int read_cb(void* dst, int bytes, void* appdata) {
    inflater_state* s = static_cast<inflater_state*>(appdata);
    if (s->error || bytes <= 0) return 0;
    return inflate_into(s, dst, bytes);
}

int write_cb(const void*, int, void*) { return 0; }

int seek_cb(int position, void* appdata) {
    inflater_state* s = static_cast<inflater_state*>(appdata);
    if (s->error) return bx_file::SEEK_FAILED;
    if (position < s->logical_position) restart(s);
    skip_to(s, position);
    return s->logical_position == position ? bx_file::NO_ERROR : bx_file::SEEK_FAILED;
}

int seek_to_end_cb(void* appdata) {
    inflater_state* s = static_cast<inflater_state*>(appdata);
    if (!s->error) skip_to(s, 0x7FFFFFFF);
    return s->error ? bx_file::SEEK_FAILED : bx_file::NO_ERROR;
}

int tell_cb(const void* appdata) { return static_cast<const inflater_state*>(appdata)->logical_position; }

bool eof_cb(void* appdata) { return static_cast<inflater_state*>(appdata)->at_end; }

int close_cb(void* appdata) {
    inflater_state* s = static_cast<inflater_state*>(appdata);
    // Hand the unused input back so the source stands right after the compressed data.
    if (s->zstream.avail_in > 0) {
        const int back = static_cast<int>(s->zstream.avail_in);
        s->source->set_position(s->source->get_position() - back);
    }
    const int result = inflateEnd(&s->zstream) == Z_OK ? bx_file::NO_ERROR : bx_file::CLOSE_FAILED;
    delete s;
    return result;
}

}  // namespace

bx_file* make_inflater(bx_file* source) {
    if (!source) return nullptr;
    inflater_state* s = new inflater_state;
    s->source = source;
    s->initial_source_position = source->get_position();
    s->zstream.next_in = s->input;
    if (inflateInit2(&s->zstream, zlib_window_bits) != Z_OK) s->error = true;
    return new bx_file(s, read_cb, write_cb, seek_cb, seek_to_end_cb, tell_cb, eof_cb, close_cb);
}

}  // namespace flash
