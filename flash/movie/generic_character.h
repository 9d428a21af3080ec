#pragma once
// A placed definition without behaviour of its own (shape, morph, bitmap): it draws, bounds and
// hit-tests through its definition under its own transform.
#include "flash/base/smart_ptr.h"
#include "flash/movie/character_def.h"
#include "flash/runtime/character.h"

namespace flash {

class generic_character : public character {
public:
    generic_character(engine_instance* owner, character_def* def, character* parent, int id);

    character_def* get_definition() const { return m_def.get_ptr(); }

    void display() override;
    character* get_topmost_mouse_entity(float x, float y) override;
    void get_bound(rect* bound) override;

private:
    smart_ptr<character_def> m_def;
};

}  // namespace flash
