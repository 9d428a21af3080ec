#pragma once
// The context in which action code and native methods run: the value stack, the four global
// registers, the local registers, the local variables with their frame barriers, the with stack
// and scope stack, the target object and a weak link to the player. It resolves variable names
// and slash, colon and dot paths to objects and members.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/base/hash.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_environment_scopes.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/as_value.h"
#include "flash/runtime/script_limits.h"

namespace flash {

class engine_instance;
class root;

// One entry of the with stack: the object whose members come first, until the block ends.
struct with_scope {
    smart_ptr<as_object> object;
    int block_end = 0;

    with_scope() = default;
    with_scope(as_object* obj, int end) : object(obj), block_end(end) {}
};

class as_environment;

// An execution's link to the target it started with: the environment's target when that is a
// character, else null. Most executions never change the target: the link is taken weakly only
// when the environment's target is about to change; until then the environment's own target is
// the start target. Holds on one environment end in the reverse order they start.
class start_target_hold {
public:
    explicit start_target_hold(as_environment* env);
    ~start_target_hold();
    start_target_hold(const start_target_hold&) = delete;
    start_target_hold& operator=(const start_target_hold&) = delete;

    as_object* get() const;
    // Whether the environment's target is still the start target, a character, as it was.
    bool kept() const { return !m_taken && m_on_character; }

private:
    friend class as_environment;
    void take();

    as_environment* m_env;
    start_target_hold* m_outer;
    weak_ptr<as_object> m_taken_target;
    bool m_on_character;
    bool m_taken = false;
};

class as_environment {
public:
    // A local variable; an entry with an empty name is the barrier that opens a function's frame.
    struct frame_slot {
        bx_string name;
        as_value value;

        frame_slot() = default;
        frame_slot(const bx_string& n, const as_value& v) : name(n), value(v) {}
        frame_slot(const bx_string& n, as_value&& v) : name(n), value(static_cast<as_value&&>(v)) {}
    };

    // Longest local name a free slot keeps for the next local.
    static constexpr int max_kept_local_name = 256;
    // Local variable slots one environment may hold (frames and their barriers): far above the
    // locals of every running function together.
    static constexpr int max_local_slots = 16384;

    explicit as_environment(engine_instance* owner);
    as_environment(const as_environment&) = delete;
    as_environment& operator=(const as_environment&) = delete;
    ~as_environment();

    // Inline: every execution asks for it.
    engine_instance* get_player() const { return m_player.get_ptr(); }
    root* get_root() const;

