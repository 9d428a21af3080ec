#pragma once
// The definition of one DefineSprite tag: its frame count, the frame tags of each frame and its
// frame labels, read from the sprite's own tags inside the movie. Dictionary lookups, the version
// and the frame rate are those of the movie that owns it.
#include "flash/base/hash.h"
#include "flash/movie/movie_definition.h"

namespace flash {

class movie_def_impl;
class swf_stream;

class sprite_definition : public movie_definition_sub {
public:
    // owner may be null: the empty definition of script-made clips (one frame, one empty tag).
    explicit sprite_definition(movie_definition_sub* owner);
    ~sprite_definition() override;

    bool is(int class_id) const override {
        return class_id == SPRITE_DEFINITION || movie_definition_sub::is(class_id);
    }

    // Reads the sprite's frames from in, positioned after its id, up to the DefineSprite's end.
    void read(swf_stream* in);

    // Every instance is a sprite_instance.
    character* create_character_instance(engine_instance* player, character* parent,
                                         int id) override;
    player* get_player() const override;
    int get_version() const override;
    int get_frame_count() const override { return m_frame_count; }
    float get_frame_rate() const override;
    float get_width_pixels() const { return 1.0f; }
    float get_height_pixels() const { return 1.0f; }
    const array<execute_tag*>* get_playlist(int frame) const override;
    const array<execute_tag*>* get_init_actions(int) const override { return nullptr; }
    character_def* get_character_def(int id) const override;
    character_def* get_exported_resource(const bx_string& symbol) const override;
    bool get_labeled_frame(const char* label, int* frame) const override;
    bool get_frame_label(int frame, bx_string* label) const override;

    void add_character(int id, character_def* def) override;
    void add_execute_tag(execute_tag* tag) override;
    void add_init_action(int sprite_id, execute_tag* tag) override;
    void add_frame_name(const char* label) override;
    void export_resource(const bx_string& symbol, character_def* resource) override;
    void add_import(const bx_string& source_url, int id, const bx_string& symbol) override;
    void set_symbol_class(int id, const bx_string& class_name) override;
    void add_scene(int offset, const bx_string& name) override;
    void set_abc(const bx_string& name, abc_def* abc) override;
    void add_frame_label(int frame, const bx_string& label) override;
    // Bitmaps belong to the whole movie.
    void set_jpeg_loader(jpeg::input* reader) override;
    jpeg::input* get_jpeg_loader() const override;
    void add_bitmap_character_def(int id, bitmap_character* ch) override;
    bitmap_character* get_bitmap_character_def(int id) const override;
    void add_bitmap_info(bitmap_info* bi) override;
    int get_create_bitmaps() const override;
    // Sounds belong to the whole movie; a sprite may not define one.
    void add_sound_sample(int id, sound_sample* sample) override;
    sound_sample* get_sound_sample(int id) const override;

private:
    movie_definition_sub* m_owner;  // not counted: the owner holds this definition
    int m_frame_count = 0;
    array<array<execute_tag*>> m_playlist;
    hash<bx_string, int> m_named_frames;
    hash<int, bx_string> m_frame_labels;
};

void sprite_loader(swf_stream* in, int tag_type, movie_definition_sub* m);

}  // namespace flash
