#include "flash/runtime/action_tags.h"

#include "flash/runtime/character.h"

namespace flash {

void do_action::execute(character* sprite) {
    if (sprite) sprite->add_action_buffer(&m_buffer);
}

}  // namespace flash