    // Value stack. Pushes into a slot the stack already has are inline: slots above the top hold
    // undefined, so they are plain assignments that release nothing.
    [[gnu::always_inline]] void push(const as_value& value) {
        if (m_stack_top < m_stack.size()) {
            as_value& slot = m_stack[m_stack_top++];
            if (value.get_type() == as_value::NUMBER) {
                // The most pushed value, copied without a call.
                slot.set_double(value.to_number());
                slot.set_flags(value.get_flags());
            } else {
                slot = value;
            }
            return;
        }
        push_grown(value);
    }
    void push(as_value&& value) {
        if (m_stack_top < m_stack.size()) {
            m_stack[m_stack_top++] = static_cast<as_value&&>(value);
            return;
        }
        push_grown(static_cast<as_value&&>(value));
    }
    void push_val(const as_value& value) { push(value); }
    void push(double value) {
        if (m_stack_top < m_stack.size()) {
            m_stack[m_stack_top++].set_double(value);
            return;
        }
        push_grown(as_value(value));
    }
    void push(float value) { push(static_cast<double>(value)); }
    void push(int value);
    void push(bool value);
    void push(const char* text) {
        if (m_stack_top < m_stack.size()) {
            m_stack[m_stack_top++].set_string(text ? text : "");
            return;
        }
        push_grown(as_value(text ? text : ""));
    }
    // A text of count bytes that hold no NUL, such as a text of the action bytes.
    void push(const char* text, int count) {
        if (m_stack_top < m_stack.size()) {
            m_stack[m_stack_top++].set_string(text, count);
            return;
        }
        push_grown(as_value(bx_string(text, count)));
    }
    void push(const wchar_t* text);
    void push(const uint16_t* text);
    void push(const bx_string& text) {
        if (m_stack_top < m_stack.size()) {
            m_stack[m_stack_top++].set_bx_string(text);
            return;
        }
        push_grown(as_value(text));
    }
    void push(as_object* object);
    // The top value, which leaves the stack; an empty stack gives undefined.
    as_value pop();
    // The slot n places below the topmost value; outside the stack a fresh undefined value.
    as_value& top(int n) { return bottom(m_stack_top - n - 1); }
    // The slot at an absolute stack index; outside the stack a fresh undefined value.
    as_value& bottom(int index) {
        if (index < 0 || index >= m_stack_top) return scratch();
        return m_stack[index];
    }
    // The same for a caller that made sure the stack holds more than n values.
    as_value& top_unchecked(int n) { return m_stack[m_stack_top - n - 1]; }
    void set_top_bool(bool value) { top(0).set_bool(value); }
    void set_top_float(float value) { top(0).set_double(value); }
    void set_top_double(double value) { top(0).set_double(value); }
    // Lowers the top by n (never below 0) and clears the slots above it, lowest first.
    void drop(int n) {
        if (n <= 0) return;
        const int size = n >= m_stack_top ? 0 : m_stack_top - n;
        for (int i = size; i < m_stack_top; ++i) m_stack[i].set_undefined();
        m_stack_top = size;
    }
    // The same for a caller that made sure the stack holds at least n values.
    void drop_held(int n) {
        // Read once: clearing a slot writes ints the compiler could not tell from the top.
        const int top = m_stack_top;
        as_value* slots = m_stack.data();
        for (int i = top - 1; i >= top - n; --i) slots[i].set_undefined();
        m_stack_top = top - n;
    }
    void drop_one() {
        if (m_stack_top > 0) m_stack[--m_stack_top].set_undefined();
    }
    // Whether n more values fit in the slots the stack has, without growing it.
    bool has_room_for(int n) const { return m_stack.size() - m_stack_top >= n; }
    int get_top_index() const { return m_stack_top - 1; }
    int get_stack_size() const { return m_stack_top; }
    // Sets the number of values on the stack; slots above it are cleared.
    void set_stack_size(int size);
    // The same, also giving back the slots above it (after a run that was stopped).
    void cut_stack(int size);

    // Target.
    void set_target(as_object* target);
    as_object* get_target() const {
        return m_target_is_owner ? m_owner.get_ptr() : m_target.get_ptr();
    }
    // The target when it is a character, else null: the this of a call without a this object.
    as_object* character_target() const {
        as_object* target = get_target();
        return target && target->is_character() ? target : nullptr;
    }
    // The object that owns this environment (a clip owns its own): held weakly, so the owner and
    // its environment form no cycle; it becomes the target, and setting it as target again later
    // takes the weak link too.
    void set_owner(as_object* owner);

    // Registers: global registers 0 to 3, and the local registers of the running functions
    // (register n of the current one is the entry n places below the end).
    as_value& global_register(int n);
    as_value& get_register(int n);
    void set_register(int n, const as_value& value);
    // Reserves count local registers for a function; release lowers them again.
    void add_local_registers(int count);
    void drop_local_registers(int count);
    int get_local_register_count() const { return m_local_register_count; }

