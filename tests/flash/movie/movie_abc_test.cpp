// ActionScript 3 in movie definitions: the DoABC loader keeps a block the reader accepts (the last
// one wins, a sprite's goes to its movie), refuses a bad or cut one, and symbol classes give an
// instance its class and the class's constructor.
#include <gtest/gtest.h>

#include "flash/base/log.h"
#include "flash/runtime/avm2/as_3_function.h"
#include "flash/movie/movie_root.h"
#include "flash/runtime/character.h"
#include "movie_fixture.h"
#include "tools/swfwriter/abc.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using movietest::movie_fixture;

// A block with the class Main (a slot "count", a method "run") declared by its only script.
swf::Bytes main_class_block() {
    swf::Abc a;
    const uint32_t init = a.method_with_body(swf::Code().op(swf::op::returnvoid));
    const uint32_t run = a.method_with_body(swf::Code().op(swf::op::returnvoid));
    swf::Instance inst;
    inst.name = a.qname("Main");
    inst.iinit = init;
    inst.traits = {swf::Trait::make_slot(a.qname("count")), swf::Trait::make_method(a.qname("run"), run),
                   swf::Trait::make_class(a.qname("Inner"), 0)};
    a.add_class(inst, {init, {}});
    a.script(init, {swf::Trait::make_class(a.qname("Main"), 0)});
    return a.finish();
}

TEST(MovieAbc, DoAbcKeepsTheBlockUnderItsName) {
    movie_fixture f;
    swf::MovieWriter m(9);
    m.file_attributes(0x08);
    m.do_abc(1, "first", main_class_block());
    m.do_abc(1, "frame1", main_class_block());
    m.show_frame();
    m.end();
    flash::set_verbose_parse(true);
    flash::movie_def_impl* def = f.load("as3.swf", m.finish_fws());
    flash::set_verbose_parse(false);
    ASSERT_NE(def, nullptr);
    EXPECT_TRUE(def->is_as3());
    ASSERT_NE(def->get_abc(), nullptr);
    EXPECT_STREQ(def->get_abc_name().c_str(), "frame1");
    EXPECT_NE(def->get_abc()->resolve_qualified_name("Main"), nullptr);
    EXPECT_TRUE(f.log.has_message("\n doABC tag loader, abc_name = 'first'\n"));
    EXPECT_TRUE(f.log.has_message("\n doABC tag loader, abc_name = 'frame1'\n"));
    EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
}

