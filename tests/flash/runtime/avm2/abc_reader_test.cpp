// The ABC block reader: pools, encodings, multiname kinds, method records, traits and bodies as
// the assembler writes them, its verbose log, and blocks it must refuse.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "avm2_test_support.h"
#include "flash/base/log.h"
#include "tests/support/largest_allocation.h"

namespace {

using avm2test::machine;
using swf::Bytes;

constexpr uint8_t header[] = {16, 0, 46, 0};

// A block by hand: the header, then the given pool bytes, then no methods, metadata, classes,
// scripts or bodies.
Bytes block_with_pools(const Bytes& pools) {
    Bytes out(std::begin(header), std::end(header));
    out.insert(out.end(), pools.begin(), pools.end());
    out.insert(out.end(), {0, 0, 0, 0, 0});
    return out;
}

// Seven empty pools, with one of them replaced by the given bytes.
Bytes pools_with(int which, const Bytes& pool) {
    Bytes out;
    for (int i = 0; i < 7; ++i) {
        if (i == which) {
            out.insert(out.end(), pool.begin(), pool.end());
        } else {
            out.push_back(0);
        }
    }
    return out;
}

enum pool_slot { INT_POOL = 0, UINT_POOL, DOUBLE_POOL, STRING_POOL, NAMESPACE_POOL, NS_SET_POOL, MULTINAME_POOL };

TEST(AbcReader, EmptyPoolsStayEmptyAndSayWhyWhenVerbose) {
    machine m;
    flash::set_verbose_parse(true);
    const bool ok = m.read(block_with_pools(Bytes(7, 0)));
    flash::set_verbose_parse(false);
    ASSERT_TRUE(ok) << m.log.errors();
    EXPECT_EQ(m.abc->get_int_count(), 0);
    EXPECT_EQ(m.abc->get_uint_count(), 0);
    EXPECT_EQ(m.abc->get_double_count(), 0);
    EXPECT_EQ(m.abc->get_string_count(), 0);
    EXPECT_EQ(m.abc->get_namespace_count(), 0);
    EXPECT_EQ(m.abc->get_namespace_set_count(), 0);
    EXPECT_EQ(m.abc->get_multiname_count(), 0);
    EXPECT_EQ(m.log.messages(),
              "cpool_info: no integer pool\ncpool_info: no uinteger pool\ncpool_info: no double pool\n"
              "cpool_info: no string pool\ncpool_info: no namespace pool\ncpool_info: no namespace sets\n"
              "cpool_info: no multiname pool\nmethod_info count: 0\nmetadata_info count: 0\n"
              "instance_info count: 0\nclass_info count: 0\nscript_info count: 0\n");
}

TEST(AbcReader, PoolCountOneHoldsOnlyTheDefaultEntry) {
    machine m;
    ASSERT_TRUE(m.read(block_with_pools(Bytes(7, 1)))) << m.log.errors();
    int32_t i = 5;
    uint32_t u = 5;
    double d = 5;
    EXPECT_EQ(m.abc->get_int_count(), 1);
    EXPECT_TRUE(m.abc->get_int(0, &i));
    EXPECT_EQ(i, 0);
    EXPECT_TRUE(m.abc->get_uint(0, &u));
    EXPECT_EQ(u, 0u);
    EXPECT_TRUE(m.abc->get_double(0, &d));
    EXPECT_EQ(d, 0.0);
    EXPECT_STREQ(m.abc->get_string(0)->c_str(), "");
    EXPECT_EQ(m.abc->get_namespace(0)->kind, 0);
    EXPECT_EQ(m.abc->get_namespace_set(0).size(), 0);
    const flash::abc_multiname* mn = m.abc->get_multiname(0);
    ASSERT_NE(mn, nullptr);
    EXPECT_EQ(mn->kind, 0);
    EXPECT_EQ(mn->name, 0);
    EXPECT_FALSE(m.abc->get_int(1, &i));
    EXPECT_EQ(m.abc->get_string(1), nullptr);
}

TEST(AbcReader, VariableLengthIntegersInEveryWidth) {
    struct row {
        Bytes encoded;
        int32_t value;
    };
    const row rows[] = {
        {{0x7F}, 127},
        {{0x80, 0x01}, 128},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, -1},
        {{0x00}, 0},
        {{0x80, 0x80, 0x80, 0x80, 0x08}, INT32_MIN},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, -1},  // bits beyond 32 are lost
    };
    for (const row& r : rows) {
        Bytes pool = {2};
        pool.insert(pool.end(), r.encoded.begin(), r.encoded.end());
        machine m;
        ASSERT_TRUE(m.read(block_with_pools(pools_with(INT_POOL, pool)))) << m.log.errors();
        int32_t v = 0;
        ASSERT_TRUE(m.abc->get_int(1, &v));
        EXPECT_EQ(v, r.value) << r.encoded.size() << " bytes";
        // The same bytes as an unsigned entry.
        machine u;
        ASSERT_TRUE(u.read(block_with_pools(pools_with(UINT_POOL, pool))));
        uint32_t uv = 0;
        ASSERT_TRUE(u.abc->get_uint(1, &uv));
        EXPECT_EQ(uv, static_cast<uint32_t>(r.value));
    }
}

