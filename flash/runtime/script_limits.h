#pragma once
// Bounds on what scripts may do in one host call and hold per movie, so that a movie that loops
// for ever, grows its stack without end, walks an endless prototype chain or allocates without
// end costs one ERROR and the rest of its run, never the game:
// - a host call (a root's advance, a key event, a method the host calls) runs a counted number
//   of actions: every execution and script call pays for the bytes of its body and every loop
//   turn for the bytes it goes back over, so the count never falls below the actions run and
//   costs nothing between branches;
// - the value stack holds a bounded number of values;
// - a prototype chain is followed at most max_prototype_chain levels;
// - the objects, members, local variables, watches and texts one movie's scripts hold are
//   counted against its account.
// Past any of them the run ends with one ERROR naming the movie and the run; executions that
// start later in the same host call do not run. The next host call starts afresh.
#include <cstdint>

#include "flash/base/bx_string.h"
#include "flash/base/ref_counted.h"
#include "flash/base/smart_ptr.h"

namespace flash {

class as_environment;

// The shipped limits (the README documents them).
// Actions per host call: in the order of Flash Player's 15 seconds of script time, far above
// what any menu runs in one frame.
constexpr int64_t max_actions_per_host_call = int64_t{1} << 32;
// Values on one environment's stack.
constexpr int max_stack_values = 1 << 18;
// Levels of any prototype-chain walk.
constexpr int max_prototype_chain = 256;
// Bytes of objects and members one movie's scripts may hold, as counted by script_account.
constexpr int64_t max_script_bytes_per_movie = int64_t{32} << 20;

// What the account counts for one object and for one member (about what they take, their
// tables' spare room and growth included); a member adds its name's bytes and a string's.
constexpr int64_t script_object_bytes = 256;
constexpr int64_t script_member_bytes = 128;

// The objects and members one movie's scripts hold. Objects made while a run scope of the
// account is open are charged to it, and credit it back when they go. While the outermost such
// scope is open, the texts its host call builds and holds count with them: every heap text
// that grows on the thread asks first, and pays one action a byte.
class script_account : public ref_counted {
public:
    explicit script_account(const bx_string& movie_name) : m_movie_name(movie_name) {}

    const bx_string& get_movie_name() const { return m_movie_name; }
    void set_movie_name(const bx_string& name) { m_movie_name = name; }
    int64_t get_used() const { return m_used; }

    // Adds bytes; past the limit the growth is refused (false, nothing added) and, the first
    // time, the running scripts stop with one ERROR. charge_always adds in any case (an object
    // already made), with the same ERROR and stop past the limit.
    bool charge(int64_t bytes);
    void charge_always(int64_t bytes);
    void credit(int64_t bytes);
    // Ends a refusal once the usage is well below the limit again (the next one is told again).
    void end_refusal_below_limit();
    // Growth was refused: the running scripts stop, with one ERROR while the refusal lasts.
    void refuse();

private:

    bx_string m_movie_name;
    int64_t m_used = 0;
    bool m_refusing = false;  // the limit was reached: logged once until usage falls well below it
};

namespace detail {
// Action units left in this host call; below zero: used up, or the scripts were stopped.
extern constinit thread_local int64_t t_actions_left;
// The account new objects are charged to; null outside a run scope that has one.
extern constinit thread_local script_account* t_account;
// The outermost running environment, which names the run in the ERRORs; null between runs.
extern constinit thread_local as_environment* t_run_env;
// Out of line: the outermost execution starts (a fresh count without a run scope); false when
// this host call's scripts were stopped.
bool start_outermost(as_environment* env, int64_t bytes);
// The count is used up: one ERROR (the first time) and the scripts stop; false.
bool actions_used_up(as_environment* env);
}  // namespace detail

// One host call: the scripts run inside it share one action count, and the objects they make
// are charged to account (null: none). Scopes nest; only the outermost starts the count.
// Without a scope each outermost execution counts for itself.
class script_run_scope {
public:
    explicit script_run_scope(script_account* account);
    ~script_run_scope();
    script_run_scope(const script_run_scope&) = delete;
    script_run_scope& operator=(const script_run_scope&) = delete;

private:
    smart_ptr<script_account> m_account;  // held: a handler may drop the movie while it runs
    script_account* m_previous_account;
};

// Charges an execution or script call for the bytes of its body; outermost: it is the
// outermost one running (nesting level 1), which must call leave_outermost_run when it ends.
// False when it must not run. Inline: every script call pays.
[[gnu::always_inline]] inline bool enter_script_run(as_environment* env, bool outermost,
                                                    int64_t bytes) {
    if (outermost) [[unlikely]] return detail::start_outermost(env, bytes);
    detail::t_actions_left -= bytes;
    if (detail::t_actions_left >= 0) [[likely]] return true;
    return detail::actions_used_up(env);
}
inline void leave_outermost_run() { detail::t_run_env = nullptr; }

// A jump by offset bytes from the end of its record: a jump back pays for the bytes it goes
// back over, a jump forward gets back those it skips (the body's bytes were paid on entry), so
// what stays charged is the bytes of the records run. False when the run must end.
[[gnu::always_inline]] inline bool charge_jump(as_environment* env, int offset) {
    detail::t_actions_left += offset;
    if (detail::t_actions_left >= 0) [[likely]] return true;
    return detail::actions_used_up(env);
}

// Charges count actions (the ActionScript 3 interpreter pays one per instruction); false when the
// run must end.
[[gnu::always_inline]] inline bool charge_actions(as_environment* env, int64_t count) {
    detail::t_actions_left -= count;
    if (detail::t_actions_left >= 0) [[likely]] return true;
    return detail::actions_used_up(env);
}

// The account objects made now are charged to; null when none.
inline script_account* current_script_account() { return detail::t_account; }

// Whether this host call's scripts were stopped (every later execution is refused).
inline bool script_run_stopped() { return detail::t_actions_left < 0; }

// Ends this host call's scripts with one ERROR naming the movie, the run (that of env, else
// the outermost one) and problem (such as "grew its stack past 1048576 values"); once stopped,
// later calls in the same host call log nothing more.
void stop_script_run(as_environment* env, const char* problem);

// The movie the running scripts belong to (that of the innermost run scope), "" when none.
const char* running_movie_name();

// Test facility: lowers (or raises) the limits; reset_script_limits gives back the shipped
// ones. The count of the host call that is open, if any, is not changed.
void set_script_limits(int64_t actions, int stack_values, int64_t bytes_per_movie);
void reset_script_limits();
int64_t get_action_limit();
int get_stack_limit();
int64_t get_script_bytes_limit();

}  // namespace flash
