#include "flash/movie/character_def.h"

#include "flash/runtime/as_function.h"
#include "flash/runtime/character.h"

namespace flash {

as_function* character_def::get_registered_class() const {
    return static_cast<as_function*>(static_cast<as_object*>(m_registered_class.get_ptr()));
}

void character_def::set_registered_class(as_function* ctor) {
    m_registered_class = static_cast<ref_counted*>(ctor);
}

void apply_registered_class(character* instance, const character_def* def) {
    if (!instance || !def) return;
    if (as_function* ctor = def->get_registered_class()) construct_instance(instance, ctor);
}

}  // namespace flash
