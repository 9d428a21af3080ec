#pragma once
// Helpers of the runtime tests: calls of native functions with arguments and capture of the
// engine log.
#include <initializer_list>
#include <string>

#include "flash/base/log.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_value.h"

namespace testsupport {

// Calls f with this_value and the arguments in order (argument 0 on top of the stack).
inline flash::as_value call_native(flash::engine_instance* p, flash::as_c_function_ptr f,
                                   const flash::as_value& this_value,
                                   std::initializer_list<flash::as_value> args = {}) {
    flash::as_environment env(p);
    for (auto it = args.end(); it != args.begin();) env.push(*--it);
    flash::as_value result;
    flash::fn_call fn(&result, this_value.to_object(), &env, static_cast<int>(args.size()),
                      env.get_top_index(), &this_value);
    f(fn);
    return result;
}

// Collects the engine log while it lives.
class log_capture {
public:
    log_capture() : m_previous(flash::get_log_callback()) {
        text().clear();
        flash::register_log_callback(&log_capture::collect);
    }
    ~log_capture() { flash::register_log_callback(m_previous); }
    static std::string& text() {
        static std::string captured;
        return captured;
    }
    bool contains(const std::string& part) const { return text().find(part) != std::string::npos; }

private:
    static void collect(bool, const char* message) { text() += message; }
    flash::log_callback m_previous;
};

}  // namespace testsupport
