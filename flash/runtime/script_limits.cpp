#include "flash/runtime/script_limits.h"

#include "flash/base/log.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_object.h"

namespace flash {

namespace {

// Stopped scripts keep their count this far below zero: later charges never wrap it.
constexpr int64_t stopped_count = INT64_MIN / 2;
// A refusing account logs again only once its usage fell this far below the limit.
constexpr int64_t refusal_ends_share = 4;  // a quarter below

int64_t g_action_limit = max_actions_per_host_call;
int g_stack_limit = max_stack_values;
int64_t g_bytes_limit = max_script_bytes_per_movie;

constinit thread_local int t_host_calls = 0;
// The heap text bytes of this thread when the outermost scope with an account opened: what
// the thread holds beyond them are texts this host call built and still holds.
constinit thread_local int64_t t_text_base = 0;
// Set while a refusal is told: its own message may grow texts.
constinit thread_local bool t_telling = false;
// Whether this host call's scripts were stopped with their ERROR.
constinit thread_local bool t_stop_logged = false;

void start_count() {
    detail::t_actions_left = g_action_limit;
    t_stop_logged = false;
}

// The run's name: the target path of its environment's target.
bx_string run_name(as_environment* env) {
    as_object* target = env ? env->get_target() : nullptr;
    if (!target) return "(no target)";
    as_value path;
    if (target->is_character() && target->get_member("_target", &path)) return path.to_bx_string();
    return "(an object)";
}

// While it lives, texts grow unguarded: telling of a refusal makes texts of its own.
struct telling {
    telling() : was(t_telling) { t_telling = true; }
    ~telling() { t_telling = was; }
    telling(const telling&) = delete;
    telling& operator=(const telling&) = delete;
    bool was;
};

void stop(as_environment* env, const char* problem, bool log) {
    const telling unguarded;
    // Outside any run and host call there is nothing to stop: each refusal is logged.
    const bool running = t_host_calls > 0 || detail::t_run_env;
    if (running) {
        detail::t_actions_left = stopped_count;
        if (!log || t_stop_logged) return;
        t_stop_logged = true;
    } else if (!log) {
        return;
    }
    const char* movie = running_movie_name();
    log_error("error: movie '%s': the script run of '%s' %s; it ends\n", *movie ? movie : "(unnamed)",
              run_name(env ? env : detail::t_run_env).c_str(), problem);
}

// The texts a host call builds: each byte a text takes pays one action, and what the host call
// holds beyond what it found counts with the account's objects and members (a text kept in a
// member counts there too until the host call ends).
bool guard_text_growth(int64_t bytes) {
    script_account* account = detail::t_account;
    if (!account || t_telling) return true;
    detail::t_actions_left -= bytes;
    const telling unguarded;
    if (detail::t_actions_left < 0 && !detail::actions_used_up(detail::t_run_env)) return false;
    int64_t held = bx_string::heap_bytes_on_thread() - t_text_base;
    if (held < 0) held = 0;
    if (account->get_used() + held + bytes <= g_bytes_limit) return true;
    account->refuse();
    return false;
}

}  // namespace

namespace detail {
constinit thread_local int64_t t_actions_left = max_actions_per_host_call;
constinit thread_local script_account* t_account = nullptr;
constinit thread_local as_environment* t_run_env = nullptr;

bool start_outermost(as_environment* env, int64_t bytes) {
    if (t_host_calls == 0) {
        start_count();
    } else if (t_actions_left < 0) {
        return false;
    }
    t_run_env = env;
    t_actions_left -= bytes;
    return t_actions_left >= 0 || actions_used_up(env);
}

bool actions_used_up(as_environment* env) {
    // Stopped before: nothing more to say.
    if (t_actions_left < stopped_count / 2) return false;
    const telling unguarded;
    const bx_string problem = bx_string::format("ran past %lld actions in one host call",
                                                static_cast<long long>(g_action_limit));
    stop(env, problem.c_str(), true);
    return false;
}
}  // namespace detail

bool script_account::charge(int64_t bytes) {
    if (m_used + bytes > g_bytes_limit) {
        refuse();
        return false;
    }
    m_used += bytes;
    return true;
}

void script_account::charge_always(int64_t bytes) {
    m_used += bytes;
    if (m_used > g_bytes_limit) refuse();
}

void script_account::credit(int64_t bytes) {
    m_used -= bytes;
    end_refusal_below_limit();
}

void script_account::end_refusal_below_limit() {
    if (m_refusing && m_used < g_bytes_limit - g_bytes_limit / refusal_ends_share) m_refusing = false;
}

void script_account::refuse() {
    const telling unguarded;
    const bool first = !m_refusing;
    m_refusing = true;
    const bx_string problem = bx_string::format(
        "made the movie's scripts hold more than %lld bytes (they may grow no further)",
        static_cast<long long>(g_bytes_limit));
    stop(nullptr, problem.c_str(), first);
}

script_run_scope::script_run_scope(script_account* account)
    : m_account(account), m_previous_account(detail::t_account) {
    if (account) {
        if (!m_previous_account) {
            t_text_base = bx_string::heap_bytes_on_thread();
            bx_string::set_growth_guard(guard_text_growth);
        }
        // Texts held by the last host call are gone: a refusal they made is over.
        account->end_refusal_below_limit();
        detail::t_account = account;
    }
    if (t_host_calls++ == 0) start_count();
}

script_run_scope::~script_run_scope() {
    --t_host_calls;
    detail::t_account = m_previous_account;
    if (!m_previous_account) bx_string::set_growth_guard(nullptr);
}

void stop_script_run(as_environment* env, const char* problem) { stop(env, problem, true); }

const char* running_movie_name() {
    return detail::t_account ? detail::t_account->get_movie_name().c_str() : "";
}

void set_script_limits(int64_t actions, int stack_values, int64_t bytes_per_movie) {
    g_action_limit = actions;
    g_stack_limit = stack_values;
    g_bytes_limit = bytes_per_movie;
}

void reset_script_limits() {
    set_script_limits(max_actions_per_host_call, max_stack_values, max_script_bytes_per_movie);
}

int64_t get_action_limit() { return g_action_limit; }
int get_stack_limit() { return g_stack_limit; }
int64_t get_script_bytes_limit() { return g_bytes_limit; }

}  // namespace flash
