#pragma once
// The prepared program: what one action record (and the records it runs together with) is
// settled to run as, built the first time the record runs. The loop dispatches on a step's kind
// and reads its extent from the step; which records run together, and whose result the record
// after them takes, is decided here once, from the bytes, and never looked for again while
// running. A joined step whose guard fails at run time runs its records one by one through
// their own handlers.
#include <cstdint>

#include "flash/base/smart_ptr.h"

namespace flash {

class as_object;

// What the last plain read or write of a variable or member at one step found: the object
// (the target, for a variable) and the index of the name in its member table. A later run on the
// same object takes the member from that index while the table kept its layout and the entry
// there holds the name, as long as nothing that comes before own members in a lookup changed
// (member_lookup_version). Failed attempts are counted so that a name that is never an own
// member, or code run for many objects in turn, stops being looked for.
struct member_cache {
    weak_ptr<as_object> object;
    int index = -1;
    uint32_t lookup_version = 0;
    // The member table's layout version when the index was taken.
    uint32_t layout_version = 0;
    int misses = 0;
};

// One Push record as prepared: its texts as names (text_count of them from
// push_names[text_first], in order up to the first one cut short), and, when every item is a
// constant or a pool entry of the running dictionary and nothing is cut short, all its values
// (value_count from push_values[value_first]). constant: no item is a pool entry.
struct push_record {
    int text_first = 0;
    int text_count = 0;
    int value_first = 0;
    int value_count = 0;
    bool constant = false;
    // A constant record whose last item is a text (or a pool entry), followed by a GetVariable,
    // GetMember or CallFunction: that action's code, else 0.
    uint8_t then_reads_name = 0;
    // Whether that is a GetVariable or CallFunction of a name without a path.
    bool reads_plain_name = false;
    // A constant record whose last value is a number, followed by an arithmetic or comparison
    // action that two numbers take straight (operates_on_numbers), or whose GetVariable after
    // it is followed by one: that action's code, else 0.
    uint8_t then_operates = 0;
    // With a GetVariable after it: when a Push record of one number stands between the
    // GetVariable and its then_operates action (i < 10), that number, taken instead of the value
    // below, and the offset of the action from the GetVariable (0: no such record).
    double then_operand = 0.0;
    int then_operates_at = 0;
    // A record of one plain name twice whose GetVariable is followed by an Increment or a
    // Decrement, or by that Push of one number and arithmetic, and then by the SetVariable of the
    // name (name++, name = name + 1): the offset of that SetVariable from the GetVariable (0:
    // none), and the Increment or Decrement code (0: the arithmetic).
    int then_stores_at = 0;
    uint8_t then_steps = 0;
    // A record whose items are all constants but pool entries: the dictionary they were taken
    // from (0: none). It runs from its values only under that one; constant is false for it.
    uint32_t dictionary_id = 0;
    // With a CallFunction after it: the function it last called, a function without an own
    // "__constructor__" while its member table keeps callee_layout.
    weak_ptr<as_object> callee;
    uint32_t callee_layout = 0;
};

// What a step runs as.
enum class step_kind : uint8_t {
    // The action's own handler, by its code.
    handler,
    // A Jump whose payload holds its offset.
    jump,
    // An Increment or Decrement: a number at the top is stepped where it is.
    number_step,
    // A Not followed by an If whose payload holds its offset: both run as one.
    not_if,
    // The Push kinds, from here on.
    // Read from its bytes on every run (registers, pool entries outside the pool, texts cut
    // short, or a record that could not be prepared).
    push_from_bytes,
    // Its prepared values pushed.
    push_values,
    // The name it pushes last read by the GetVariable after it (and, with the record's
    // then_operates, the arithmetic or comparison after that; with then_stores_at, the variable
    // updated where it is stored).
    push_read_variable,
    // The name it pushes last called by the CallFunction after it.
    push_call_function,
    // The name it pushes last read by the GetMember after it from the object below.
    push_read_member,
    // The number it pushes last taken by the arithmetic or comparison after it.
    push_operate,
};
constexpr bool is_push_step(step_kind kind) { return kind >= step_kind::push_from_bytes; }

// What takes the value a step leaves at the top, right after the records it runs: a write of it
// through the writer's member cache, a Not with its If, or a Return, each run as part of the
// same step when it takes its plain path.
enum class result_use : uint8_t { none, set_variable, set_member, not_if, return_value };

// One prepared action record: 64 bytes, so that the loop finds a step by a shift.
struct action_step {
    // Where the record starts, its code, its payload length, and where the next one starts.
    int pc = 0;
    uint8_t code = 0;
    step_kind kind = step_kind::handler;
    // What takes the result of the records the step runs (see result_use), and where the
    // records that take it end (the If's end, for not_if).
    result_use then = result_use::none;
    // A Push whose values hold pool entries: it runs from them only under the pool they were
    // taken from (push_record::dictionary_id).
    bool pooled = false;
    int payload_length = 0;
    int next_pc = 0;
    int then_end = 0;
    // The Push record, for the Push kinds; -1 otherwise or when none could be prepared. Its
    // values, copied here for the loop: value_count from push_values[value_first].
    int push = -1;
    int value_first = 0;
    int value_count = 0;
    // For a GetVariable, SetVariable, SetMember or CallFunction, the member its name was last
    // found at; for a Push whose name the action after it reads, the member of that read.
    member_cache cache;
};

}  // namespace flash
