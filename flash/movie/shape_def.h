#pragma once
// A vector shape in a movie's dictionary: the shape reader's definition, drawn for an instance
// under its world matrix and colour transform, with its bitmap fills resolved to the movie's
// bitmap characters when the tag is read (a fill whose bitmap is missing paints nothing).
#include "flash/base/smart_ptr.h"
#include "flash/movie/character_def.h"
#include "flash/movie/fill_bitmaps.h"
#include "flash/render/bitmap_info.h"
#include "flash/shape/shape_character_def.h"

namespace flash {

class movie_definition_sub;
class swf_stream;

class shape_def : public character_def {
public:
    shape_def();
    // Over a shape built elsewhere (a run-time drawing).
    explicit shape_def(shape_character_def* shape);
    ~shape_def() override;

    // SHAPEWITHSTYLE of the given DefineShape version; bitmap fills are looked up in m (none
    // when m is null).
    void read(swf_stream* in, int tag_type, movie_definition_sub* m);

    void display(character* instance) override;
    rect get_bound() const override;
    bool point_test_local(float x, float y) const override;
    void write_cache_record(bx_file* out) override;
    [[nodiscard]] bool read_cache_record(cache_reader* in) override;

    // The texture of a bitmap fill's character id; null when the movie had none.
    bitmap_info* get_fill_bitmap(int bitmap_id) const;
    // The device texture of the last fill style when it is a bitmap fill with one; null
    // otherwise (also when an earlier fill has one).
    bitmap_info* get_bitmap_texture() const;
    shape_character_def* get_shape() const;

private:
    smart_ptr<shape_character_def> m_shape;
    fill_bitmaps m_fill_bitmaps;
};

// DefineShape, DefineShape2, DefineShape3 and DefineShape4: a shape_def under the tag's id.
void shape_loader(swf_stream* in, int tag_type, movie_definition_sub* m);

}  // namespace flash
