#pragma once
// An engine whose root movie is a plain character, with an environment targeting it: the least a
// run of action bytes needs. The runtime's own tests and fuzz entry run it on the stub engine
// (no movie library); the interpreter benches on the player they measure.
#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/character.h"

namespace interptest {

// Engine: an engine instance with set_root_movie and clear_heap (the player, the stub engine).
template <class Engine>
class bare_machine {
public:
    bare_machine()
        : m_owner(new Engine), m_movie(new flash::character(m_owner.get_ptr())), env(m_owner.get_ptr()) {
        m_owner->set_root_movie(m_movie.get_ptr());
        env.set_target(m_movie.get_ptr());
    }
    ~bare_machine() {
        env.set_stack_size(0);
        env.set_target(nullptr);
        m_owner->clear_heap();
    }
    bare_machine(const bare_machine&) = delete;
    bare_machine& operator=(const bare_machine&) = delete;

private:
    flash::smart_ptr<Engine> m_owner;
    flash::smart_ptr<flash::as_object> m_movie;

public:
    flash::as_environment env;
};

}  // namespace interptest
