#pragma once
// Helpers of the ActionScript 3 tests: an engine (the stub: no movie library) with a block read from assembled bytes, the run of
// its entry script, a program builder whose code traces values, and the movie that carries it.
#include <string>

#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/avm2/abc_def.h"
#include "flash/runtime/avm2/as_3_function.h"
#include "tests/support/engine_log.h"
#include "tests/support/stub_engine.h"
#include "tools/swfwriter/abc.h"
#include "tools/swfwriter/movie_writer.h"

namespace avm2test {

// An engine, the captured log and one block. The ActionScript 3 tests run it on the stub engine;
// the player's own tests on the player.
template <class Engine>
struct engine_machine {
    testsupport::engine_log log;
    flash::smart_ptr<Engine> owner{new Engine};
    flash::smart_ptr<flash::abc_def> abc{new flash::abc_def};

    ~engine_machine() {
        abc = nullptr;
        owner->clear_heap();
        owner = nullptr;
    }

    [[nodiscard]] bool read(const swf::Bytes& bytes) {
        return abc->read(bytes.data(), static_cast<int>(bytes.size()), owner.get_ptr());
    }
    // Calls the last script's initialiser with this (the global object when null) in env, or
    // in a fresh environment.
    flash::as_value run_entry(flash::as_object* this_object = nullptr, flash::as_environment* env = nullptr) {
        flash::as_3_function* entry = abc->get_class_constructor("");
        if (!entry) return flash::as_value();
        flash::as_environment fresh(owner.get_ptr());
        flash::as_environment* use = env ? env : &fresh;
        flash::as_object* self = this_object ? this_object : owner->get_global();
        return flash::call_method(flash::as_value(entry), use, flash::as_value(self), 0, use->get_top_index());
    }
};
using machine = engine_machine<testsupport::stub_engine>;

// An entry script under construction: its code starts by pushing this as the first scope.
struct program {
    swf::Abc abc;
    swf::Code code;

    program() { code.op(swf::op::getlocal_0).op(swf::op::pushscope); }

    uint32_t name(const std::string& text) { return abc.qname(text); }
    program& str(const std::string& text) {
        code.op_u30(swf::op::pushstring, abc.string(text));
        return *this;
    }
    program& byte(int8_t v) {
        code.op(swf::op::pushbyte).u8(static_cast<uint8_t>(v));
        return *this;
    }
    program& integer(int32_t v) {
        code.op_u30(swf::op::pushint, abc.integer(v));
        return *this;
    }
    // trace(...) around the code that pushes its argument.
    program& begin_trace() {
        code.op_u30(swf::op::findpropstrict, name("trace"));
        return *this;
    }
    program& end_trace() {
        code.op_u30_u30(swf::op::callpropvoid, name("trace"), 1);
        return *this;
    }
    program& trace_text(const std::string& text) { return begin_trace().str(text).end_trace(); }

    // The block with the code (and returnvoid) as its last script's initialiser.
    swf::Bytes finish(uint32_t local_count = 8) {
        code.op(swf::op::returnvoid);
        abc.script(abc.method_with_body(code, local_count));
        return abc.finish();
    }
};

// An ActionScript 3 movie: FileAttributes with the AS3 flag, the block in a DoABC tag, a frame.
inline swf::Bytes as3_movie(const swf::Bytes& abc_block) {
    swf::MovieWriter m(9);
    m.file_attributes(0x08);
    m.do_abc(1, "main", abc_block);
    m.show_frame();
    m.end();
    return m.finish_fws();
}

}  // namespace avm2test
