#pragma once
// The state of one AVM2 method run, shared by the interpreter's instruction files: the code, the
// registers, the environment whose operand and scope stacks it uses, the result and the program
// counter. Operand reads and pool lookups go through checks that end the method on a fault.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_value.h"
#include "flash/runtime/avm2/abc_cursor.h"

namespace flash {

class abc_def;
class as_3_function;

class avm2_machine {
public:
    avm2_machine(as_3_function* function, array<as_value>& registers, as_environment* env, as_value* result);

    void run();

    // Operand stack. The method never reaches below the depth it started at: the caller's values
    // there stay untouched, and an empty stack pops undefined.
    void push(const as_value& value) { m_env->push(value); }
    as_value pop() { return available() > 0 ? m_env->pop() : as_value(); }
    int available() const { return m_env->get_stack_size() - m_base; }
    // A count taken from the code, clamped to the values the method has on the stack.
    int clamp_count(uint32_t count) const {
        const int have = available();
        return count > static_cast<uint32_t>(have) ? have : static_cast<int>(count);
    }

    // Operands: false (the method ends, logged) when one runs past the code.
    bool read_u8(uint8_t* out);
    bool read_u30(uint32_t* out);
    bool read_s24(int32_t* out);
    // A u30 operand that must be below limit.
    bool read_index(int limit, const char* what, int* out);
    // The name text of a multiname operand; a run-time name gives "".
    bool read_multiname(int* index, bx_string* name);
    // Ends the method with a log line naming the fault.
    bool stop(const char* problem);

    // Calls and construction (avm2_calls.cpp).
    void call_property(bool keep_result);
    void construct_property();
    void construct_super();
    void new_class();
    void find_property(bool strict);
    void get_lex();
    // Runs the script initialiser that declares name, with a fresh object under that name in
    // the global object; the object, or null when no script declares the name.
    as_object* run_script_for(const bx_string& name);

    abc_def* abc() const { return m_abc; }
    as_3_function* function() const { return m_function; }
    as_environment* env() const { return m_env; }
    engine_instance* player() const { return m_env->get_player(); }
    bool verbose() const { return m_verbose; }

private:
    bool step();
    bool branch(int32_t offset);
    bool register_slot(uint32_t index, as_value** out);
    void log_name_namespace(int multiname_index);

    as_3_function* m_function;
    abc_def* m_abc;
    array<as_value>& m_registers;
    as_environment* m_env;
    as_value* m_result;
    abc_cursor m_code;
    int m_base;
    int m_scope_base;
    bool m_verbose;
    bool m_keep_running = true;
};

}  // namespace flash