TEST(AbcReader, DoublesAndStringsWithAZeroByte) {
    machine m;
    Bytes pools = {0, 0, 2};
    const double pi = 3.25;
    uint64_t bits;
    std::memcpy(&bits, &pi, sizeof bits);
    for (int i = 0; i < 8; ++i) pools.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    pools.insert(pools.end(), {3, 5, 'a', 'b', 0, 'c', 'd', 0, 0, 0, 0});  // "ab\0cd" and ""
    ASSERT_TRUE(m.read(block_with_pools(pools))) << m.log.errors();
    double d = 0;
    ASSERT_TRUE(m.abc->get_double(1, &d));
    EXPECT_EQ(d, 3.25);
    ASSERT_EQ(m.abc->get_string_count(), 3);
    EXPECT_STREQ(m.abc->get_string(1)->c_str(), "abcd");
    EXPECT_STREQ(m.abc->get_string(2)->c_str(), "");
}

TEST(AbcReader, EveryMultinameKindReadsItsOwnOperands) {
    swf::Abc a;
    const uint32_t ns = a.namespace_(swf::package_namespace, "pkg");
    const uint32_t set = a.namespace_set({ns});
    const uint32_t name = a.string("n");
    struct row {
        uint8_t kind;
        int ns, ns_set, name;
    };
    const row rows[] = {
        {swf::mn::qname, static_cast<int>(ns), 0, static_cast<int>(name)},
        {swf::mn::qname_a, static_cast<int>(ns), 0, static_cast<int>(name)},
        {swf::mn::rtqname, 0, 0, static_cast<int>(name)},
        {swf::mn::rtqname_a, 0, 0, static_cast<int>(name)},
        {swf::mn::rtqname_l, 0, 0, 0},
        {swf::mn::rtqname_la, 0, 0, 0},
        {swf::mn::multiname, 0, static_cast<int>(set), static_cast<int>(name)},
        {swf::mn::multiname_a, 0, static_cast<int>(set), static_cast<int>(name)},
        {swf::mn::multiname_l, 0, static_cast<int>(set), -1},
        {swf::mn::multiname_la, 0, static_cast<int>(set), -1},
        {0x42, 0, 0, 0},  // an unknown kind: only its byte
    };
    std::vector<uint32_t> indices;
    for (const row& r : rows) {
        const bool is_q = r.kind == swf::mn::qname || r.kind == swf::mn::qname_a;
        const bool is_set = r.ns_set != 0;
        indices.push_back(a.multiname(r.kind, is_q ? ns : (is_set ? set : 0), r.name > 0 ? name : 0));
    }
    // A QName after them shows that each consumed exactly its own bytes.
    const uint32_t last = a.qname("after");
    machine m;
    ASSERT_TRUE(m.read(a.finish())) << m.log.errors();
    for (size_t i = 0; i < std::size(rows); ++i) {
        const flash::abc_multiname* mn = m.abc->get_multiname(static_cast<int>(indices[i]));
        ASSERT_NE(mn, nullptr);
        EXPECT_EQ(mn->kind, rows[i].kind);
        EXPECT_EQ(mn->ns, rows[i].ns) << static_cast<int>(rows[i].kind);
        EXPECT_EQ(mn->ns_set, rows[i].ns_set) << static_cast<int>(rows[i].kind);
        EXPECT_EQ(mn->name, rows[i].name) << static_cast<int>(rows[i].kind);
    }
    EXPECT_STREQ(m.abc->get_multiname_name(static_cast<int>(last))->c_str(), "after");
    EXPECT_STREQ(m.abc->get_multiname_name(static_cast<int>(indices[8]))->c_str(), "");  // run-time name
}

