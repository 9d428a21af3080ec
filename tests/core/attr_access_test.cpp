#include "core/attr_access.h"

#include <gtest/gtest.h>

#include "tests/core/attr_test_support.h"

namespace {

using namespace Attr;

class AttrAccess : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    attrtest::LogCapture log{dir};
    AttributePtr top = createAttribute(TYPE_OBJECT, "top");
};

TEST_F(AttrAccess, GettersFindOrCreateWithoutCheckingTheType) {
    EXPECT_TRUE(getStringAttribute(top, "s", false).isNull());
    EXPECT_EQ(stringValueOr(getStringAttribute(top, "s", false), "dflt"), "dflt");
    EXPECT_EQ(childrenOf(top)->size(), 0u);

    AttributePtr s = getStringAttribute(top, "s", true);
    ASSERT_FALSE(s.isNull());
    EXPECT_EQ(s->typeId(), TYPE_STRING);
    s->setValueString("text");
    EXPECT_EQ(stringValueOr(getStringAttribute(top, "s", false), "dflt"), "text");

    // An integer getter on a string child hands the string child back and creates nothing.
    AttributePtr same = getIntAttribute(top, "s", true);
    EXPECT_TRUE(same == s);
    EXPECT_EQ(childrenOf(top)->size(), 1u);

    EXPECT_EQ(getBoolAttribute(top, "b", true)->typeId(), TYPE_BOOLEAN);
    EXPECT_EQ(getIntAttribute(top, "i", true)->typeId(), TYPE_INTEGER);
    EXPECT_EQ(getChildShared(top, "f", TYPE_FLOAT, true)->typeId(), TYPE_FLOAT);
    EXPECT_TRUE(getChildShared(top, "g", TYPE_FLOAT, false).isNull());
    EXPECT_TRUE(findAttribute(top, "i") == getIntAttribute(top, "i", false));
    EXPECT_TRUE(log.lines("WARNING").empty());
}

TEST_F(AttrAccess, TypedReadersGiveTheDefaultForOtherTypes) {
    getStringAttribute(top, "s", true)->setValueString("12");
    getIntAttribute(top, "i", true)->setValueString("12");
    getBoolAttribute(top, "b", true)->setValueString("true");
    getChildShared(top, "f", TYPE_FLOAT, true)->setValueString("2.5");

    EXPECT_EQ(scalarValueOr(findAttribute(top, "i"), 7), 12);
    EXPECT_TRUE(boolValueOr(findAttribute(top, "b"), false));
    EXPECT_DOUBLE_EQ(scalarValueOr(findAttribute(top, "f"), 1.0), 2.5);
    EXPECT_EQ(stringValueOr(findAttribute(top, "s"), "d"), "12");
    EXPECT_TRUE(log.lines("WARNING").empty());

    EXPECT_EQ(scalarValueOr(findAttribute(top, "s"), 7), 7);  // never the string's bytes
    EXPECT_FALSE(boolValueOr(findAttribute(top, "i"), false));
    EXPECT_EQ(stringValueOr(findAttribute(top, "i"), "d"), "d");
    EXPECT_DOUBLE_EQ(scalarValueOr(findAttribute(top, "i"), 1.0), 1.0);
    EXPECT_EQ(log.lines("WARNING").size(), 4u);

    // Empty pointers read as the default, silently.
    EXPECT_EQ(scalarValueOr(emptyAttribute(), -1), -1);
    EXPECT_TRUE(boolValueOr(emptyAttribute(), true));
    EXPECT_EQ(log.lines("WARNING").size(), 4u);
}

TEST_F(AttrAccess, OperationsOnNonObjectsFindNothing) {
    AttributePtr leaf = createAttribute(TYPE_INTEGER, "leaf");
    EXPECT_TRUE(findAttribute(leaf, "x").isNull());
    EXPECT_TRUE(getOrCreateAttribute(leaf, "x", TYPE_INTEGER).isNull());
    EXPECT_TRUE(attributesBegin(leaf) == attributesEnd(leaf));
    EXPECT_TRUE(findAttribute(emptyAttribute(), "x").isNull());
    EXPECT_TRUE(getOrCreateAttribute(emptyAttribute(), "x", TYPE_INTEGER).isNull());
    EXPECT_TRUE(attributesBegin(emptyAttribute()) == attributesEnd(emptyAttribute()));

    // An object whose set was replaced by none has no children and no paths through it.
    AttributePtr hollow = getOrCreateAttribute(top, "hollow", TYPE_OBJECT);
    static_cast<TypedAttribute<TYPE_OBJECT>*>(hollow.get())->setValue(emptySet());
    const AttributePtr leafInTop = getIntAttribute(top, "n", true);
    EXPECT_TRUE(findByPath(top, parsePath("hollow.x")).isNull());
    EXPECT_TRUE(getOrCreateByPath(top, parsePath("hollow.x"), TYPE_INTEGER).isNull());
    EXPECT_EQ(pathOf(hollow, leafInTop), "");
    EXPECT_EQ(pathOf(top, leafInTop), "n");
    EXPECT_EQ(pathOf(top, createAttribute(TYPE_INTEGER, "elsewhere")), "");  // walks into the hollow one
    EXPECT_TRUE(attributesBegin(hollow) == attributesEnd(hollow));
    EXPECT_EQ(hollow->clone(nullptr, true)->typeId(), TYPE_OBJECT);
}

