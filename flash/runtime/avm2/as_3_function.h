#pragma once
// ActionScript 3 code in the object model: `as_3_function`, the callable object of one method of
// an ABC block, whose call runs the AVM2 interpreter over its body; and `as_class`, the object
// that stands for a class at run time and answers property lookups from its static traits.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/avm2/abc_def.h"

namespace flash {

class as_3_function : public as_function {
public:
    static constexpr int cast_class_id = AS3_FUNCTION;
    // Method flag bits the reader acts on.
    static constexpr uint8_t flag_has_optional = 0x08;
    static constexpr uint8_t flag_has_param_names = 0x80;
    // Registers a call makes at most, whatever the body's local count claims: a register past
    // them is a bad index that ends the method.
    static constexpr int max_registers = 1 << 16;

    struct option_detail {
        int value = 0;  // pool index
        uint8_t kind = 0;
    };

    as_3_function(abc_def* abc, int method_index, engine_instance* owner);
    ~as_3_function() override;

    bool is(int class_id) const override;
    void operator()(const fn_call& fn) override;

    abc_def* get_abc() const { return m_abc.get_ptr(); }
    int get_method_index() const { return m_method_index; }

    // The method record.
    int m_return_type = -1;
    array<int> m_param_types;
    int m_name = -1;
    uint8_t m_flags = 0;
    array<option_detail> m_options;

    // The body; empty code runs nothing.
    int m_max_stack = 0;
    int m_local_count = 0;
    int m_init_scope_depth = 0;
    int m_max_scope_depth = 0;
    array<uint8_t> m_code;
    array<smart_ptr<except_info>> m_exceptions;
    array<smart_ptr<traits_info>> m_traits;

private:
    weak_ptr<abc_def> m_abc;
    int m_method_index;
};

class as_class : public as_object {
public:
    explicit as_class(engine_instance* owner) : as_object(owner) {}
    ~as_class() override;

    void set_class_info(class_info* info) { m_class = info; }
    class_info* get_class_info() const { return m_class.get_ptr(); }

    // Own members first; then the static traits, where a slot is made on first use and any other
    // trait answers false; then the object's own rules.
    bool find_property(const bx_stringi& name, as_value* value) override;

private:
    smart_ptr<class_info> m_class;
};

}  // namespace flash