TEST(AbcReader, MethodRecordsWithOptionsAndParameterNames) {
    swf::Abc a;
    swf::Method with_all;
    with_all.param_types = {a.qname("int"), a.qname("String")};
    with_all.return_type = a.qname("void");
    with_all.name = a.string("f");
    with_all.flags = 0x88;
    with_all.options = {{a.integer(7), 0x03}, {a.string("s"), 0x01}};
    with_all.param_names = {a.string("x"), a.string("y")};
    swf::Method plain;
    plain.name = a.string("g");
    plain.flags = 0x04;  // other bits are kept and not acted upon
    a.method(with_all);
    a.method(plain);
    machine m;
    ASSERT_TRUE(m.read(a.finish())) << m.log.errors();
    ASSERT_EQ(m.abc->get_method_count(), 2);
    const flash::as_3_function* f = m.abc->get_method(0);
    EXPECT_EQ(f->m_param_types.size(), 2);
    EXPECT_EQ(f->m_flags, 0x88);
    ASSERT_EQ(f->m_options.size(), 2);
    EXPECT_EQ(f->m_options[1].kind, 0x01);
    EXPECT_STREQ(m.abc->get_method_name(0)->c_str(), "f");
    EXPECT_STREQ(m.abc->get_method_name(1)->c_str(), "g");  // right after the parameter names
    EXPECT_EQ(m.abc->get_method(1)->m_flags, 0x04);
    EXPECT_EQ(f->get_method_index(), 0);
    EXPECT_EQ(m.abc->get_method(1)->get_method_index(), 1);
    EXPECT_EQ(f->get_abc(), m.abc.get_ptr());
    EXPECT_TRUE(f->m_code.empty());  // no body
    flash::as_value proto;
    EXPECT_TRUE(const_cast<flash::as_3_function*>(f)->get_members().get("prototype", &proto));
    EXPECT_NE(proto.to_object(), nullptr);
}

TEST(AbcReader, TraitsOfEveryKindAndAConstWithMetadata) {
    swf::Abc a;
    const uint32_t meta = a.metadata({a.string("M"), {{a.string("k"), a.string("v")}}});
    const uint32_t method = a.method({});
    swf::Trait with_meta = swf::Trait::make_slot(a.qname("c"), a.qname("int"), a.integer(3), 0x03);
    with_meta.kind = swf::Trait::const_;
    with_meta.attributes = 0x04;
    with_meta.metadata = {meta};
    swf::Trait no_value = swf::Trait::make_slot(a.qname("s"));
    swf::Trait other;
    other.name = a.qname("odd");
    other.kind = 9;  // kinds 7 to 15 carry nothing more
    const std::vector<swf::Trait> traits = {with_meta,
                                            no_value,
                                            swf::Trait::make_method(a.qname("m"), method),
                                            swf::Trait::make_method(a.qname("g"), method, swf::Trait::getter),
                                            swf::Trait::make_method(a.qname("f"), method, swf::Trait::function),
                                            other};
    a.script(method, traits);
    machine m;
    ASSERT_TRUE(m.read(a.finish())) << m.log.errors();
    EXPECT_EQ(m.abc->get_metadata_count(), 1);
    const flash::script_info* s = m.abc->get_script(0);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->traits.size(), 6);
    const flash::traits_info& c = *s->traits[0];
    EXPECT_EQ(c.kind, flash::traits_info::CONST);
    EXPECT_EQ(c.attributes, 0x04);
    EXPECT_EQ(c.value_kind, 0x03);
    ASSERT_EQ(c.metadata.size(), 1);
    EXPECT_EQ(c.metadata[0], static_cast<int>(meta));
    EXPECT_EQ(s->traits[1]->value_index, 0);
    EXPECT_EQ(s->traits[2]->index, static_cast<int>(method));
    EXPECT_EQ(s->traits[5]->kind, 9);
    EXPECT_STREQ(m.abc->get_multiname_name(s->traits[5]->name)->c_str(), "odd");
}

