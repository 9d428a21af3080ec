#pragma once
// Collects the Flash engine's log while it lives, messages and errors apart; safe when loader
// threads log at the same time.
#include <mutex>
#include <string>

#include "flash/base/log.h"

namespace testsupport {

class engine_log {
public:
    engine_log() : m_previous(flash::get_log_callback()) {
        std::lock_guard<std::mutex> lock(mutex());
        messages().clear();
        errors().clear();
        flash::register_log_callback(&engine_log::collect);
    }
    ~engine_log() { flash::register_log_callback(m_previous); }
    engine_log(const engine_log&) = delete;
    engine_log& operator=(const engine_log&) = delete;

    static std::string& messages() {
        static std::string text;
        return text;
    }
    static std::string& errors() {
        static std::string text;
        return text;
    }
    static bool has_message(const std::string& part) { return messages().find(part) != std::string::npos; }
    static bool has_error(const std::string& part) { return errors().find(part) != std::string::npos; }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static void collect(bool is_error, const char* text) {
        std::lock_guard<std::mutex> lock(mutex());
        (is_error ? errors() : messages()) += text;
    }
    flash::log_callback m_previous;
};

}  // namespace testsupport