TEST(MovieAbc, ASpritesBlockBelongsToItsMovie) {
    movie_fixture f;
    swf::MovieWriter m(9);
    swf::SpriteWriter s = m.sprite();
    s.do_abc(0, "inner", main_class_block());
    s.show_frame();
    m.define_sprite(s);
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("s.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    ASSERT_NE(def->get_abc(), nullptr);
    EXPECT_STREQ(def->get_abc_name().c_str(), "inner");
}

TEST(MovieAbc, BadOrCutBlocksAreNotKept) {
    swf::Bytes cut = main_class_block();
    cut.resize(cut.size() / 2);
    struct row {
        const char* name;
        swf::Bytes tag_body;
        const char* error;
    };
    swf::Bytes whole_tag = {1, 0, 0, 0, 'n', 0};
    whole_tag.insert(whole_tag.end(), cut.begin(), cut.end());
    const row rows[] = {
        {"cut block", whole_tag, "the ABC block is dropped"},
        {"no name end", {1, 0, 0, 0, 'n'}, "truncated header at byte 0 of 0, the ABC block is dropped"},
        {"no flags", {1, 0}, "the tag ends before its ABC block"},
    };
    for (const row& r : rows) {
        movie_fixture f;
        swf::MovieWriter m(9);
        m.tag(swf::tag_do_abc, r.tag_body);
        m.show_frame();
        m.end();
        flash::movie_def_impl* def = f.load("bad.swf", m.finish_fws());
        ASSERT_NE(def, nullptr) << r.name;
        EXPECT_EQ(def->get_abc(), nullptr) << r.name;
        EXPECT_TRUE(f.log.has_error(r.error)) << r.name << ": " << f.log.errors();
    }
}

TEST(MovieAbc, ASymbolClassBindsItsOwnTraitsNotItsBasesOnes) {
    swf::Abc a;
    const uint32_t init = a.method_with_body(swf::Code().op(swf::op::returnvoid));
    swf::Instance base;
    base.name = a.qname("Base");
    base.iinit = init;
    base.traits = {swf::Trait::make_slot(a.qname("inherited"))};
    a.add_class(base, {init, {}});
    swf::Instance derived;
    derived.name = a.qname("Derived");
    derived.super_name = a.qname("Base");
    derived.iinit = init;
    derived.traits = {swf::Trait::make_slot(a.qname("own"))};
    a.add_class(derived, {init, {}});
    a.script(init, {swf::Trait::make_class(a.qname("Base"), 0), swf::Trait::make_class(a.qname("Derived"), 1)});
    movie_fixture f;
    swf::MovieWriter m(9);
    m.do_abc(1, "main", a.finish());
    m.symbol_class({{0, "Derived"}});
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("derived.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    flash::smart_ptr<flash::character> instance(new flash::character(f.owner.get_ptr(), nullptr, -1));
    ASSERT_NE(def->get_class_constructor(instance.get_ptr()), nullptr);
    flash::as_value v;
    EXPECT_TRUE(instance->get_members().get("own", &v));
    EXPECT_FALSE(instance->get_members().get("inherited", &v));
}

TEST(MovieAbc, SymbolClassReadsOnlyTheRecordsItsCountGives) {
    movie_fixture f;
    swf::MovieWriter m(9);
    swf::BitWriter w;
    w.u16(1);  // one record, though two follow
    w.u16(0);
    w.string("First");
    w.u16(3);
    w.string("Second");
    m.tag(swf::tag_symbol_class, w.take());
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("symbols.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    flash::bx_string name;
    ASSERT_TRUE(def->get_symbol_classes().get(0, &name));
    EXPECT_STREQ(name.c_str(), "First");
    EXPECT_FALSE(def->get_symbol_classes().get(3, &name));
}

TEST(MovieAbc, SymbolClassesGiveAnInstanceItsClass) {
    movie_fixture f;
    swf::MovieWriter m(9);
    m.do_abc(1, "main", main_class_block());
    m.symbol_class({{0, "game.Main"}, {5, "Missing"}});
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("classes.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    ASSERT_NE(def->get_abc(), nullptr);

    flash::smart_ptr<flash::character> root_movie(new flash::character(f.owner.get_ptr(), nullptr, -1));
    flash::as_3_function* ctor = def->get_class_constructor(root_movie.get_ptr());
    ASSERT_NE(ctor, nullptr);
    EXPECT_EQ(ctor, def->get_abc()->get_method(0));
    EXPECT_EQ(root_movie->get_class(), def->get_abc()->resolve_qualified_name("Main"));
    flash::as_value v;
    ASSERT_TRUE(root_movie->get_members().get("count", &v));
    EXPECT_EQ(v.to_number(), 0);
    ASSERT_TRUE(root_movie->get_members().get("run", &v));
    EXPECT_EQ(v.to_object(), def->get_abc()->get_method(1));
    ASSERT_TRUE(root_movie->get_members().get("Inner", &v));
    EXPECT_TRUE(v.is_undefined());

    flash::smart_ptr<flash::character> unnamed(new flash::character(f.owner.get_ptr(), nullptr, 3));
    EXPECT_EQ(def->get_class_constructor(unnamed.get_ptr()), nullptr);
    flash::smart_ptr<flash::character> missing(new flash::character(f.owner.get_ptr(), nullptr, 5));
    EXPECT_EQ(def->get_class_constructor(missing.get_ptr()), nullptr);
    EXPECT_EQ(missing->get_class(), nullptr);
    EXPECT_FALSE(missing->get_members().get("count", &v));
}

}  // namespace

namespace {

TEST(MovieAbc, TheEntryScriptRunsWithTheRootMovieAsThis) {
    // trace(this.tag) from the last script; the first script would trace "wrong".
    swf::Abc a;
    auto tracing = [&a](const swf::Code& value) {
        swf::Code c;
        c.op(swf::op::getlocal_0).op(swf::op::pushscope).op_u30(swf::op::findpropstrict, a.qname("trace"));
        const swf::Bytes v = value.bytes();
        for (uint8_t b : v) c.u8(b);
        c.op_u30_u30(swf::op::callpropvoid, a.qname("trace"), 1).op(swf::op::returnvoid);
        return a.method_with_body(c);
    };
    a.script(tracing(swf::Code().op_u30(swf::op::pushstring, a.string("wrong"))));
    a.script(tracing(swf::Code().op(swf::op::getlocal_0).op_u30(swf::op::getproperty, a.qname("tag"))));
    movie_fixture f;
    swf::MovieWriter m(9);
    m.do_abc(1, "main", a.finish());
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("entry.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    flash::smart_ptr<flash::character> root_movie(new flash::character(f.owner.get_ptr(), nullptr, -1));
    root_movie->set_member("tag", flash::as_value("the root"));
    def->run_as3_entry(root_movie.get_ptr());
    EXPECT_EQ(f.log.messages(), "the root\n");

    movie_fixture g;
    swf::MovieWriter plain(9);
    plain.show_frame();
    plain.end();
    flash::movie_def_impl* none = g.load("plain.swf", plain.finish_fws());
    ASSERT_NE(none, nullptr);
    none->run_as3_entry(root_movie.get_ptr());
    EXPECT_EQ(g.log.messages(), "");
}

}  // namespace

namespace {

TEST(MovieAbc, ARootRunsTheEntryScriptOnceAfterTheFlashVars) {
    // trace("entry " + this.tag), the flash vars having set tag on the root movie.
    swf::Abc a;
    swf::Code c;
    c.op(swf::op::getlocal_0).op(swf::op::pushscope).op_u30(swf::op::findpropstrict, a.qname("trace"));
    c.op_u30(swf::op::pushstring, a.string("entry ")).op(swf::op::getlocal_0).op_u30(swf::op::getproperty, a.qname("tag"));
    c.op(swf::op::add).op_u30_u30(swf::op::callpropvoid, a.qname("trace"), 1).op(swf::op::returnvoid);
    a.script(a.method_with_body(c));
    movie_fixture f;
    swf::MovieWriter m(9);
    m.file_attributes(0x08);
    m.do_abc(1, "main", a.finish());
    m.show_frame();
    m.show_frame();
    m.end();
    f.files.add("doc.swf", m.finish_fws());
    f.owner->set_flash_vars("tag=from vars");
    flash::smart_ptr<flash::root> r = f.owner->load_file("doc.swf");
    ASSERT_NE(r.get_ptr(), nullptr);
    for (int i = 0; i < 3; ++i) r->advance(r->get_frame_time());
    EXPECT_EQ(f.log.messages(), "entry from vars\n");
    r = nullptr;
}

}  // namespace
