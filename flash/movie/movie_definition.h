#pragma once
// What the tag loaders fill and what instances read: the operations shared by a whole movie's
// definition and a sprite's. A sprite definition answers its frames and labels itself and hands
// dictionary lookups to the movie that owns it; the operations a sprite may not perform log and
// keep nothing.
#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/movie/character_def.h"

namespace flash {

class abc_def;
class bitmap_character;
class bitmap_info;
class execute_tag;
class player;
class sound_sample;

namespace jpeg {
class input;
}

class movie_definition_sub : public character_def {
public:
    // Stops the stream sound, when it has one and an enabled handler is installed.
    ~movie_definition_sub() override;

    bool is(int class_id) const override {
        return class_id == MOVIE_DEFINITION_SUB || character_def::is(class_id);
    }

    virtual player* get_player() const = 0;
    virtual int get_version() const = 0;
    virtual int get_frame_count() const = 0;
    virtual float get_frame_rate() const = 0;
    // The frame's tags; null for a frame outside the definition.
    virtual const array<execute_tag*>* get_playlist(int frame) const = 0;
    virtual const array<execute_tag*>* get_init_actions(int frame) const = 0;
    virtual character_def* get_character_def(int id) const = 0;
    virtual character_def* get_exported_resource(const bx_string& symbol) const = 0;
    virtual bool get_labeled_frame(const char* label, int* frame) const = 0;
    virtual bool get_frame_label(int frame, bx_string* label) const = 0;

    // Filling, called by the tag loaders. The definition takes over every tag handed to it.
    virtual void add_character(int id, character_def* def) = 0;
    virtual void add_execute_tag(execute_tag* tag) = 0;
    virtual void add_init_action(int sprite_id, execute_tag* tag) = 0;
    virtual void add_frame_name(const char* label) = 0;
    virtual void export_resource(const bx_string& symbol, character_def* resource) = 0;
    virtual void add_import(const bx_string& source_url, int id, const bx_string& symbol) = 0;
    virtual void set_symbol_class(int id, const bx_string& class_name) = 0;
    virtual void add_scene(int offset, const bx_string& name) = 0;
    virtual void add_frame_label(int frame, const bx_string& label) = 0;
    // The movie's ActionScript 3 block and its name; a later DoABC replaces an earlier one.
    virtual void set_abc(const bx_string& name, abc_def* abc) = 0;

    // Bitmaps. The JPEGTables reader is owned from here on (null drops it) and serves the
    // DefineBits tags that follow; bitmap characters have their own table; every bitmap_info
    // handed to add_bitmap_info is kept alive with the definition.
    virtual void set_jpeg_loader(jpeg::input* reader) = 0;
    virtual jpeg::input* get_jpeg_loader() const = 0;
    virtual void add_bitmap_character_def(int id, bitmap_character* ch) = 0;
    virtual bitmap_character* get_bitmap_character_def(int id) const = 0;
    virtual void add_bitmap_info(bitmap_info* bi) = 0;
    // Event sounds, in a table of their own beside the characters; the definition keeps each
    // sample handed to add_sound_sample alive.
    virtual void add_sound_sample(int id, sound_sample* sample) = 0;
    virtual sound_sample* get_sound_sample(int id) const = 0;
    // Not 0 when the movie is loaded without image data: bitmap loaders then decode nothing.
    virtual int get_create_bitmaps() const = 0;

    int get_loading_frame() const { return m_loading_frame; }
    // ShowFrame: tags go to the next frame from here on.
    void next_loading_frame() { ++m_loading_frame; }

    int get_stream_sound_id() const { return m_stream_sound_id; }
    int get_stream_sound_format() const { return m_stream_sound_format; }
    int get_stream_start_frame() const { return m_stream_start_frame; }
    void set_stream_sound(int id, int format) {
        m_stream_sound_id = id;
        m_stream_sound_format = format;
    }
    void set_stream_start_frame(int frame) { m_stream_start_frame = frame; }
    bool is_as3() const { return m_as3; }
    void set_as3(bool on) { m_as3 = on; }

    bool get_break_loading() const { return m_break_loading; }
    void set_break_loading(bool on) { m_break_loading = on; }

protected:
    // Drops a tag that arrives after the last declared frame, with an ERROR.
    bool accept_frame_tag(execute_tag* tag, int frame_count, const char* who);

private:
    int m_stream_sound_id = -1;
    int m_stream_sound_format = 0;
    int m_stream_start_frame = -1;
    bool m_as3 = false;
    int m_loading_frame = 0;
    bool m_break_loading = false;
};

}  // namespace flash
