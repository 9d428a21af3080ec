#pragma once
// The shared, immutable definition that a movie's dictionary holds under a character id. (The
// display side of definitions joins with the characters.)
#include "flash/base/ref_counted.h"

namespace flash {

class character_def : public ref_counted {
public:
    // Class ids answered by is().
    enum def_class_id {
        MOVIE_DEF_IMPL = 7,
        MOVIE_DEFINITION_SUB = 8,
        CHARACTER_DEF = 9,
        SPRITE_DEFINITION = 10,
    };

    virtual bool is(int class_id) const { return class_id == CHARACTER_DEF; }

    int get_id() const { return m_id; }
    void set_id(int id) { m_id = id; }

private:
    int m_id = -1;
};

}  // namespace flash
