#include "flash/runtime/character.h"

#include "flash/runtime/name_tables.h"

namespace flash {

void character::get_property(int property_number, as_value* out) {
    ::flash::get_property(this, property_number, out);
}

void character::set_property(int property_number, const as_value& value) {
    ::flash::set_property(this, property_number, value);
}

character* as_character(as_object* object) {
    if (!object || !object->is(as_object::CHARACTER)) return nullptr;
    return dynamic_cast<character*>(object);
}

}  // namespace flash
