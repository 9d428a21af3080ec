#include "flash/movie/sound_handler.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>

#include "flash/base/log.h"
#include "flash/movie/adpcm.h"
#include "flash/movie/movie_definition.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr int format_bits = 4;
constexpr int rate_bits = 2;
constexpr int rate_table[] = {5512, 11025, 22050, 44100};
constexpr int bits_per_byte = 8;
constexpr int bytes_per_native_sample = 2;

std::atomic<sound_handler*> g_sound_handler{nullptr};

// The DefineSound settings, read before the data.
struct sound_header {
    int id = 0;
    int format = 0;
    int rate_code = 0;
    bool sixteen_bits = false;
    bool stereo = false;
    uint32_t sample_count = 0;
};

int channels_of(const sound_header& h) { return h.stereo ? 2 : 1; }

// Decodes the ADPCM data into a new buffer of native samples; null (logged) when the tag cannot
// hold the samples it declares or memory runs out.
int16_t* decode_adpcm(swf_stream* in, const sound_header& h, int* bytes) {
    const int64_t stream_bits = int64_t{in->get_tag_end_position() - in->get_position()} * bits_per_byte;
    const int code_bits = adpcm_read_code_bits(in);
    const int channels = channels_of(h);
    if (adpcm_min_stream_bits(h.sample_count, channels, code_bits) > stream_bits - 2) {
        log_error("error: define_sound_loader: sound %d declares %u samples, more than its %lld data bits hold\n",
                  h.id, h.sample_count, static_cast<long long>(stream_bits));
        return nullptr;
    }
    const int64_t values = int64_t{h.sample_count} * channels;
    const int64_t size = values * bytes_per_native_sample;
    if (size > INT32_MAX) {
        log_error("error: define_sound_loader: sound %d is too long (%lld bytes)\n", h.id, static_cast<long long>(size));
        return nullptr;
    }
    int16_t* out = new (std::nothrow) int16_t[values > 0 ? values : 1];
    if (!out) {
        log_error("error: define_sound_loader: no memory for sound %d (%lld bytes)\n", h.id, static_cast<long long>(size));
        return nullptr;
    }
    adpcm_decode(in, code_bits, h.sample_count, h.stereo, out);
    *bytes = static_cast<int>(size);
    return out;
}

// Copies the rest of the tag; for plain sample formats the count must fit in it.
uint8_t* copy_data(swf_stream* in, const sound_header& h, int* bytes) {
    const int size = in->get_tag_end_position() - in->get_position();
    if (h.format == sound_handler::FORMAT_RAW || h.format == sound_handler::FORMAT_UNCOMPRESSED) {
        const int64_t needed = int64_t{h.sample_count} * channels_of(h) * (h.sixteen_bits ? 2 : 1);
        if (needed > size) {
            log_error("error: define_sound_loader: sound %d declares %u samples, more than its %d data bytes hold\n",
                      h.id, h.sample_count, size);
            return nullptr;
        }
    }
    uint8_t* data = new (std::nothrow) uint8_t[size > 0 ? size : 1];
    if (!data) {
        log_error("error: define_sound_loader: no memory for sound %d (%d bytes)\n", h.id, size);
        return nullptr;
    }
    *bytes = in->read_bytes(data, size);
    return data;
}

}  // namespace

void set_sound_handler(sound_handler* handler) { g_sound_handler.store(handler); }

sound_handler* get_sound_handler() {
    sound_handler* handler = g_sound_handler.load();
    return handler && handler->is_enabled() ? handler : nullptr;
}

sound_handler* get_installed_sound_handler() { return g_sound_handler.load(); }

sound_handler* get_streaming_sound_handler() {
    sound_handler* handler = get_installed_sound_handler();
    return handler && handler->is_streaming() ? handler : nullptr;
}

int sound_rate_hz(int rate_code) { return rate_table[rate_code & 3]; }

sound_sample::~sound_sample() {
    if (sound_handler* handler = get_installed_sound_handler()) handler->delete_sound(m_sound_handler_id);
}

void start_sound_tag::read(swf_stream* in, uint16_t sound_handler_id) {
    sound_info info;
    read_sound_info(in, &info);
    m_handler_id = sound_handler_id;
    m_stop_playback = info.m_stop_playback;
    m_loop_count = info.m_has_loops ? info.m_loop_count : 0;
    m_envelopes = info.m_envelopes;
}

void start_sound_tag::execute(character*) {
    sound_handler* handler = get_installed_sound_handler();
    if (!handler) return;
    if (m_stop_playback) {
        handler->stop_sound(m_handler_id);
    } else {
        handler->play_sound(nullptr, m_handler_id, m_loop_count);
    }
}

void define_sound_loader(swf_stream* in, int, movie_definition_sub* m) {
    sound_header h;
    h.id = in->read_u16();
    h.format = static_cast<int>(in->read_uint(format_bits));
    h.rate_code = static_cast<int>(in->read_uint(rate_bits));
    h.sixteen_bits = in->read_bool();
    h.stereo = in->read_bool();
    h.sample_count = in->read_u32();
    if (get_verbose_parse()) {
        log_msg("define sound: ch=%d, format=%d, rate=%d, 16=%d, stereo=%d, ct=%u\n", h.id, h.format, h.rate_code,
                h.sixteen_bits ? 1 : 0, h.stereo ? 1 : 0, h.sample_count);
    }
    sound_handler* handler = get_installed_sound_handler();
    if (!handler || in->has_overrun()) return;

    int format = h.format;
    int bytes = 0;
    void* data = nullptr;
    if (h.format == sound_handler::FORMAT_ADPCM) {
        data = decode_adpcm(in, h, &bytes);
        format = sound_handler::FORMAT_NATIVE16;
    } else {
        data = copy_data(in, h, &bytes);
        if (h.format == sound_handler::FORMAT_UNCOMPRESSED && h.sixteen_bits) format = sound_handler::FORMAT_NATIVE16;
    }
    if (!data) return;
    const int handler_id = handler->create_sound(data, bytes, static_cast<int>(std::min<uint32_t>(h.sample_count, INT32_MAX)),
                                                 format, sound_rate_hz(h.rate_code), h.stereo);
    if (h.format == sound_handler::FORMAT_ADPCM) {
        delete[] static_cast<int16_t*>(data);
    } else {
        delete[] static_cast<uint8_t*>(data);
    }
    sound_sample* sample = new (std::nothrow) sound_sample(handler_id);
    if (sample) m->add_sound_sample(h.id, sample);
}

void start_sound_loader(swf_stream* in, int, movie_definition_sub* m) {
    const int id = in->read_u16();
    sound_sample* sample = m->get_sound_sample(id);
    if (!sample) {
        if (get_installed_sound_handler()) log_error("start_sound_loader: sound_id %d is not defined\n", id);
        return;
    }
    start_sound_tag* tag = new start_sound_tag;
    tag->read(in, static_cast<uint16_t>(sample->get_sound_handler_id()));
    if (get_verbose_parse()) {
        log_msg("start_sound tag: id=%d, stop = %d, loop ct = %d\n", id, tag->m_stop_playback ? 1 : 0,
                tag->m_loop_count);
    }
    m->add_execute_tag(tag);
}

}  // namespace flash