TEST(AbcReader, VerboseLogNamesEveryRecord) {
    swf::Abc a;
    a.integer(-3);
    a.uinteger(9);
    a.number(1.5);
    const uint32_t cls_name = a.qname("Main");
    swf::Code body;
    body.op(swf::op::getlocal_0).op(swf::op::pushscope).op(swf::op::returnvoid);
    const uint32_t init = a.method_with_body(body);
    swf::Instance inst;
    inst.name = cls_name;
    inst.iinit = init;
    a.add_class(inst, {init, {}});
    a.script(init, {swf::Trait::make_class(cls_name, 0)});
    machine m;
    flash::set_verbose_parse(true);
    const bool ok = m.read(a.finish());
    flash::set_verbose_parse(false);
    ASSERT_TRUE(ok) << m.log.errors();
    for (const char* line :
         {"cpool_info: integer[1]=-3\n", "cpool_info: uinteger[1]=9\n", "cpool_info: double[1]=1.500000\n",
          "cpool_info: string[2]='Main'\n", "cpool_info: namespace[1]='', kind=0x16\n",
          "cpool_info: no namespace sets\n", "cpool_info: multiname[1]='Main', ns=''\n", "method_info count: 1\n",
          "method_info: name='', type='', params=0\n", "metadata_info count: 0\n", "instance_info count: 1\n",
          "instance_info[0]:\n  name='Main', supername='', ns=''\n", "class_info count: 1\nclass_info[0]\n",
          "script_info count: 1\nscript_info[0]\n\ttraits: name='Main'\n", "body_info[0]\n",
          "method\t0\n:\tgetlocal_0\n:\tpushscope\n:\treturnvoid\n"}) {
        EXPECT_TRUE(m.log.has_message(line)) << line << "\nin\n" << m.log.messages();
    }
}

// A block with something of every record kind, for cuts and counts.
Bytes rich_block() {
    swf::Abc a;
    a.integer(-1);
    a.uinteger(70000);
    a.number(2.5);
    const uint32_t ns = a.namespace_(swf::package_namespace, "p");
    const uint32_t set = a.namespace_set({ns});
    a.multiname(swf::mn::multiname, set, a.string("mn"));
    a.multiname(swf::mn::multiname_l, set);
    a.multiname(swf::mn::rtqname_l);
    const uint32_t meta = a.metadata({a.string("Meta"), {{a.string("k"), a.string("v")}}});
    swf::Method f;
    f.param_types = {a.qname("int")};
    f.name = a.string("f");
    f.flags = 0x88;
    f.options = {{a.integer(4), 0x03}};
    f.param_names = {a.string("x")};
    const uint32_t m0 = a.method(f);
    swf::Code code;
    code.op(swf::op::getlocal_0).op(swf::op::pushscope).op_u30(swf::op::pushstring, a.string("t"));
    code.op(swf::op::pop).op(swf::op::returnvoid);
    swf::Body b;
    b.method = m0;
    b.code = code.bytes();
    b.exceptions = {{0, 1, 2, a.qname("Error"), a.qname("e")}};
    b.traits = {swf::Trait::make_slot(a.qname("local"))};
    a.body(b);
    swf::Instance inst;
    inst.name = a.qname("Main");
    inst.super_name = a.qname("Object");
    inst.flags = 0x08;
    inst.protected_ns = ns;
    inst.interfaces = {a.qname("I")};
    inst.iinit = m0;
    swf::Trait slot = swf::Trait::make_slot(a.qname("x"), a.qname("int"), a.integer(2), 0x03);
    slot.attributes = 0x04;
    slot.metadata = {meta};
    inst.traits = {slot, swf::Trait::make_method(a.qname("run"), m0)};
    a.add_class(inst, {m0, {swf::Trait::make_slot(a.qname("s"))}});
    a.script(m0, {swf::Trait::make_class(a.qname("Main"), 0)});
    return a.finish();
}

TEST(AbcReader, TheRichBlockReadsWhole) {
    machine m;
    ASSERT_TRUE(m.read(rich_block())) << m.log.errors();
    EXPECT_EQ(m.abc->get_class_count(), 1);
    EXPECT_EQ(m.abc->get_method(0)->m_exceptions.size(), 1);
    EXPECT_EQ(m.abc->get_method(0)->m_traits.size(), 1);
    EXPECT_EQ(m.abc->get_instance(0)->protected_ns, 1);
    EXPECT_TRUE(m.log.errors().empty()) << m.log.errors();
}

TEST(AbcReader, ACutAtEveryOffsetRefusesTheBlock) {
    const Bytes full = rich_block();
    for (size_t cut = 0; cut < full.size(); ++cut) {
        machine m;
        const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(m.read(part)) << "cut at " << cut;
        EXPECT_TRUE(m.log.has_error("the ABC block is dropped")) << cut;
        EXPECT_EQ(m.abc->get_method_count(), 0) << cut;
        EXPECT_EQ(m.abc->get_script_count(), 0) << cut;
    }
}

