#include "flash/runtime/as_environment_scopes.h"

namespace flash {

as_value as3_scope_stack::pop() {
    if (m_scopes.size() == 0) return as_value();
    as_value result(m_scopes.back());
    m_scopes.pop_back();
    return result;
}

bool as3_scope_stack::find_member(const bx_stringi& name, as_value* out) const {
    for (int i = m_scopes.size() - 1; i >= 0; --i) {
        if (m_scopes[i].get_member(name, out)) return true;
    }
    return false;
}

bool as3_scope_stack::find_owner(const bx_stringi& name, as_value* owner) const {
    for (int i = m_scopes.size() - 1; i >= 0; --i) {
        if (m_scopes[i].find_property(name, owner)) return true;
    }
    return false;
}

}  // namespace flash
