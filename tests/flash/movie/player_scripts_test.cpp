// What the player adds to scripts run on it: its garbage pass cuts literal cycles nothing
// reaches (ActionScript 1 and 3), and the extension modules go with the last player.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "flash/base/bx_loadlib.h"
#include "flash/movie/player.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/character.h"
#include "flash/runtime/extension_loader.h"
#include "tests/flash/runtime/action_assembler.h"
#include "tests/flash/runtime/avm2/avm2_test_support.h"
#include "tests/support/engine_log.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace testasm;

// A player whose root movie is a plain character, with an environment targeting it.
struct player_machine {
    testsupport::engine_log log;
    flash::smart_ptr<flash::player> owner{new flash::player};
    flash::smart_ptr<flash::character> root{new flash::character(owner.get_ptr())};
    flash::as_environment env{owner.get_ptr()};

    player_machine() {
        owner->set_root_movie(root.get_ptr());
        env.set_target(root.get_ptr());
    }
    ~player_machine() {
        env.set_stack_size(0);
        env.set_target(nullptr);
    }
    void run(const bytes& code) {
        flash::action_buffer buffer;
        buffer.read(code.data(), static_cast<int>(code.size()));
        buffer.execute(&env);
    }
};

TEST(PlayerScripts, LiteralCyclesNothingReachesAreCutByTheGarbagePass) {
    // a = []; a[0] = a; o = {}; o extends o (its new prototype names o as constructor).
    player_machine m;
    const bytes program = assembler()
                              .push({str("a"), i32(0)}).op(INIT_ARRAY).op(SET_VARIABLE)
                              .push_str("a").op(GET_VARIABLE).push_str("0").push_str("a").op(GET_VARIABLE)
                              .op(SET_MEMBER)
                              .push({str("o"), i32(0)}).op(INIT_OBJECT).op(SET_VARIABLE)
                              .push_str("o").op(GET_VARIABLE).op(PUSH_DUPLICATE).op(EXTENDS)
                              .take();
    m.run(program);
    // A frame step: everything is a candidate until the timeline (here the root) reaches it.
    auto frame_step = [&] {
        m.owner->set_as_garbage();
        m.root->this_alive();
        m.owner->clear_garbage();
    };
    auto literal = [&](const char* name) {
        flash::as_value value;
        EXPECT_TRUE(m.root->get_member(name, &value));
        return flash::weak_ptr<flash::as_object>(value.to_object());
    };
    flash::weak_ptr<flash::as_object> array = literal("a"), object = literal("o");
    frame_step();  // reached from the timeline: kept
    EXPECT_NE(array.get_ptr(), nullptr);
    EXPECT_NE(object.get_ptr(), nullptr);

    // Made again and dropped within one frame, before any step could reach them.
    m.run(program);
    array = literal("a");
    object = literal("o");
    m.root->set_member("a", flash::as_value());
    m.root->set_member("o", flash::as_value());
    frame_step();
    EXPECT_EQ(array.get_ptr(), nullptr);
    EXPECT_EQ(object.get_ptr(), nullptr);
}

// class Box { function Box() { this.v = this; } }; made = new Box();
swf::Bytes self_holding_object() {
    avm2test::program p;
    swf::Abc& a = p.abc;
    swf::Code init;
    init.op(swf::op::getlocal_0).op(swf::op::getlocal_0).op_u30(swf::op::setproperty, a.qname("v"));
    init.op(swf::op::returnvoid);
    swf::Instance inst;
    inst.name = a.qname("Box");
    inst.iinit = a.method_with_body(init);
    a.add_class(inst, {a.method_with_body(swf::Code().op(swf::op::returnvoid)), {}});
    p.code.op(swf::op::getscopeobject).u8(0).op(swf::op::pushnull).op_u30(swf::op::newclass, 0);
    p.code.op_u30(swf::op::initproperty, a.qname("Box"));
    p.code.op(swf::op::getscopeobject).u8(0).op_u30(swf::op::findpropstrict, a.qname("Box"));
    p.code.op_u30_u30(swf::op::constructprop, a.qname("Box"), 0);
    p.code.op_u30(swf::op::setproperty, a.qname("made"));
    a.script(a.method_with_body(swf::Code().op(swf::op::returnvoid)), {swf::Trait::make_class(a.qname("Box"), 0)});
    return p.finish();
}

TEST(PlayerScripts, AnActionScript3ObjectThatHoldsItselfIsFreedByTheGarbagePassAndAtThePlayersEnd) {
    // dropped: the global object lets it go before a pass; else the player ends while it holds it.
    for (bool dropped : {true, false}) {
        flash::weak_ptr<flash::as_object> made;
        {
            avm2test::engine_machine<flash::player> m;
            ASSERT_TRUE(m.read(self_holding_object())) << m.log.errors();
            m.run_entry();
            flash::as_value value;
            ASSERT_TRUE(m.owner->get_global()->get_member("made", &value)) << m.log.errors();
            made = value.to_object();
            ASSERT_NE(made.get_ptr(), nullptr);
            flash::as_value self;
            EXPECT_TRUE(made.get_ptr()->get_member("v", &self) && self.to_object() == made.get_ptr());
            value.set_undefined();
            self.set_undefined();
            // No pass has run: only the heap, where the object entered when it was made, knows it.
            if (dropped) {
                m.owner->get_global()->set_member("made", flash::as_value());
                m.owner->set_as_garbage();
                m.owner->clear_garbage();
                EXPECT_EQ(made.get_ptr(), nullptr);
            }
        }
        EXPECT_EQ(made.get_ptr(), nullptr) << dropped;
    }
}

TEST(PlayerScripts, ExtensionModulesAreReleasedWithTheLastPlayer) {
    // A name is tried once while the table keeps it: the module that appears later loads only
    // after the last player has released the table.
    testsupport::TempDir dir;
    const std::string path = (dir.path() / "Late.so").string();
    {
        flash::smart_ptr<flash::player> only(new flash::player);
        ASSERT_EQ(flash::player::get_instance_count(), 1);
        ASSERT_NE(flash::get_extension_module("Late", path.c_str()), nullptr);
        EXPECT_FALSE(flash::get_extension_module("Late", path.c_str())->is_loaded());
        std::filesystem::copy_file(INTERP_TEST_MODULE, path);
        EXPECT_FALSE(flash::get_extension_module("Late", path.c_str())->is_loaded());
    }
    EXPECT_EQ(flash::player::get_instance_count(), 0);
    EXPECT_TRUE(flash::get_extension_module("Late", path.c_str())->is_loaded());
    flash::clear_extension_modules();
}

}  // namespace