    // Local variables.
    // The newest local of that name, searched down to the current frame's barrier or, ignoring
    // barriers, through every frame; -1 when there is none. Names compare as bx_string's ==
    // does (same length, then the bytes up to the NUL), inline: every read of a name inside a
    // function looks here first.
    int find_local(const bx_string& name, bool ignore_barrier) const {
        const int size = name.size();
        const char* text = name.c_str();
        for (int i = m_local_frame_count - 1; i >= 0; --i) {
            const bx_string& slot_name = m_local_frames[i].name;
            const int slot_size = slot_name.size();
            if (slot_size == 0) {
                if (!ignore_barrier) return -1;
                continue;
            }
            if (slot_size != size) continue;
            const char* a = slot_name.c_str();
            const char* b = text;
            while (*a == *b) {
                if (*a == 0) return i;
                ++a;
                ++b;
            }
        }
        return -1;
    }
    void set_local(const bx_string& name, const as_value& value);
    void declare_local(const bx_string& name);
    // A slot above the count keeps its name: a call that adds the same locals as the last one
    // finds their names already there.
    // A long name raises long_names: the cuts of the frames then look for it.
    static void name_slot(frame_slot& slot, const bx_string& name, bool& long_names) {
        if (!slot.name.same_inline_bytes(name)) [[unlikely]] {
            slot.name = name;
            if (slot.name.capacity() > max_kept_local_name) long_names = true;
        }
    }
    // Inline into a slot the frames already have: every script call adds its arguments.
    void add_local(const bx_string& name, const as_value& value) {
        if (m_local_frame_count < m_local_frames.size()) {
            frame_slot& slot = m_local_frames[m_local_frame_count];
            name_slot(slot, name, m_long_local_names);
            slot.value = value;
            ++m_local_frame_count;
            return;
        }
        add_local_grown(name, value);
    }
    // The same, taking the value over: a call's own values (its this object) need no copy.
    void add_local(const bx_string& name, as_value&& value) {
        if (m_local_frame_count < m_local_frames.size()) {
            frame_slot& slot = m_local_frames[m_local_frame_count];
            name_slot(slot, name, m_long_local_names);
            slot.value = static_cast<as_value&&>(value);
            ++m_local_frame_count;
            return;
        }
        add_local_grown(name, static_cast<as_value&&>(value));
    }
    // The same for an object value, set in place: a call's this object.
    void add_local_object(const bx_string& name, as_object* object) {
        if (m_local_frame_count < m_local_frames.size()) {
            frame_slot& slot = m_local_frames[m_local_frame_count];
            name_slot(slot, name, m_long_local_names);
            slot.value.become_object(object);
            ++m_local_frame_count;
            return;
        }
        add_local_grown(name, as_value(object));
    }
    void add_frame_barrier() {
        if (m_local_frame_count < m_local_frames.size()) {
            // A slot above the count holds undefined and may keep its old name: the barrier's
            // name is empty.
            m_local_frames[m_local_frame_count].name.clear();
            ++m_local_frame_count;
            return;
        }
        add_local(bx_string(), as_value());
    }
    int get_local_frame_top() const { return m_local_frame_count; }
    // Cuts the frames to size locals. Inline: every script call ends with it. The slots above
    // keep their names, which every later use overwrites, and release their values, from the
    // lowest up.
    void set_local_frame_top(int size) {
        if (size < 0) size = 0;
        // Read once: a release frees objects, never frames.
        const int count = m_local_frame_count;
        frame_slot* slots = m_local_frames.data();
        for (int i = size; i < count; ++i) slots[i].value.set_undefined_releasing_object();
        // A long name is not kept for reuse: it would hold text no account sees. Only an
        // environment that was given one looks (every script call ends here).
        if (m_long_local_names) [[unlikely]] forget_long_local_names(size, count);
        if (size < count) m_local_frame_count = size;
    }
    const frame_slot& get_local(int index) const { return m_local_frames[index]; }

    // Variables.
    // Most names are plain, with no path to split: those go straight to the raw lookup.
    as_value get_variable(const bx_string& var_path, const array<with_scope>& with_stack) const {
        if (!var_path.has_path_separator()) return get_variable_raw(var_path, with_stack);
        return get_variable_by_path(var_path, with_stack);
    }
    // The same into *out, as get_variable_raw below.
    void get_variable(const bx_string& var_path, const array<with_scope>& with_stack,
                      as_value* out) const {
        if (!var_path.has_path_separator()) return get_variable_raw(var_path, with_stack, out);
        *out = get_variable_by_path(var_path, with_stack);
    }
    as_value get_variable(const bx_string& var_path) const;
    as_value get_variable_raw(const bx_string& name, const array<with_scope>& with_stack) const;
    // The same into *out, which starts undefined and lies outside the stack (a getter may grow
    // the stack): the result is written once instead of passed back by value.
    void get_variable_raw(const bx_string& name, const array<with_scope>& with_stack,
                          as_value* out) const;
    void set_variable(const bx_string& var_path, const as_value& value,
                      const array<with_scope>& with_stack);
    void set_variable(const bx_string& var_path, const as_value& value);
    void set_variable_raw(const bx_string& name, const as_value& value,
                          const array<with_scope>& with_stack);
    // Splits "path:var" or "path.var"; false when there is neither.
    static bool parse_path(const bx_string& var_path, bx_string* path, bx_string* var);
    // Resolves a path from the target, then from the global object.
    as_object* find_target(const as_value& path) const;

