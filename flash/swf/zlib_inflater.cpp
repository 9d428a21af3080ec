#include "flash/swf/zlib_inflater.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "flash/base/bx_file.h"

namespace flash {

namespace {

constexpr int zlib_window_bits = 15;

// The last bytes inflated stay at hand, so that a reader stepping back within a tag (a short
// backward seek, as a DefineButton2 action offset below its header gives) is served from memory
// instead of inflating the movie again from its first byte. Far more than any loader steps back.
constexpr int history_size = 64 * 1024;

struct inflater_state {
    bx_file* source = nullptr;
    z_stream zstream{};
    int initial_source_position = 0;
    // The reader's position; at most the count of bytes inflated so far.
    int logical_position = 0;
    // Bytes inflated so far (the stream's own position).
    int inflated = 0;
    bool at_end = false;
    bool error = false;
    unsigned char input[inflater_block_size];
    // A ring of the last history_size inflated bytes: byte p sits at p % history_size.
    unsigned char history[history_size];
};

int history_start(const inflater_state* s) { return s->inflated > history_size ? s->inflated - history_size : 0; }

void remember(inflater_state* s, const unsigned char* bytes, int n) {
    // Only the last history_size bytes of a long run can stay.
    const int skip = n > history_size ? n - history_size : 0;
    for (int done = skip; done < n;) {
        const int at = (s->inflated - n + done) % history_size;
        const int run = std::min(n - done, history_size - at);
        std::memcpy(s->history + at, bytes + done, static_cast<size_t>(run));
        done += run;
    }
}

// Inflates up to n new bytes into dst; returns the count delivered.
int inflate_into(inflater_state* s, unsigned char* dst, int n) {
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
    s->inflated += delivered;
    remember(s, dst, delivered);
    return delivered;
}

// The reader's next n bytes: what the history holds first, then newly inflated ones.
int read_into(inflater_state* s, unsigned char* dst, int n) {
    int done = 0;
    while (done < n && s->logical_position < s->inflated) {
        const int at = s->logical_position % history_size;
        const int run = std::min({n - done, s->inflated - s->logical_position, history_size - at});
        std::memcpy(dst + done, s->history + at, static_cast<size_t>(run));
        done += run;
        s->logical_position += run;
    }
    if (done < n) {
        const int fresh = inflate_into(s, dst + done, n - done);
        done += fresh;
        s->logical_position += fresh;
    }
    return done;
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
    s->inflated = 0;
}

// Inflates and drops chunks until target is reached or nothing more comes.
void skip_to(inflater_state* s, int target) {
    unsigned char scratch[inflater_block_size];
    while (!s->error && s->logical_position < target) {
        const int want = target - s->logical_position;
        const int chunk = want < inflater_block_size ? want : inflater_block_size;
        if (read_into(s, scratch, chunk) == 0) break;
    }
}

int read_cb(void* dst, int bytes, void* appdata) {
    inflater_state* s = static_cast<inflater_state*>(appdata);
    if (s->error || bytes <= 0) return 0;
    return read_into(s, static_cast<unsigned char*>(dst), bytes);
}

int write_cb(const void*, int, void*) { return 0; }

int seek_cb(int position, void* appdata) {
    inflater_state* s = static_cast<inflater_state*>(appdata);
    if (s->error) return bx_file::SEEK_FAILED;
    if (position < s->logical_position) {
        // Within the history the bytes are at hand; only a seek before it starts again.
        if (position >= history_start(s)) {
            s->logical_position = position;
        } else {
            restart(s);
        }
    }
    skip_to(s, position);
    return s->logical_position == position ? bx_file::NO_ERROR : bx_file::SEEK_FAILED;
}

int seek_to_end_cb(void* appdata) {
    inflater_state* s = static_cast<inflater_state*>(appdata);
    if (!s->error) skip_to(s, 0x7FFFFFFF);
    return s->error ? bx_file::SEEK_FAILED : bx_file::NO_ERROR;
}

int tell_cb(const void* appdata) { return static_cast<const inflater_state*>(appdata)->logical_position; }

bool eof_cb(void* appdata) {
    const inflater_state* s = static_cast<inflater_state*>(appdata);
    return s->at_end && s->logical_position == s->inflated;
}

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
