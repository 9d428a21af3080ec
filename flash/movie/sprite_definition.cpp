#include "flash/movie/sprite_definition.h"

#include <new>

#include "flash/base/log.h"
#include "flash/movie/sound_handler.h"
#include "flash/movie/sprite_instance.h"
#include "flash/movie/tag_loaders.h"
#include "flash/render/jpeg_input.h"
#include "flash/runtime/action_tags.h"
#include "flash/swf/swf_stream.h"

namespace flash {

sprite_definition::sprite_definition(movie_definition_sub* owner) : m_owner(owner) {
    if (!owner) {
        m_frame_count = 1;
        m_playlist.resize(1);
        m_playlist[0].push_back(new execute_tag);
        next_loading_frame();
    }
}

sprite_definition::~sprite_definition() {
    set_break_loading(true);
    for (array<execute_tag*>& frame : m_playlist) {
        for (execute_tag* tag : frame) delete tag;
    }
}

void sprite_definition::read(swf_stream* in) {
    const int end = in->get_tag_end_position();
    m_frame_count = in->read_u16();
    if (m_frame_count < 1) m_frame_count = 1;
    if (get_verbose_parse()) log_msg("  frames = %d\n", m_frame_count);
    if (!m_playlist.resize(m_frame_count)) {
        log_error("error: sprite_definition::read(): no memory for %d frames\n", m_frame_count);
        m_frame_count = 0;
        return;
    }
    read_tag_loop(in, this, end, true);
    if (get_verbose_parse()) log_msg("  -- sprite END --\n");
}

character* sprite_definition::create_character_instance(engine_instance* player,
                                                       character* parent, int id) {
    root* r = parent ? parent->get_root() : nullptr;
    return new (std::nothrow) sprite_instance(player, this, r, parent, id);
}

player* sprite_definition::get_player() const { return m_owner ? m_owner->get_player() : nullptr; }

int sprite_definition::get_version() const { return m_owner ? m_owner->get_version() : 0; }

float sprite_definition::get_frame_rate() const { return m_owner ? m_owner->get_frame_rate() : 0.0f; }

const array<execute_tag*>* sprite_definition::get_playlist(int frame) const {
    if (frame < 0 || frame >= m_playlist.size()) return nullptr;
    return &m_playlist[frame];
}

character_def* sprite_definition::get_character_def(int id) const {
    return m_owner ? m_owner->get_character_def(id) : nullptr;
}

character_def* sprite_definition::get_exported_resource(const bx_string& symbol) const {
    return m_owner ? m_owner->get_exported_resource(symbol) : nullptr;
}

bool sprite_definition::get_labeled_frame(const char* label, int* frame) const {
    int found = 0;
    if (!m_named_frames.get(bx_string(label), &found)) return false;
    if (frame) *frame = found;
    return true;
}

bool sprite_definition::get_frame_label(int frame, bx_string* label) const {
    bx_string found;
    if (!m_frame_labels.get(frame, &found)) return false;
    if (label) *label = found;
    return true;
}

void sprite_definition::add_character(int, character_def*) { log_msg("add_character tag appears in sprite tags!\n"); }

void sprite_definition::add_execute_tag(execute_tag* tag) {
    if (accept_frame_tag(tag, m_playlist.size(), "sprite_definition")) m_playlist[get_loading_frame()].push_back(tag);
}

void sprite_definition::add_init_action(int, execute_tag* tag) {
    log_msg("sprite_definition::add_init_action called!  Ignored.\n");
    delete tag;
}

void sprite_definition::add_frame_name(const char* name) {
    const int frame = get_loading_frame();
    if (frame >= m_frame_count) {
        log_error("error: frame label '%s' after the last of %d frames; dropped\n", name, m_frame_count);
        return;
    }
    const bx_string label(name);
    int old_frame = 0;
    if (m_named_frames.get(label, &old_frame)) {
        log_msg("add_frame_name(%d, '%s') -- frame name already assigned to frame %d; overriding\n", frame, name,
                old_frame);
    }
    m_named_frames.set(label, frame);
    m_frame_labels.set(frame, label);
}

void sprite_definition::export_resource(const bx_string&, character_def*) { log_msg("can't export from sprite\n"); }

// Imports, symbol classes and scenes belong to the whole movie.
void sprite_definition::add_import(const bx_string& url, int id, const bx_string& symbol) {
    if (m_owner) m_owner->add_import(url, id, symbol);
}

void sprite_definition::set_symbol_class(int id, const bx_string& class_name) {
    if (m_owner) m_owner->set_symbol_class(id, class_name);
}

void sprite_definition::set_abc(const bx_string& name, abc_def* abc) {
    if (m_owner) m_owner->set_abc(name, abc);
}

void sprite_definition::add_scene(int offset, const bx_string& name) {
    if (m_owner) m_owner->add_scene(offset, name);
}

void sprite_definition::add_frame_label(int frame, const bx_string& label) {
    if (m_owner) m_owner->add_frame_label(frame, label);
}

void sprite_definition::set_jpeg_loader(jpeg::input* reader) {
    if (m_owner) {
        m_owner->set_jpeg_loader(reader);
    } else {
        delete reader;
    }
}

jpeg::input* sprite_definition::get_jpeg_loader() const { return m_owner ? m_owner->get_jpeg_loader() : nullptr; }

void sprite_definition::add_bitmap_character_def(int id, bitmap_character* ch) {
    if (m_owner) m_owner->add_bitmap_character_def(id, ch);
}

void sprite_definition::add_sound_sample(int, sound_sample* sample) {
    log_msg("add sam appears in sprite tags!\n");
    // The sample arrived uncounted; taking and dropping a reference frees it.
    smart_ptr<sound_sample> drop(sample);
}

sound_sample* sprite_definition::get_sound_sample(int id) const {
    return m_owner ? m_owner->get_sound_sample(id) : nullptr;
}

bitmap_character* sprite_definition::get_bitmap_character_def(int id) const {
    return m_owner ? m_owner->get_bitmap_character_def(id) : nullptr;
}

void sprite_definition::add_bitmap_info(bitmap_info* bi) {
    if (m_owner) m_owner->add_bitmap_info(bi);
}

int sprite_definition::get_create_bitmaps() const { return m_owner ? m_owner->get_create_bitmaps() : 0; }

void sprite_loader(swf_stream* in, int, movie_definition_sub* m) {
    const int id = in->read_u16();
    if (get_verbose_parse()) log_msg("  sprite\n  char id = %d\n", id);
    smart_ptr<sprite_definition> sprite(new sprite_definition(m));
    sprite->read(in);
    m->add_character(id, sprite.get_ptr());
}

}  // namespace flash