TEST(AbcReader, ImpossibleCountsAreRefusedWithoutAHugeAllocation) {
    swf::Abc base;
    base.script(base.method_with_body(swf::Code().op(swf::op::returnvoid)));
    struct row {
        const char* what;
        void (*set)(swf::Abc&);
    };
    const row rows[] = {
        {"int pool", [](swf::Abc& a) { a.int_count = 0xFFFFFFFF; }},
        {"string pool", [](swf::Abc& a) { a.string_count = 0xFFFFFFFF; }},
        {"string pool just past the data", [](swf::Abc& a) { a.string_count = 0x7FFFFFFF; }},
        {"methods", [](swf::Abc& a) { a.method_count = 0xFFFFFFFF; }},
        {"classes", [](swf::Abc& a) { a.class_count = 0xFFFFFFFF; }},
        {"scripts", [](swf::Abc& a) { a.script_count = 0xFFFFFFFF; }},
        {"bodies", [](swf::Abc& a) { a.body_count = 0xFFFFFFFF; }},
    };
    for (const row& r : rows) {
        swf::Abc a = base;
        r.set(a);
        machine m;
        testsupport::LargestAllocation largest;
        EXPECT_FALSE(m.read(a.finish())) << r.what;
        if (testsupport::LargestAllocation::available()) {
            EXPECT_LT(largest.bytes(), 1u << 16) << r.what;
        }
        EXPECT_TRUE(m.log.has_error("count larger than the data left")) << r.what << ": " << m.log.errors();
    }
    // A code length of 0xFFFFFFFF in a body.
    swf::Abc a;
    swf::Body b;
    b.method = a.method({});
    b.code = {swf::op::returnvoid};
    b.code_length = 0xFFFFFFFF;
    a.body(b);
    machine m;
    EXPECT_FALSE(m.read(a.finish()));
    EXPECT_TRUE(m.log.has_error("the ABC block is dropped"));
}

TEST(AbcReader, IndicesOutsideTheirPoolsRefuseTheBlock) {
    struct row {
        const char* problem;
        void (*build)(swf::Abc&);
    };
    const row rows[] = {
        {"string index out of range", [](swf::Abc& a) { a.multiname(swf::mn::qname, 0, 40); }},
        {"namespace index out of range", [](swf::Abc& a) { a.multiname(swf::mn::qname, 9, 0); }},
        {"namespace set index out of range", [](swf::Abc& a) { a.multiname(swf::mn::multiname_l, 3); }},
        {"multiname index out of range",
         [](swf::Abc& a) {
             swf::Method f;
             f.return_type = 77;
             a.method(f);
         }},
        {"optional value index out of range",
         [](swf::Abc& a) {
             swf::Method f;
             f.param_types = {0};
             f.flags = 0x08;
             f.options = {{5, 0x03}};
             a.method(f);
         }},
        {"method index out of range", [](swf::Abc& a) { a.script(3); }},
        {"class index out of range",
         [](swf::Abc& a) { a.script(a.method({}), {swf::Trait::make_class(0, 2)}); }},
        {"metadata index out of range",
         [](swf::Abc& a) {
             swf::Trait t = swf::Trait::make_slot(0);
             t.attributes = 0x04;
             t.metadata = {1};
             a.script(a.method({}), {t});
         }},
    };
    for (const row& r : rows) {
        swf::Abc a;
        r.build(a);
        machine m;
        EXPECT_FALSE(m.read(a.finish())) << r.problem;
        EXPECT_TRUE(m.log.has_error(r.problem)) << r.problem << ": " << m.log.errors();
    }
}

TEST(AbcReader, ABodyForAMethodOutsideTheTableIsSkipped) {
    swf::Abc a;
    const uint32_t init = a.method_with_body(swf::Code().op(swf::op::returnvoid));
    swf::Body stray;
    stray.method = 5;
    stray.code = {swf::op::pushtrue, swf::op::pop};
    stray.traits = {swf::Trait::make_slot(0)};
    a.body(stray);
    swf::Body after;
    after.method = init;
    after.code = {swf::op::pushfalse, swf::op::pop, swf::op::returnvoid};
    a.body(after);  // read after the stray one: it replaces the first body of init
    a.script(init);
    machine m;
    ASSERT_TRUE(m.read(a.finish())) << m.log.errors();
    EXPECT_TRUE(m.log.has_error("a method body names method 5 of 1, the body is skipped"));
    EXPECT_EQ(m.abc->get_method(0)->m_code.size(), 3);
}

}  // namespace
