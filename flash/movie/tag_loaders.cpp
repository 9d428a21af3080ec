#include "flash/movie/tag_loaders.h"

#include <mutex>

#include "flash/base/hash.h"
#include "flash/base/log.h"
#include "flash/movie/asset_loaders.h"
#include "flash/movie/bitmap_loaders.h"
#include "flash/movie/button.h"
#include "flash/movie/morph_def.h"
#include "flash/movie/shape_def.h"
#include "flash/movie/frame_tags.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sound_handler.h"
#include "flash/movie/sprite_definition.h"
#include "flash/movie/text.h"
#include "flash/runtime/avm2/abc_def.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

// Fonts are not loaded: the host draws text itself.
constexpr int font_tags[] = {TAG_DEFINE_FONT,      TAG_DEFINE_FONT_INFO,        TAG_DEFINE_FONT2,
                               TAG_DEFINE_FONT_INFO2, TAG_DEFINE_FONT_ALIGN_ZONES, TAG_DEFINE_FONT3};
constexpr uint8_t file_attribute_as3 = 0x08;
constexpr int dump_row_bytes = 16;
constexpr int printable_first = 32;
constexpr int printable_last = 127;
constexpr float alpha_byte_max = 255.0f;
constexpr float alpha_rounding = 0.5f;

std::mutex g_registry_lock;
bool g_registered = false;
hash<int, tag_loader> g_loaders;

void null_loader(swf_stream*, int, movie_definition_sub*) {}

void set_background_color_loader(swf_stream* in, int, movie_definition_sub* m) {
    set_background_color* tag = new set_background_color;
    tag->read(in);
    m->add_execute_tag(tag);
}

void frame_label_loader(swf_stream* in, int, movie_definition_sub* m) {
    bx_string label;
    in->read_string(label);
    m->add_frame_name(label.c_str());
}

void debugger_loader(swf_stream* in, int tag_type, movie_definition_sub*) {
    if (tag_type == TAG_ENABLE_DEBUGGER2) in->read_u16();
    bx_string digest;
    in->read_string(digest);
}

void set_tab_index_loader(swf_stream* in, int, movie_definition_sub*) {
    in->read_u16();
    in->read_u16();
}

void file_attributes_loader(swf_stream* in, int, movie_definition_sub* m) {
    const uint8_t flags = in->read_u8();
    if (flags & file_attribute_as3) m->set_as3(true);
}

void symbol_class_loader(swf_stream* in, int, movie_definition_sub* m) {
    const int count = in->read_u16();
    for (int i = 0; i < count && !in->has_overrun(); ++i) {
        const int id = in->read_u16();
        bx_string name;
        in->read_string(name);
        if (in->has_overrun()) break;
        if (get_verbose_parse()) log_msg("  symbol_class_loader: charid = %d class = '%s'\n", id, name.c_str());
        m->set_symbol_class(id, name);
    }
}

// The ActionScript 3 block of the movie; a block the reader refuses (logged there) is not kept.
void do_abc_loader(swf_stream* in, int, movie_definition_sub* m) {
    in->read_u32();  // flags, not used
    bx_string name;
    in->read_string(name);
    if (get_verbose_parse()) log_msg("\n doABC tag loader, abc_name = '%s'\n", name.c_str());
    smart_ptr<abc_def> abc(new abc_def);
    if (in->has_overrun()) {
        log_error("error: do_abc_loader(): the tag ends before its ABC block\n");
        return;
    }
    if (!abc->read(in, m->get_player())) return;
    m->set_abc(name, abc.get_ptr());
}

// A count, then that many pairs of a number and a string, each pair handed to take.
template <class take_pair>
void read_numbered_strings(swf_stream* in, take_pair take) {
    const uint32_t count = in->read_vu32();
    for (uint32_t i = 0; i < count && !in->has_overrun(); ++i) {
        const int number = static_cast<int>(in->read_vu32());
        bx_string text;
        in->read_string(text);
        if (in->has_overrun()) break;
        take(number, text);
    }
}

