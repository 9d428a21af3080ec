#pragma once
// The script Array: its elements are ordinary members named by their decimal index, and its size
// is the number of its enumerable members.
#include "flash/base/bx_string.h"
#include "flash/runtime/as_object.h"

namespace flash {

class as_array : public as_object {
public:
    // Largest element count that "Array"(n) and an array literal accept.
    static constexpr int max_construct_size = 1 << 20;

    explicit as_array(engine_instance* owner);

    bool is(int class_id) const override;
    const char* to_string() override;

    int size() const;
    void push(const as_value& value);
    void pop(as_value* value);
    void erase(const bx_stringi& name);
    void clear();

private:
    bx_string m_string;
    bool m_converting = false;  // its text is being made: a nested request comes through itself
};

void as_global_array_ctor(const fn_call& fn);
void as_array_join(const fn_call& fn);
void as_array_tostring(const fn_call& fn);
void as_array_push(const fn_call& fn);
void as_array_pop(const fn_call& fn);
void as_array_length(const fn_call& fn);
void as_array_load_from_string(const fn_call& fn);

}  // namespace flash
