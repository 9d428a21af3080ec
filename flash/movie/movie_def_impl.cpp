#include "flash/movie/movie_def_impl.h"

#include <cmath>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/movie/tag_loaders.h"
#include "flash/render/jpeg_input.h"
#include "flash/runtime/action_tags.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/avm2/as_3_function.h"
#include "flash/runtime/character.h"
#include "flash/swf/swf_stream.h"
#include "flash/swf/zlib_inflater.h"

namespace flash {

namespace {

constexpr uint32_t signature_mask = 0xFFFFFF;
constexpr int version_shift = 24;

void delete_tags(array<array<execute_tag*>>& frames) {
    for (array<execute_tag*>& frame : frames) {
        for (execute_tag* tag : frame) delete tag;
    }
    frames.clear();
}

}  // namespace

movie_def_impl::movie_def_impl(player* owner, bool no_bitmaps) : m_player(owner), m_no_bitmaps(no_bitmaps ? 1 : 0) {}

movie_def_impl::~movie_def_impl() {
    set_break_loading(true);
    delete_tags(m_playlist);
    delete_tags(m_init_actions);
    release_files();
}

void movie_def_impl::release_files() {
    // The tables reader reads through the stream: it goes first.
    set_jpeg_loader(nullptr);
    delete m_stream;
    m_stream = nullptr;
    delete m_zlib_file;
    m_zlib_file = nullptr;
    delete m_origin_file;
    m_origin_file = nullptr;
}

bool movie_def_impl::read(bx_file* in) {
    m_origin_file = in;
    if (!in) return false;
    const int start = in->get_position();
    uint8_t header[swf_header_size];
    if (in->read_bytes(header, swf_header_size) != swf_header_size) {
        log_error("flash::movie_def_impl::read() -- file is too short for a SWF header!\n");
        release_files();
        return false;
    }
    const uint32_t word = header[0] | (header[1] << 8) | (header[2] << 16) | (static_cast<uint32_t>(header[3]) << 24);
    const uint32_t file_length = header[4] | (header[5] << 8) | (header[6] << 16) | (static_cast<uint32_t>(header[7]) << 24);
    const uint32_t signature = word & signature_mask;
    m_version = static_cast<int>(word >> version_shift);
    if (signature != signature_fws && signature != signature_cws) {
        log_error("flash::movie_def_impl::read() -- file does not start with a SWF header!\n");
        release_files();
        return false;
    }
    if (get_verbose_parse()) log_msg("version = %d, file_length = %d\n", m_version, static_cast<int>(file_length));
    // A length beyond what a position can hold is cut to the largest one.
    const int64_t max_end = 0x7FFFFFFF;
    int64_t file_end = static_cast<int64_t>(start) + file_length;
    bx_file* input = in;
    if (signature == signature_cws) {
        if (get_verbose_parse()) log_msg("file is compressed.\n");
        m_zlib_file = make_inflater(in);
        m_zlib_file->set_name(in->get_name().c_str());
        input = m_zlib_file;
        file_end = static_cast<int64_t>(file_length) - swf_header_size;
    }
    m_file_end = static_cast<int>(file_end > max_end ? max_end : (file_end < 0 ? 0 : file_end));
    m_stream = new swf_stream(input);
    m_stream->set_stream_end(m_file_end);

    m_frame_rect.read(m_stream);
    m_frame_rate = m_stream->read_fixed8();
    int frame_count = m_stream->read_u16();
    if (m_stream->has_overrun()) {
        log_error("flash::movie_def_impl::read() -- the SWF header is cut short!\n");
        release_files();
        return false;
    }
    // A movie that gives no rate plays at the default one rather than never advancing.
    if (!(m_frame_rate > 0.0f)) m_frame_rate = default_frame_rate;
    set_frame_count(frame_count);
    if (!m_playlist.resize(m_frame_count) || !m_init_actions.resize(m_frame_count)) {
        log_error("flash::movie_def_impl::read() -- no memory for %d frames\n", m_frame_count);
        m_frame_count = 0;
        release_files();
        return false;
    }
    if (get_verbose_parse()) {
        m_frame_rect.print();
        log_msg("frame rate = %f, frames = %d\n", m_frame_rate, m_frame_count);
    }
    read_tags();
    return true;
}

void movie_def_impl::set_frame_count(int count) { m_frame_count = count < 1 ? 1 : count; }

void movie_def_impl::read_tags() {
    m_loaded_length = read_tag_loop(m_stream, this, m_file_end, false);
    release_files();
}

float movie_def_impl::get_width_pixels() const {
    return std::ceil((m_frame_rect.m_x_max - m_frame_rect.m_x_min) / twips_per_pixel);
}

float movie_def_impl::get_height_pixels() const {
    return std::ceil((m_frame_rect.m_y_max - m_frame_rect.m_y_min) / twips_per_pixel);
}

const array<execute_tag*>* movie_def_impl::get_playlist(int frame) const {
    if (frame < 0 || frame >= m_playlist.size()) return nullptr;
    return &m_playlist[frame];
}

const array<execute_tag*>* movie_def_impl::get_init_actions(int frame) const {
    if (frame < 0 || frame >= m_init_actions.size()) return nullptr;
    return &m_init_actions[frame];
}

character_def* movie_def_impl::get_character_def(int id) const {
    // Read without copying the counted pointer: other threads may look while nothing changes.
    const auto it = m_characters.find(id);
    return it.is_end() ? nullptr : it.get_value().get_ptr();
}

character_def* movie_def_impl::get_exported_resource(const bx_string& symbol) const {
    const auto it = m_exports.find(bx_stringi(symbol.c_str()));
    return it.is_end() ? nullptr : it.get_value().get_ptr();
}

bool movie_def_impl::get_frame_label(int, bx_string*) const {
    // Only sprite definitions name their frames this way; a whole movie answers labels by name.
    return false;
}

bitmap_info* movie_def_impl::get_bitmap_info(int i) const {
    return i >= 0 && i < m_bitmap_list.size() ? m_bitmap_list[i].get_ptr() : nullptr;
}

bool movie_def_impl::get_labeled_frame(const char* label, int* frame) const {
    int found = 0;
    if (!m_named_frames.get(bx_stringi(label), &found)) return false;
    if (frame) *frame = found;
    return true;
}

void movie_def_impl::add_character(int id, character_def* def) {
    if (!def) return;
    if (def->get_id() < 0) def->set_id(id);
    m_characters.add(id, def);
}

void movie_def_impl::add_execute_tag(execute_tag* tag) {
    if (accept_frame_tag(tag, m_playlist.size(), "movie_def_impl")) m_playlist[get_loading_frame()].push_back(tag);
}

void movie_def_impl::add_init_action(int, execute_tag* tag) {
    if (accept_frame_tag(tag, m_init_actions.size(), "movie_def_impl")) {
        m_init_actions[get_loading_frame()].push_back(tag);
    }
}

void movie_def_impl::add_frame_name(const char* label) {
    if (get_loading_frame() >= m_frame_count) {
        log_error("error: frame label '%s' after the last of %d frames; dropped\n", label, m_frame_count);
        return;
    }
    m_named_frames.set(bx_stringi(label), get_loading_frame());
}

void movie_def_impl::export_resource(const bx_string& symbol, character_def* resource) {
    m_exports.set(bx_stringi(symbol.c_str()), resource);
}

void movie_def_impl::add_import(const bx_string& source_url, int id, const bx_string& symbol) {
    import_info info;
    info.m_source_url = source_url;
    info.m_character_id = id;
    info.m_symbol = symbol;
    m_imports.push_back(info);
}

bool movie_def_impl::in_import_table(int id) const {
    for (const import_info& info : m_imports) {
        if (info.m_character_id == id) return true;
    }
    return false;
}

void movie_def_impl::set_symbol_class(int id, const bx_string& class_name) { m_symbol_classes.add(id, class_name); }

void movie_def_impl::add_scene(int offset, const bx_string& name) { m_scenes.add(offset, name); }

void movie_def_impl::set_abc(const bx_string& name, abc_def* abc) {
    m_abc_name = name;
    m_abc = abc;
}

void movie_def_impl::run_as3_entry(character* root_movie) const {
    as_3_function* entry = m_abc ? m_abc->get_class_constructor("") : nullptr;
    if (!entry) return;
    as_environment env(m_player);
    call_method(as_value(entry), &env, as_value(root_movie), 0, env.get_top_index());
}

as_3_function* movie_def_impl::get_class_constructor(character* instance) const {
    if (!instance || !m_abc) return nullptr;
    const int id = instance->get_id() == -1 ? 0 : instance->get_id();
    bx_string class_name;
    if (!m_symbol_classes.get(id, &class_name)) return nullptr;
    instance_info* info = m_abc->resolve_qualified_name(class_name);
    instance->set_class(info);
    if (!info) return nullptr;
    // The class's own traits only; its base classes' are not bound here.
    m_abc->bind_instance_traits(instance, info, false);
    return m_abc->get_method(info->iinit);
}

void movie_def_impl::add_frame_label(int frame, const bx_string& label) { m_scene_frame_labels.add(frame, label); }

void movie_def_impl::set_jpeg_loader(jpeg::input* reader) {
    if (reader == m_jpeg_in) return;
    delete m_jpeg_in;
    m_jpeg_in = reader;
}

void movie_def_impl::add_bitmap_character_def(int id, bitmap_character* ch) {
    if (!ch) return;
    m_bitmap_characters.add(id, ch);
    add_bitmap_info(ch->get_bitmap_info());
}

bitmap_character* movie_def_impl::get_bitmap_character_def(int id) const {
    const auto it = m_bitmap_characters.find(id);
    return it.is_end() ? nullptr : it.get_value().get_ptr();
}

void movie_def_impl::add_bitmap_info(bitmap_info* bi) {
    if (bi) m_bitmap_list.push_back(bi);
}

void movie_def_impl::add_sound_sample(int id, sound_sample* sample) {
    if (!sample) return;
    if (sample->get_id() < 0) sample->set_id(id);
    m_sound_samples.add(id, sample);
}

sound_sample* movie_def_impl::get_sound_sample(int id) const {
    const auto it = m_sound_samples.find(id);
    return it.is_end() ? nullptr : it.get_value().get_ptr();
}

smart_ptr<root> movie_def_impl::create_instance() {
    smart_ptr<root> r(new root(m_player, this));
    smart_ptr<sprite_instance> clip(sprite_instance::create_top_level(m_player, this, r.get_ptr()));
    r->set_root_movie(clip.get_ptr());
    return r;
}

}  // namespace flash
