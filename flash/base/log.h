#pragma once
// The engine log: printf-style messages handed to one replaceable callback, with an error flag
// for the error channel, and the engine-wide verbose flags that gate the engine's detail lines.
// Any thread may log at the same time: each call formats into its own buffer.
#include <atomic>

namespace flash {

// Receives one formatted message; is_error is set for log_error.
typedef void (*log_callback)(bool is_error, const char* text);

// Replaces the callback; null silences the log. At start a callback is installed that writes
// messages to standard output and errors to standard error.
void register_log_callback(log_callback callback);
log_callback get_log_callback();

// The output of the scripts' trace, kept apart from the engine's own lines for hosts that want it
// (the headless runner prints only traces on standard output). Without a trace callback a trace
// line goes to the log callback as a plain message, as every other line does.
typedef void (*trace_callback)(const char* text);
void register_trace_callback(trace_callback callback);
// One trace line: the text and a newline, cut as log_msg cuts.
void log_trace(const char* text);

// Formats at most 499 characters (longer output is cut) and hands them to the callback.
// Nothing is formatted while no callback is registered.
void log_msg(const char* format, ...) __attribute__((format(printf, 1, 2)));
void log_error(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The size of the per-message buffer, terminating NUL included.
constexpr int log_buffer_size = 500;

// Engine-wide verbose flags, all false at start. The player's instance methods set the same flags.
void set_verbose_action(bool on);
void set_verbose_parse(bool on);
// Inline: the interpreter asks before every detail line of every action.
extern std::atomic<bool> g_verbose_action;
inline bool get_verbose_action() { return g_verbose_action.load(std::memory_order_relaxed); }
bool get_verbose_parse();
// Only read by the engine; nothing sets it, so it stays false.
bool get_verbose_debug();

}  // namespace flash
