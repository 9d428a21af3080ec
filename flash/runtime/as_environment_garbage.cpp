// The environment's part in the garbage pass: the values its stack, registers and local variables
// hold are marked, and references that lead back into a cycle are dropped.
#include "flash/runtime/as_environment.h"

namespace flash {

void as_environment::clear_refs(hash<as_object*, bool>* visited, as_object* this_ptr) {
    auto clear_value = [&](as_value& v) {
        as_object* object = v.to_object();
        if (!object) return;
        if (object == this_ptr) {
            v.set_undefined();
        } else {
            object->clear_refs(visited, this_ptr);
        }
    };
    for (int i = 0; i < m_stack.size(); ++i) clear_value(m_stack[i]);
    for (as_value& r : m_global_register) clear_value(r);
    for (int i = 0; i < m_local_register_count; ++i) clear_value(m_local_register[i]);
    for (int i = 0; i < m_local_frame_count; ++i) clear_value(m_local_frames[i].value);
    if (m_target.get_ptr() == this_ptr) {
        take_target_holds();
        m_target = nullptr;
    }
}

void as_environment::mark_values() {
    auto mark = [](const as_value& v) {
        if (as_object* object = v.to_object()) object->this_alive();
    };
    for (int i = 0; i < m_stack.size(); ++i) mark(m_stack[i]);
    for (const as_value& r : m_global_register) mark(r);
    for (int i = 0; i < m_local_register_count; ++i) mark(m_local_register[i]);
    for (int i = 0; i < m_local_frame_count; ++i) mark(m_local_frames[i].value);
}

}  // namespace flash
