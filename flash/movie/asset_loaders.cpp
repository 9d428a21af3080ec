#include "flash/movie/asset_loaders.h"

#include <cstdint>
#include <vector>

#include "flash/base/log.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/player.h"
#include "flash/movie/sound_handler.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr int sound_format_mp3 = 2;
constexpr int sound_format_bits = 4;
constexpr int sound_rate_bits = 2;

}  // namespace

void export_loader(swf_stream* in, int, movie_definition_sub* m) {
    const int count = in->read_u16();
    if (get_verbose_parse()) log_msg("  export: count = %d\n", count);
    for (int i = 0; i < count && !in->has_overrun(); ++i) {
        const int id = in->read_u16();
        bx_string name;
        in->read_string(name);
        if (in->has_overrun()) break;
        if (get_verbose_parse()) log_msg("  export: id = %d, name = %s\n", id, name.c_str());
        character_def* resource = m->get_character_def(id);
        if (!resource) resource = m->get_sound_sample(id);
        if (!resource) {
            log_msg("export error: don't know how to export resource '%s'\n", name.c_str());
            continue;
        }
        m->export_resource(name, resource);
    }
}

void import_loader(swf_stream* in, int, movie_definition_sub* m) {
    bx_string url;
    in->read_string(url);
    const int count = in->read_u16();
    if (get_verbose_parse()) log_msg("  import: source_url = %s, count = %d\n", url.c_str(), count);
    // The entries are recorded as declared, whether or not their source can be loaded.
    array<import_info> entries;
    for (int i = 0; i < count && !in->has_overrun(); ++i) {
        import_info entry;
        entry.m_source_url = url;
        entry.m_character_id = in->read_u16();
        in->read_string(entry.m_symbol);
        if (in->has_overrun()) break;
        if (get_verbose_parse()) log_msg("  import: id = %d, name = %s\n", entry.m_character_id, entry.m_symbol.c_str());
        m->add_import(url, entry.m_character_id, entry.m_symbol);
        entries.push_back(entry);
    }
    player* owner = m->get_player();
    movie_definition_sub* source = owner ? owner->create_movie(url.c_str()) : nullptr;
    if (!source && owner && owner->get_workdir()[0]) {
        bx_string relative(owner->get_workdir());
        relative += url;
        source = owner->create_movie(relative.c_str());
    }
    if (!source) {
        log_msg("can't import movie from url %s\n", url.c_str());
        return;
    }
    for (const import_info& entry : entries) {
        character_def* resource =
            source->is(character_def::MOVIE_DEF_IMPL) ? source->get_exported_resource(entry.m_symbol) : nullptr;
        if (!resource) {
            if (get_verbose_action()) {
                log_msg("import error: resource '%s' is not exported from movie '%s'\n", entry.m_symbol.c_str(),
                        url.c_str());
            }
            continue;
        }
        if (!resource->is(character_def::CHARACTER_DEF)) {
            if (get_verbose_action()) {
                log_msg("import error: resource '%s' from movie '%s' has unknown type\n", entry.m_symbol.c_str(),
                        url.c_str());
            }
            continue;
        }
        m->add_character(entry.m_character_id, resource);
    }
}

void sound_stream_head_loader(swf_stream* in, int, movie_definition_sub* m) {
    in->read_u8();  // playback settings
    const int format = static_cast<int>(in->read_uint(sound_format_bits));
    const int rate = static_cast<int>(in->read_uint(sound_rate_bits));
    const bool sixteen_bits = in->read_bool();
    const bool stereo = in->read_bool();
    const int samples = in->read_u16();
    if (format == sound_format_mp3) in->read_u16();  // latency seek
    if (get_verbose_parse()) {
        log_msg("define stream sound: format=%d, rate=%d, 16=%d, stereo=%d, ct=%d\n", format, rate,
                sixteen_bits ? 1 : 0, stereo ? 1 : 0, samples);
    }
    if (in->has_overrun()) return;
    sound_handler* handler = get_streaming_sound_handler();
    if (!handler) return;
    const int id = handler->create_sound(nullptr, 0, samples, format, sound_rate_hz(rate), stereo);
    m->set_stream_sound(id, format);
}

void sound_stream_block_loader(swf_stream* in, int, movie_definition_sub* m) {
    if (m->get_stream_sound_id() < 0) return;
    if (m->get_stream_start_frame() == -1) m->set_stream_start_frame(m->get_loading_frame());
    if (m->get_stream_sound_format() == sound_format_mp3) {
        in->read_u16();  // sample count
        in->read_u16();  // seek
    }
    const int size = in->get_tag_end_position() - in->get_position();
    sound_handler* handler = get_streaming_sound_handler();
    if (size <= 0 || in->has_overrun() || !handler) return;
    // The tag's length bounds the block: it is never larger than the movie's bytes.
    std::vector<uint8_t> block(static_cast<size_t>(size));
    const int read = in->read_bytes(block.data(), size);
    if (read > 0) handler->append_sound(m->get_stream_sound_id(), block.data(), read);
}

void metadata_loader(swf_stream* in, int, movie_definition_sub*) {
    bx_string text;
    in->read_string(text);
}

}  // namespace flash