void define_scene_loader(swf_stream* in, int, movie_definition_sub* m) {
    if (get_verbose_parse()) log_msg("\n  define_scene_loader\n");
    read_numbered_strings(in, [m](int offset, const bx_string& name) {
        if (get_verbose_parse()) log_msg("  scene #%d, name='%s'\n", offset, name.c_str());
        m->add_scene(offset, name);
    });
    read_numbered_strings(in, [m](int frame, const bx_string& label) {
        if (get_verbose_parse()) log_msg("  frame #%d, label='%s'\n", frame, label.c_str());
        m->add_frame_label(frame, label);
    });
}

void define_font_name_loader(swf_stream*, int, movie_definition_sub*) {
    if (get_verbose_parse()) log_msg("\n  define_font_name\n");
}

void action_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    do_action_loader(in, tag_type, m);
}

void init_action_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    do_init_action_loader(in, tag_type, m);
}

// The rest of an unknown tag as hex rows with their printable characters.
void dump_tag_body(swf_stream* in) {
    int in_row = 0;
    char text[dump_row_bytes + 1];
    while (in->get_position() < in->get_tag_end_position() && !in->has_overrun()) {
        const uint8_t b = in->read_u8();
        log_msg("%02X", b);
        text[in_row++] = (b >= printable_first && b <= printable_last) ? static_cast<char>(b) : '.';
        if (in_row == dump_row_bytes) {
            text[in_row] = 0;
            log_msg("    %s\n", text);
            in_row = 0;
        } else {
            log_msg(" ");
        }
    }
    if (in_row > 0) log_msg("\n");
}

void fill_registry() {
    struct registration {
        int type;
        tag_loader loader;
    };
    static const registration table[] = {
        {TAG_END, null_loader},
        {TAG_PLACE_OBJECT, place_object_loader},
        {TAG_PLACE_OBJECT2, place_object_loader},
        {TAG_PLACE_OBJECT3, place_object_loader},
        {TAG_REMOVE_OBJECT, remove_object_loader},
        {TAG_REMOVE_OBJECT2, remove_object_loader},
        {TAG_SET_BACKGROUND_COLOR, set_background_color_loader},
        {TAG_DEFINE_SHAPE, shape_loader},
        {TAG_DEFINE_SHAPE2, shape_loader},
        {TAG_DEFINE_SHAPE3, shape_loader},
        {TAG_DEFINE_SHAPE4, shape_loader},
        {TAG_DEFINE_MORPH_SHAPE, morph_loader},
        {TAG_DEFINE_MORPH_SHAPE2, morph_loader},
        {TAG_DEFINE_BITS, define_bits_jpeg_loader},
        {TAG_JPEG_TABLES, jpeg_tables_loader},
        {TAG_DEFINE_BITS_LOSSLESS, define_bits_lossless_loader},
        {TAG_DEFINE_BITS_LOSSLESS2, define_bits_lossless_loader},
        {TAG_DEFINE_BITS_JPEG2, define_bits_jpeg2_loader},
        {TAG_DEFINE_BITS_JPEG3, define_bits_jpeg3_loader},
        {TAG_DO_ACTION, action_loader},
        {TAG_SOUND_STREAM_HEAD, sound_stream_head_loader},
        {TAG_SOUND_STREAM_HEAD2, sound_stream_head_loader},
        {TAG_SOUND_STREAM_BLOCK, sound_stream_block_loader},
        {TAG_PROTECT, null_loader},
        {TAG_DEFINE_SPRITE, sprite_loader},
        {TAG_FRAME_LABEL, frame_label_loader},
        {TAG_EXPORT_ASSETS, export_loader},
        {TAG_IMPORT_ASSETS, import_loader},
        {TAG_ENABLE_DEBUGGER, debugger_loader},
        {TAG_ENABLE_DEBUGGER2, debugger_loader},
        {TAG_DO_INIT_ACTION, init_action_loader},
        {TAG_SET_TAB_INDEX, set_tab_index_loader},
        {TAG_FILE_ATTRIBUTES, file_attributes_loader},
        {TAG_SYMBOL_CLASS, symbol_class_loader},
        {TAG_DO_ABC, do_abc_loader},
        {TAG_METADATA, metadata_loader},
        {TAG_DEFINE_SCENE_AND_FRAME_LABEL_DATA, define_scene_loader},
        {TAG_DEFINE_FONT_NAME, define_font_name_loader},
        {TAG_DEFINE_BUTTON, button_character_loader},
        {TAG_DEFINE_BUTTON2, button_character_loader},
        {TAG_DEFINE_BUTTON_SOUND, button_character_loader},
        {TAG_DEFINE_SOUND, define_sound_loader},
        {TAG_START_SOUND, start_sound_loader},
        {TAG_DEFINE_TEXT, define_text_loader},
        {TAG_DEFINE_TEXT2, define_text_loader},
        {TAG_DEFINE_EDIT_TEXT, define_edit_text_loader},
        {TAG_CSM_TEXT_SETTINGS, csm_text_settings_loader},
    };
    for (const registration& r : table) g_loaders.set(r.type, r.loader);
    for (int type : font_tags) g_loaders.set(type, null_loader);
}

}  // namespace

