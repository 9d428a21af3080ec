#pragma once
// The shared, immutable definition that a movie's dictionary holds under a character id. Placing
// it makes a character; shapes, morphs and bitmaps draw, bound and hit-test themselves here for
// the instance that shows them.
#include "flash/base/ref_counted.h"
#include "flash/shape/geometry.h"

namespace flash {

class bx_file;
class cache_reader;
class character;
class engine_instance;

class character_def : public ref_counted {
public:
    // Class ids answered by is().
    enum def_class_id {
        MOVIE_DEF_IMPL = 7,
        MOVIE_DEFINITION_SUB = 8,
        CHARACTER_DEF = 9,
        SPRITE_DEFINITION = 10,
        BUTTON_CHARACTER_DEFINITION = 11,
        SOUND_SAMPLE = 12,
        TEXT_CHARACTER_DEF = 13,
        EDIT_TEXT_CHARACTER_DEF = 14,
        CANVAS = 19,
    };

    virtual bool is(int class_id) const { return class_id == CHARACTER_DEF; }

    int get_id() const { return m_id; }
    void set_id(int id) { m_id = id; }

    // A new instance under parent (null for a top-level one) owned by player; by default a
    // generic character that shows this definition. Null when memory runs out.
    virtual character* create_character_instance(engine_instance* player, character* parent,
                                                 int id);

    // Drawing and hit testing for one instance; coordinates are the definition's own twips.
    virtual void display(character* /*instance*/) {}
    virtual rect get_bound() const { return rect(); }
    virtual bool point_test_local(float /*x*/, float /*y*/) const { return false; }

    // The definition's record in a cache file: shapes write and read their meshes, every other
    // kind nothing. Reading answers false when the record is cut or malformed.
    virtual void write_cache_record(bx_file* /*out*/) {}
    [[nodiscard]] virtual bool read_cache_record(cache_reader* /*in*/) { return true; }

private:
    int m_id = -1;
};

}  // namespace flash
