#pragma once
// Runs assembled action bytes against an engine whose root movie is a recording test character,
// and collects the trace output and the error log.
#include <map>
#include <string>
#include <vector>

#include "action_assembler.h"
#include "tests/support/engine_log.h"
#include "flash/base/log.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/character.h"
#include "flash/runtime/interpreter.h"
#include "test_character.h"
#include "tests/support/stub_engine.h"

namespace interptest {

using recording_character = testsupport::test_character;

// One engine (the stub: no movie library) with a root movie (a sprite) named "root" in the global sense, and a child sprite
// "clip" under it, both recording into the journal.
class machine {
public:
    machine() : m_engine(new testsupport::stub_engine), env(m_engine.get_ptr()) {
        root = new recording_character(m_engine.get_ptr(), true, &journal);
        m_root_ref = root;
        clip = new recording_character(m_engine.get_ptr(), true, &journal);
        clip->parent = root;
        root->get_members().set("clip", flash::as_value(clip));
        m_engine->set_root_movie(root);
        env.set_target(root);
        root->call_env = &env;
        clip->call_env = &env;
    }
    ~machine() {
        env.set_stack_size(0);
        env.set_target(nullptr);
    }

    // Runs the bytes as frame actions; returns the trace output.
    std::string run(testasm::assembler a) { return run(a.take()); }
    std::string run(const testasm::bytes& code) {
        messages().clear();
        buffer = flash::action_buffer();
        buffer.read(code.data(), static_cast<int>(code.size()));
        buffer.execute(&env);
        return messages();
    }

    testsupport::stub_engine* get_engine() { return m_engine.get_ptr(); }
    static std::string& messages() { return testsupport::engine_log::messages(); }
    static std::string& errors() { return testsupport::engine_log::errors(); }
    bool error_has(const std::string& part) const {
        return errors().find(part) != std::string::npos;
    }

    std::vector<std::string> journal;
    recording_character* root;
    recording_character* clip;
    flash::action_buffer buffer;

private:
    // First member, so the engine's log is collected from the engine's construction on.
    testsupport::engine_log m_log;
    flash::smart_ptr<testsupport::stub_engine> m_engine;
    flash::smart_ptr<flash::as_object> m_root_ref;

public:
    flash::as_environment env;
};

}  // namespace interptest