bool read_defined_id(swf_stream* in, int tag_type, const char* loader_name, int* id) {
    *id = in->read_u16();
    if (in->has_overrun()) {
        log_error("error: %s: tag %d ends before its character id\n", loader_name, tag_type);
        return false;
    }
    if (get_verbose_parse()) log_msg("  %s: id = %d\n", loader_name, *id);
    return true;
}

void register_tag_loaders() {
    std::lock_guard<std::mutex> lock(g_registry_lock);
    if (g_registered) return;
    g_registered = true;
    fill_registry();
}

void register_tag_loader(int type, tag_loader loader) {
    std::lock_guard<std::mutex> lock(g_registry_lock);
    g_loaders.set(type, loader);
}

bool get_tag_loader(int type, tag_loader* out) {
    std::lock_guard<std::mutex> lock(g_registry_lock);
    tag_loader loader = nullptr;
    if (!g_loaders.get(type, &loader)) return false;
    if (out) *out = loader;
    return true;
}

void clear_tag_loaders() {
    std::lock_guard<std::mutex> lock(g_registry_lock);
    g_loaders.clear();
    g_registered = false;
}

int read_tag_loop(swf_stream* in, movie_definition_sub* m, int end, bool in_sprite) {
    while (in->get_position() < end && !m->get_break_loading()) {
        in->clear_overrun();
        const int type = in->open_tag();
        if (type == swf_stream::bad_tag) break;
        if (type == TAG_SHOW_FRAME) {
            if (get_verbose_parse()) log_msg(in_sprite ? "  show_frame (sprite)\n" : "  show_frame\n");
            m->next_loading_frame();
        } else if (in_sprite && type == TAG_DEFINE_SPRITE) {
            // A sprite may not define sprites; refusing it also bounds the nesting.
            log_error("error: DefineSprite inside a sprite at %d; skipped\n", in->get_position());
        } else {
            tag_loader loader = nullptr;
            if (get_tag_loader(type, &loader)) {
                loader(in, type, m);
            } else {
                log_msg("*** no tag loader for type %d\n", type);
                if (get_verbose_parse() && !in_sprite) dump_tag_body(in);
            }
        }
        const int tag_end = in->get_tag_end_position();
        in->close_tag();
        if (in->get_position() != tag_end) {
            log_error("error: the data ends inside tag type %d (at %d, tag end %d); stopping\n", type,
                      in->get_position(), tag_end);
            break;
        }
        if (type == TAG_END && !in_sprite && in->get_position() != end) {
            log_msg("warning: hit stream-end tag, but not at the end of the file yet; stopping for safety\n");
            break;
        }
    }
    return in->get_position();
}

void set_background_color::execute(character* target) {
    root* r = target ? target->get_root() : nullptr;
    if (!r) return;
    rgba color = m_color;
    color.m_a = static_cast<uint8_t>(r->get_background_alpha() * alpha_byte_max + alpha_rounding);
    r->set_background_color(color);
}

void set_background_color::read(swf_stream* in) {
    m_color.read_rgb(in);
    if (get_verbose_parse()) log_msg("  set_background_color: (%d %d %d)\n", m_color.m_r, m_color.m_g, m_color.m_b);
}

}  // namespace flash
