#pragma once
// Shared state of the ActionScript 1/2 interpreter and script-function calls: the nesting bound
// of executions, the running DefineFunction2 body's register count, the fscommand callback, the
// instruction budget of test runs and the plain way of running programs that checks the
// prepared one.
#include <cstdint>

namespace flash {

class action_buffer;
class as_environment;
class as_object;
class as_value;
struct with_scope;
template <class T>
class array;

namespace detail {
// The counters behind nesting_level and local_register_frame, reached inline: every script call
// sets both.
extern constinit thread_local int t_action_nesting;
extern constinit thread_local int t_local_registers;
// Records left to run on this thread; negative: no limit.
extern constinit thread_local int64_t t_budget;
// What every execution on this thread checks between its actions: the budget bit (a budget is
// set) and one plain_actions_bit per plain_actions scope alive. 0: nothing, and the loop without
// checks may run.
extern constinit thread_local int t_run_checks;
constexpr int budget_check_bit = 1;
constexpr int plain_actions_bit = 2;
void log_nested_too_deep();
}  // namespace detail

// Script calls (functions, getters and setters, watches, __resolve, Call of frame actions, all of
// which run action code) may nest this deep below the actions that start them: scripts are
// written for a player that allows 256 levels. Value conversions that nest (an array's text holds
// its elements' texts) count on the same bound. One level more logs and yields undefined.
constexpr int max_action_nesting = 256;

// One level of nested script work on this thread while it lives.
class nesting_level {
public:
    nesting_level() { ++detail::t_action_nesting; }
    ~nesting_level() { --detail::t_action_nesting; }
    nesting_level(const nesting_level&) = delete;
    nesting_level& operator=(const nesting_level&) = delete;

    // Past the bound: the work is refused with a log line. The outermost actions are level 1;
    // the calls below them may take max_action_nesting more.
    bool too_deep() const { return detail::t_action_nesting > max_action_nesting + 1; }
};

// The movie's root character, the command and its argument.
typedef void (*fscommand_callback)(as_object* root_movie, const char* command, const char* args);
void register_fscommand_callback(fscommand_callback callback);
fscommand_callback get_fscommand_callback();

// Records left to execute on this thread before every execution ends with a log line; a
// negative count is no limit (the default). For fuzzing and tests of endless loops.
void set_action_budget(int64_t records);
int64_t get_action_budget();

// While one lives on this thread, every execution runs its program one action at a time through
// each action's own handler: Push records read from their bytes, no remembered members, no action
// run together with the ones around it. The prepared program must answer the same (the
// differential check runs programs both ways).
class plain_actions {
public:
    plain_actions() { detail::t_run_checks += detail::plain_actions_bit; }
    ~plain_actions() { detail::t_run_checks -= detail::plain_actions_bit; }
    plain_actions(const plain_actions&) = delete;
    plain_actions& operator=(const plain_actions&) = delete;

    static bool active() { return detail::t_run_checks >= detail::plain_actions_bit; }
};

// While one lives, register pushes and stores of a DefineFunction2 body reach local registers
// 0 .. count - 1 (count -1: the body is not a DefineFunction2 one).
class local_register_frame {
public:
    explicit local_register_frame(int count) : m_previous(detail::t_local_registers) {
        detail::t_local_registers = count;
    }
    ~local_register_frame() { detail::t_local_registers = m_previous; }
    local_register_frame(const local_register_frame&) = delete;
    local_register_frame& operator=(const local_register_frame&) = delete;

    static int current() { return detail::t_local_registers; }

private:
    int m_previous;
};

}  // namespace flash
