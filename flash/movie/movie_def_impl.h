#pragma once
// The parsed form of one SWF file: its header, every character definition by id, the frame tags
// and init actions of each frame, frame labels, exports and imports, symbol classes and scenes.
// Read once by read(), then used read-only.
#include "flash/base/hash.h"
#include "flash/base/smart_ptr.h"
#include "flash/movie/bitmap_character.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/sound_handler.h"
#include "flash/runtime/avm2/abc_def.h"
#include "flash/shape/geometry.h"

namespace flash {

class bx_file;
class root;
class swf_stream;

struct import_info {
    bx_string m_source_url;
    int m_character_id = -1;
    bx_string m_symbol;
};

// The rate of a movie whose header gives none (and of a definition not yet read).
constexpr float default_frame_rate = 30.0f;

class movie_def_impl : public movie_definition_sub {
public:
    // The SWF signatures (low 24 bits of the first header word).
    static constexpr uint32_t signature_fws = 0x535746;
    static constexpr uint32_t signature_cws = 0x535743;
    // Bytes of signature, version and length before the compressed part of a "CWS" file.
    static constexpr int swf_header_size = 8;

    movie_def_impl(player* owner, bool no_bitmaps);
    ~movie_def_impl() override;

    bool is(int class_id) const override {
        return class_id == MOVIE_DEF_IMPL || movie_definition_sub::is(class_id);
    }

    // Reads the whole file, which it takes over and releases. False when the header is refused
    // (the definition then has no frames and must not be used).
    [[nodiscard]] bool read(bx_file* in);

    player* get_player() const override { return m_player; }
    // A new root of this movie whose top-level clip already shows frame 0.
    smart_ptr<root> create_instance();
    int get_version() const override { return m_version; }
    int get_frame_count() const override { return m_frame_count; }
    float get_frame_rate() const override { return m_frame_rate; }
    // The root's set_frame_rate, after checking the range.
    void set_frame_rate(float fps) { m_frame_rate = fps; }
    const rect& get_frame_rect() const { return m_frame_rect; }
    float get_width_pixels() const;
    float get_height_pixels() const;
    int get_loaded_length() const { return m_loaded_length; }
    // Where the movie's data ends, as its header gives it (bounded by the file).
    int get_file_end() const { return m_file_end; }
    int get_create_bitmaps() const override { return m_no_bitmaps; }
    int get_loader_extra() const { return 0; }

    const array<execute_tag*>* get_playlist(int frame) const override;
    const array<execute_tag*>* get_init_actions(int frame) const override;
    character_def* get_character_def(int id) const override;
    character_def* get_exported_resource(const bx_string& symbol) const override;
    bool get_labeled_frame(const char* label, int* frame) const override;
    // Always false: labels of a whole movie are found by name only.
    bool get_frame_label(int frame, bx_string* label) const override;

    void add_character(int id, character_def* def) override;
    void add_execute_tag(execute_tag* tag) override;
    void add_init_action(int sprite_id, execute_tag* tag) override;
    void add_frame_name(const char* label) override;
    void export_resource(const bx_string& symbol, character_def* resource) override;
    void add_import(const bx_string& source_url, int id, const bx_string& symbol) override;
    void set_symbol_class(int id, const bx_string& class_name) override;
    void add_scene(int offset, const bx_string& name) override;
    void add_frame_label(int frame, const bx_string& label) override;
    void set_abc(const bx_string& name, abc_def* abc) override;
    abc_def* get_abc() const { return m_abc.get_ptr(); }
    const bx_string& get_abc_name() const { return m_abc_name; }
    // The instance initialiser of the class the symbol classes give the instance's character id
    // (-1 counts as 0, the movie itself). The instance is linked to the class and given a member
    // per instance trait. Null when the id has no class or the class is not in the ABC block.
    as_3_function* get_class_constructor(character* instance) const;
    // The ActionScript 3 entry of the first frame (the document class): the initialiser of the
    // ABC block's last script, called with a fresh environment, root_movie as this and no
    // arguments. Nothing without a block.
    void run_as3_entry(character* root_movie) const;

    void set_jpeg_loader(jpeg::input* reader) override;
    jpeg::input* get_jpeg_loader() const override { return m_jpeg_in; }
    void add_bitmap_character_def(int id, bitmap_character* ch) override;
    bitmap_character* get_bitmap_character_def(int id) const override;
    void add_bitmap_info(bitmap_info* bi) override;
    int get_bitmap_info_count() const { return m_bitmap_list.size(); }
    // The i-th bitmap kept alive with the movie; null outside the list.
    bitmap_info* get_bitmap_info(int i) const;
    void add_sound_sample(int id, sound_sample* sample) override;
    sound_sample* get_sound_sample(int id) const override;

    // Cache files: the header, one record per entry of the characters table, the end marker.
    // Reading stops at the first bad record with an ERROR; records before it stay applied and a
    // bad one changes nothing.
    void output_cached_data(bx_file* out);
    void input_cached_data(bx_file* in);

    bool in_import_table(int id) const;
    const array<import_info>& get_imports() const { return m_imports; }
    const stringi_hash<smart_ptr<character_def>>& get_exports() const { return m_exports; }
    const hash<int, smart_ptr<character_def>>& get_characters() const { return m_characters; }
    const hash<int, bx_string>& get_symbol_classes() const { return m_symbol_classes; }
    const stringi_hash<int>& get_named_frames() const { return m_named_frames; }
    const hash<int, bx_string>& get_scenes() const { return m_scenes; }
    const hash<int, bx_string>& get_scene_frame_labels() const { return m_scene_frame_labels; }

    // Calls visit once per distinct (case-insensitive) import source, in import order.
    template <class visitor>
    void visit_imported_movies(visitor&& visit) const {
        stringi_hash<bool> seen;
        for (const import_info& info : m_imports) {
            if (seen.find_index(info.m_source_url) >= 0) continue;
            seen.add(info.m_source_url, true);
            visit(info.m_source_url);
        }
    }

private:
    void set_frame_count(int count);
    void read_tags();
    void release_files();

    player* m_player;
    hash<int, smart_ptr<character_def>> m_characters;
    array<array<execute_tag*>> m_playlist;
    array<array<execute_tag*>> m_init_actions;
    stringi_hash<int> m_named_frames;
    stringi_hash<smart_ptr<character_def>> m_exports;
    array<import_info> m_imports;
    int m_no_bitmaps;
    rect m_frame_rect;
    float m_frame_rate = default_frame_rate;
    int m_frame_count = 0;
    int m_version = 0;
    int m_loaded_length = 0;
    swf_stream* m_stream = nullptr;
    int m_file_end = 0;
    bx_file* m_zlib_file = nullptr;
    bx_file* m_origin_file = nullptr;
    hash<int, bx_string> m_symbol_classes;
    hash<int, smart_ptr<bitmap_character>> m_bitmap_characters;
    array<smart_ptr<bitmap_info>> m_bitmap_list;
    jpeg::input* m_jpeg_in = nullptr;
    hash<int, smart_ptr<sound_sample>> m_sound_samples;
    hash<int, bx_string> m_scenes;
    hash<int, bx_string> m_scene_frame_labels;
    bx_string m_abc_name;
    smart_ptr<abc_def> m_abc;
};

}  // namespace flash