TEST_F(AttrAccess, PathsFindAndCreate) {
    EXPECT_TRUE(parsePath("").isNull());
    AttributePath abc = parsePath("a.b.c");
    ASSERT_FALSE(abc.isNull());
    EXPECT_EQ(abc->part, "a");
    EXPECT_EQ(abc->next->next->part, "c");
    EXPECT_TRUE(abc->next->next->next.isNull());

    AttributePtr b = getOrCreateByPath(top, makePath({"a", "b"}), TYPE_INTEGER);
    ASSERT_FALSE(b.isNull());
    EXPECT_EQ(b->typeId(), TYPE_INTEGER);
    EXPECT_EQ(findAttribute(top, "a")->typeId(), TYPE_OBJECT);
    EXPECT_TRUE(findByPath(top, parsePath("a.b")) == b);
    EXPECT_TRUE(getOrCreateByPath(top, parsePath("a.b"), TYPE_STRING) == b);  // present: kept as it is

    EXPECT_TRUE(findByPath(top, parsePath("a.b.c")).isNull());  // through a non-object
    EXPECT_TRUE(findByPath(top, parsePath("a.x")).isNull());
    EXPECT_TRUE(findByPath(top, AttributePath()).isNull());
    EXPECT_TRUE(getOrCreateByPath(top, parsePath("a.b.c"), TYPE_INTEGER).isNull());
    EXPECT_EQ(findAttribute(top, "a")->typeId(), TYPE_OBJECT);
    EXPECT_EQ(b->typeId(), TYPE_INTEGER);
}

TEST_F(AttrAccess, PathOfMatchesByNameDepthFirst) {
    AttributePtr deep = getOrCreateByPath(top, parsePath("outer.inner.leaf"), TYPE_STRING);
    EXPECT_EQ(pathOf(top, deep), "outer.inner.leaf");
    EXPECT_EQ(pathOf(top, findAttribute(top, "outer")), "outer");
    EXPECT_EQ(pathOf(top, createAttribute(TYPE_STRING, "nowhere")), "");
    EXPECT_EQ(pathOf(top, emptyAttribute()), "");

    // The first object in key order wins ("z" before "aa"); matching is by name only.
    getOrCreateByPath(top, parsePath("aa.twin"), TYPE_INTEGER);
    AttributePtr second = getOrCreateByPath(top, parsePath("z.twin"), TYPE_INTEGER);
    EXPECT_EQ(pathOf(top, second), "z.twin");
    getOrCreateAttribute(top, "twin", TYPE_BOOLEAN);
    EXPECT_EQ(pathOf(top, second), "twin");
}

TEST_F(AttrAccess, RenameByPath) {
    getOrCreateAttribute(top, "x", TYPE_INTEGER)->setValueString("1");
    getOrCreateAttribute(top, "y", TYPE_INTEGER)->setValueString("2");
    EXPECT_FALSE(renameByPath(top, parsePath("x"), parsePath("y")));  // target present
    EXPECT_EQ(findAttribute(top, "x")->valueAsString(), "1");
    EXPECT_EQ(findAttribute(top, "y")->valueAsString(), "2");

    EXPECT_TRUE(renameByPath(top, parsePath("x"), parsePath("longer")));
    EXPECT_TRUE(findAttribute(top, "x").isNull());
    EXPECT_EQ(findAttribute(top, "longer")->name(), "longer");
    EXPECT_EQ(findAttribute(top, "longer")->valueAsString(), "1");
    EXPECT_FALSE(renameByPath(top, parsePath("x"), parsePath("w")));  // source missing

    AttributePtr leaf = getOrCreateByPath(top, parsePath("o.p.leaf"), TYPE_STRING);
    EXPECT_TRUE(renameByPath(top, parsePath("o.p.leaf"), parsePath("o.p.q")));
    EXPECT_TRUE(findByPath(top, parsePath("o.p.q")) == leaf);
    EXPECT_EQ(leaf->name(), "q");
    EXPECT_FALSE(renameByPath(top, parsePath("o.p.q"), parsePath("o.r.q")));  // parents differ
    EXPECT_FALSE(renameByPath(top, parsePath("o.p.q"), parsePath("q")));      // depths differ
    EXPECT_FALSE(renameByPath(top, parsePath("y.a"), parsePath("y.b")));      // through a non-object
    EXPECT_FALSE(renameByPath(top, AttributePath(), parsePath("a")));
}

}  // namespace
