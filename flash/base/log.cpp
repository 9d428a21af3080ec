#include "flash/base/log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace flash {

namespace {

void default_log_callback(bool is_error, const char* text) {
    std::fputs(text, is_error ? stderr : stdout);
}

std::atomic<log_callback> g_callback{&default_log_callback};
std::atomic<bool> g_verbose_parse{false};
std::atomic<trace_callback> g_trace_callback{nullptr};

void log_formatted(bool is_error, const char* format, va_list args) {
    const log_callback callback = g_callback.load(std::memory_order_acquire);
    if (!callback || !format) return;
    char buffer[log_buffer_size];
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (written < 0) buffer[0] = 0;
    callback(is_error, buffer);
}

}  // namespace

void register_log_callback(log_callback callback) {
    g_callback.store(callback, std::memory_order_release);
}

log_callback get_log_callback() { return g_callback.load(std::memory_order_acquire); }

void log_msg(const char* format, ...) {
    va_list args;
    va_start(args, format);
    log_formatted(false, format, args);
    va_end(args);
}

void log_error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    log_formatted(true, format, args);
    va_end(args);
}

void register_trace_callback(trace_callback callback) {
    g_trace_callback.store(callback, std::memory_order_release);
}

void log_trace(const char* text) {
    const trace_callback trace = g_trace_callback.load(std::memory_order_acquire);
    if (!trace) {
        log_msg("%s\n", text);
        return;
    }
    char buffer[log_buffer_size];
    std::snprintf(buffer, sizeof buffer, "%s\n", text);
    trace(buffer);
}

std::atomic<bool> g_verbose_action{false};

void set_verbose_action(bool on) { g_verbose_action.store(on, std::memory_order_relaxed); }
void set_verbose_parse(bool on) { g_verbose_parse.store(on, std::memory_order_relaxed); }
bool get_verbose_parse() { return g_verbose_parse.load(std::memory_order_relaxed); }
bool get_verbose_debug() { return false; }

}  // namespace flash
