#pragma once
// A morph shape in a movie's dictionary: drawn for an instance at the instance's ratio, its
// bitmap fills resolved to the movie's bitmap characters when the tag is read.
#include "flash/base/smart_ptr.h"
#include "flash/movie/character_def.h"
#include "flash/movie/fill_bitmaps.h"
#include "flash/shape/morph2_character_def.h"

namespace flash {

class movie_definition_sub;
class swf_stream;

class morph_def : public character_def {
public:
    morph_def();
    ~morph_def() override;

    void read(swf_stream* in, int tag_type, movie_definition_sub* m);

    void display(character* instance) override;
    // The in-between shape of the ratio last displayed (the start shape before any).
    rect get_bound() const override;
    bool point_test_local(float x, float y) const override;
    void write_cache_record(bx_file* out) override;
    [[nodiscard]] bool read_cache_record(cache_reader* in) override;

    morph2_character_def* get_morph() const { return m_morph.get_ptr(); }

private:
    smart_ptr<morph2_character_def> m_morph;
    fill_bitmaps m_fill_bitmaps;
};

// DefineMorphShape and DefineMorphShape2: a morph_def under the tag's id.
void morph_loader(swf_stream* in, int tag_type, movie_definition_sub* m);

}  // namespace flash
