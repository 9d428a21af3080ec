// The fuzz entry: arbitrary bytes read as an action buffer and executed against a player with a
// root movie, under an instruction budget. The gtest below runs it over a corpus it builds.
#include <cstddef>
#include <cstdint>

#include "flash/base/log.h"
#include "flash/base/smart_ptr.h"
#include "flash/movie/player.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/character.h"
#include "flash/runtime/interpreter.h"

namespace {

void quiet_log(bool, const char*) {}

}  // namespace

extern "C" int interp_fuzz_one_input(const uint8_t* data, size_t size) {
    const flash::log_callback previous = flash::get_log_callback();
    flash::register_log_callback(quiet_log);
    {
        flash::smart_ptr<flash::player> owner(new flash::player);
        flash::smart_ptr<flash::as_object> movie(new flash::character(owner.get_ptr()));
        owner->set_root_movie(movie.get_ptr());
        flash::as_environment env(owner.get_ptr());
        env.set_target(movie.get_ptr());
        flash::action_buffer buffer;
        const int length = size > 0x100000 ? 0x100000 : static_cast<int>(size);
        buffer.read(data, length);
        flash::set_action_budget(20000);
        buffer.execute(&env);
        // Run it twice: constant pools and functions defined by the first run are reused.
        buffer.execute(&env);
        flash::set_action_budget(-1);
        env.set_stack_size(0);
        env.set_target(nullptr);
        owner->clear_heap();
    }
    flash::register_log_callback(previous);
    return 0;
}

#ifdef INTERP_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return interp_fuzz_one_input(data, size);
}
#endif
