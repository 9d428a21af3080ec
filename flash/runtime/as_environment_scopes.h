#pragma once
// The scope stack of the ActionScript 3 interpreter: the values whose members a name lookup of
// AVM2 code searches, innermost last. It lives beside the environment that ActionScript 1/2 and
// native code share, which only carries it.
#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/runtime/as_value.h"

namespace flash {

class as3_scope_stack {
public:
    void push(const as_value& value) { m_scopes.push_back(value); }
    // The innermost scope, which leaves the stack; undefined when there is none.
    as_value pop();
    int size() const { return m_scopes.size(); }
    // The scope at index from the bottom; null outside the stack.
    as_value* at(int index_from_bottom) {
        if (index_from_bottom < 0 || index_from_bottom >= m_scopes.size()) return nullptr;
        return &m_scopes[index_from_bottom];
    }
    // From the innermost out: the first scope whose member lookup succeeds gives the member.
    bool find_member(const bx_stringi& name, as_value* out) const;
    // From the innermost out: the first scope whose property lookup succeeds gives the owner.
    bool find_owner(const bx_stringi& name, as_value* owner) const;

private:
    array<as_value> m_scopes;
};

}  // namespace flash