    // Movie loading (as_environment_loading.cpp). File types of load urls.
    enum file_type { FILE_NONE = 0, FILE_SWF = 1, FILE_JPG = 2, FILE_3DS = 3 };
    // The file type of a url: 1 ".swf", 2 ".jpg", 3 ".3ds", else 0.
    static int get_file_type(const char* url);
    // Loads a movie or image into the target named by target_path; an empty url unloads it.
    void load_file(const char* url, const as_value& target_path);

    // The scope stack of the ActionScript 3 interpreter, which the environment carries
    // (as_environment_scopes.h).
    as3_scope_stack& scopes() { return m_scope_stack; }
    void push_scope(const as_value& value) { m_scope_stack.push(value); }
    as_value pop_scope() { return m_scope_stack.pop(); }
    int get_scope_size() const { return m_scope_stack.size(); }
    // Outside the stack a fresh undefined value.
    as_value& get_scope(int index_from_bottom) {
        as_value* scope = m_scope_stack.at(index_from_bottom);
        return scope ? *scope : scratch();
    }
    bool find_scope_member(const bx_stringi& name, as_value* out) const {
        return m_scope_stack.find_member(name, out);
    }
    bool find_scope_owner(const bx_stringi& name, as_value* owner) const {
        return m_scope_stack.find_owner(name, owner);
    }

    // The garbage pass (as_environment_garbage.cpp): drops the environment's references to
    // this_ptr (part of cutting a garbage cycle).
    void clear_refs(hash<as_object*, bool>* visited, as_object* this_ptr);
    // Marks the objects its stack, registers and local variables hold.
    void mark_values();

private:
    friend class start_target_hold;
    // The running executions' start targets, before the target changes.
    void take_target_holds();

    as_value& scratch() const;
    // add_local that needs a new slot at the end of the frames.
    void add_local_grown(const bx_string& name, const as_value& value);
    void add_local_grown(const bx_string& name, as_value&& value);
    // Clears the long names of the slots from first up to end; with every frame cut none is
    // left.
    void forget_long_local_names(int first, int end);
    // Charges a new local slot to the running movie's account; false when it refuses.
    bool charge_local_slot(const bx_string& name);
    // The end of a plain name's lookup, after the with blocks, locals and target: "this",
    // "_root", "_level0", "_global", then the global object.
    void get_standard_or_global(const bx_stringi& key, as_object* target, as_value* out) const;
    as_value get_variable_by_path(const bx_string& var_path,
                                  const array<with_scope>& with_stack) const;
    // Pushes that need a new slot at the end of the stack.
    // Whether the stack may take one more value; past the limit the running scripts end.
    bool stack_may_grow();
    void push_grown(const as_value& value);
    void push_grown(as_value&& value);

    array<as_value> m_stack;
    int m_stack_top = 0;
    as_value m_global_register[4];
    // The local registers and frames grow and shrink with every script call: like the value
    // stack, they keep their slots (cleared) above the count in use instead of reallocating.
    array<as_value> m_local_register;
    int m_local_register_count = 0;
    smart_ptr<as_object> m_target;
    weak_ptr<as_object> m_owner;
    bool m_target_is_owner = false;
    // The innermost execution whose start target is not taken yet; the ones outside it follow.
    start_target_hold* m_target_holds = nullptr;
    array<frame_slot> m_local_frames;
    // The account the local slots were charged to (their slots stay until the environment goes),
    // and what they were charged.
    smart_ptr<script_account> m_locals_account;
    int64_t m_locals_charged = 0;
    int m_local_frame_count = 0;
    // Some slot may hold a name longer than max_kept_local_name.
    bool m_long_local_names = false;
    weak_ptr<engine_instance> m_player;
    as3_scope_stack m_scope_stack;
    mutable as_value m_scratch;
};

// Inline: every execution makes one.
inline start_target_hold::start_target_hold(as_environment* env)
    : m_env(env), m_outer(env->m_target_holds) {
    m_on_character = env->character_target() != nullptr;
    env->m_target_holds = this;
}

inline start_target_hold::~start_target_hold() {
    if (m_env->m_target_holds == this) m_env->m_target_holds = m_outer;
}

inline as_object* start_target_hold::get() const {
    if (m_taken) return m_taken_target.get_ptr();
    // The target has not changed since the start: the environment's is the start target.
    return m_on_character ? m_env->get_target() : nullptr;
}

}  // namespace flash
