#include "core/attr_tree.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/attr_access.h"
#include "tests/core/attr_test_support.h"

namespace {

using namespace Attr;

std::vector<std::string> childNames(const AttributePtr& object) {
    std::vector<std::string> out;
    for (auto it = attributesBegin(object); it != attributesEnd(object); ++it) out.push_back(it->first);
    return out;
}

TEST(AttrTree, TypeNamesAndFactories) {
    const char* names[] = {"binary", "boolean", "widestring", "integer", "float", "string", "object"};
    for (int id = 0; id <= 6; ++id) {
        EXPECT_EQ(typeNameOf(id), names[id]);
        AttributePtr byId = createAttribute(id, "n");
        AttributePtr byName = createAttributeByTypeName(names[id], "n");
        ASSERT_FALSE(byId.isNull());
        ASSERT_FALSE(byName.isNull());
        EXPECT_EQ(byId->typeId(), id);
        EXPECT_EQ(byName->typeId(), id);
        EXPECT_EQ(&byId->typeName(), &typeNameOf(id));  // one shared string per type
        EXPECT_EQ(byId->name(), "n");
        EXPECT_TRUE(byId->flag());
    }
    EXPECT_EQ(typeNameOf(7), "");
    EXPECT_EQ(typeNameOf(-1), "");
    EXPECT_TRUE(createAttribute(7, "x").isNull());
    EXPECT_TRUE(createAttributeByTypeName("Integer", "x").isNull());  // case-sensitive
    EXPECT_TRUE(createAttributeByTypeName("", "x").isNull());
}

TEST(AttrTree, DefaultValuesAndTheirText) {
    struct Case {
        int type;
        const char* text;
    } cases[] = {{TYPE_BINARY, ""},  {TYPE_BOOLEAN, "false"}, {TYPE_WIDESTRING, ""}, {TYPE_INTEGER, "0"},
                 {TYPE_FLOAT, "0"},  {TYPE_STRING, ""},       {TYPE_OBJECT, "{...}"}};
    for (const Case& c : cases) {
        AttributePtr a = createAttribute(c.type, "d");
        EXPECT_EQ(a->valueAsString(), c.text) << typeNameOf(c.type);
    }
    DataChunkPtr chunk;
    ASSERT_TRUE(createAttribute(TYPE_BINARY, "b")->getValue(chunk));
    ASSERT_FALSE(chunk.isNull());
    EXPECT_EQ(chunk->size(), 0u);
    EXPECT_TRUE(chunk->ownsData());
}

// Text in, value and text out, for every scalar type.
TEST(AttrTree, ValueFromTextTable) {
    struct Case {
        int type;
        const char* in;
        const char* out;
    } cases[] = {
        {TYPE_BOOLEAN, "true", "true"},
        {TYPE_BOOLEAN, "TRUE", "false"},
        {TYPE_BOOLEAN, "1", "false"},
        {TYPE_BOOLEAN, "yes", "false"},
        {TYPE_BOOLEAN, " true", "false"},
        {TYPE_BOOLEAN, "", "false"},
        {TYPE_INTEGER, " 42abc", "42"},
        {TYPE_INTEGER, "\t-17 ", "-17"},
        {TYPE_INTEGER, "+8", "8"},
        {TYPE_INTEGER, "", "0"},
        {TYPE_INTEGER, "abc", "0"},
        {TYPE_INTEGER, "99999999999", "2147483647"},  // saturates instead of wrapping
        {TYPE_INTEGER, "-99999999999", "-2147483648"},
        {TYPE_FLOAT, "1,5", "1.5"},
        {TYPE_FLOAT, "letters", "0"},
        {TYPE_FLOAT, "-2.25e3x", "-2250"},
        {TYPE_FLOAT, "0.1", "0.1"},
        {TYPE_FLOAT, "3.14159265358979", "3.14159265"},
        {TYPE_FLOAT, "1e-20", "1e-20"},
        {TYPE_STRING, " as <it> is ", " as <it> is "},
        {TYPE_WIDESTRING, "SABpAA==", "SABpAA=="},
        {TYPE_WIDESTRING, "", ""},
        {TYPE_WIDESTRING, "SABpAAAAegA=", "SABpAA=="},  // ends at the first zero unit
        {TYPE_BINARY, "YWJj", "YWJj"},
        {TYPE_BINARY, "YW Jj", "YWJj"},
        {TYPE_BINARY, "", ""},
        {TYPE_BINARY, "YWJ", ""},  // not whole groups: empty, with an ERROR
        {TYPE_OBJECT, "anything", "{...}"},
    };
    for (const Case& c : cases) {
        AttributePtr a = createAttribute(c.type, "v");
        a->setValueString(c.in);
        EXPECT_EQ(a->valueAsString(), c.out) << typeNameOf(c.type) << " from \"" << c.in << "\"";
    }

    AttributePtr f = createAttribute(TYPE_FLOAT, "f");
    f->setValueString("1,5");
    double d = 0;
    ASSERT_TRUE(f->getValue(d));
    EXPECT_DOUBLE_EQ(d, 1.5);

    AttributePtr i = createAttribute(TYPE_INTEGER, "i");
    i->setValueString(" 42abc");
    int32_t n = 0;
    ASSERT_TRUE(i->getValue(n));
    EXPECT_EQ(n, 42);
}

TEST(AttrTree, WideStringAndBinaryValues) {
    AttributePtr w = createAttribute(TYPE_WIDESTRING, "w");
    static_cast<TypedAttribute<TYPE_WIDESTRING>*>(w.get())->setValue(u"Hi");
    EXPECT_EQ(w->valueAsString(), "SABpAA==");
    w->setValueString("SABpAA==");
    std::u16string text;
    ASSERT_TRUE(w->getValue(text));
    EXPECT_EQ(text, u"Hi");
    // A non-ASCII unit keeps its high byte.
    static_cast<TypedAttribute<TYPE_WIDESTRING>*>(w.get())->setValue(u"\u00e9\u4e2d");
    std::string encoded = w->valueAsString();
    w->setValueString(encoded.c_str());
    ASSERT_TRUE(w->getValue(text));
    EXPECT_EQ(text, u"\u00e9\u4e2d");

    AttributePtr b = createAttribute(TYPE_BINARY, "b");
    b->setValueString("AAEC/w==");
    DataChunkPtr chunk;
    ASSERT_TRUE(b->getValue(chunk));
    ASSERT_EQ(chunk->size(), 4u);
    EXPECT_EQ(chunk->data()[0], 0);
    EXPECT_EQ(chunk->data()[3], 0xFF);
    EXPECT_TRUE(chunk->ownsData());
    EXPECT_EQ(b->valueAsString(), "AAEC/w==");
}

TEST(AttrTree, SetOrderUniquenessAndObjectReset) {
    AttributePtr object = createAttribute(TYPE_OBJECT, "o");
    AttributeSet* set = childrenOf(object);
    for (const char* n : {"bb", "a", "ccc", "\xc3\xa9", "B", "\x7f"}) set->add(TYPE_INTEGER, n);
    // Length first, then unsigned bytes: 0x7f before 0xc3 0xa9 would be wrong if bytes were signed.
    EXPECT_EQ(childNames(object), (std::vector<std::string>{"B", "a", "\x7f", "bb", "\xc3\xa9", "ccc"}));

    AttributePtr kept = set->find("a");
    AttributePtr dropped = createAttribute(TYPE_STRING, "a");
    EXPECT_FALSE(set->insert(dropped));
    EXPECT_EQ(set->find("a"), kept);
    AttributePtr notKept = set->add(TYPE_STRING, "a");
    EXPECT_FALSE(notKept == kept);
    EXPECT_EQ(set->find("a")->typeId(), TYPE_INTEGER);
    EXPECT_TRUE(set->find("zz").isNull());

    AttributePtr two = createAttribute(TYPE_OBJECT, "t");
    childrenOf(two)->add(TYPE_INTEGER, "b");
    childrenOf(two)->add(TYPE_INTEGER, "aa");
    EXPECT_EQ(childNames(two), (std::vector<std::string>{"b", "aa"}));

    object->setValueString("{...}");
    EXPECT_EQ(childrenOf(object)->size(), 0u);
}

TEST(AttrTree, ShallowCloneSharesScalarValuesUntilDetached) {
    AttributePtr first = createAttribute(TYPE_INTEGER, "i");
    first->setValueString("5");
    AttributePtr second = first->clone(nullptr, false);
    EXPECT_EQ(second->name(), "i");
    second->setValueString("9");
    EXPECT_EQ(first->valueAsString(), "9");  // one container for both
    second->detachValue();
    second->setValueString("11");
    EXPECT_EQ(first->valueAsString(), "9");
    EXPECT_EQ(second->valueAsString(), "11");

    std::string newName = "renamed";
    AttributePtr named = first->clone(&newName, true);  // deep does not matter for scalars
    EXPECT_EQ(named->name(), "renamed");
    named->setValueString("1");
    EXPECT_EQ(first->valueAsString(), "1");
}

TEST(AttrTree, ObjectClonesShallowAndDeep) {
    AttributePtr top = createAttribute(TYPE_OBJECT, "top");
    getOrCreateByPath(top, makePath({"inner", "n"}), TYPE_INTEGER)->setValueString("1");
    getOrCreateAttribute(top, "s", TYPE_STRING)->setValueString("x");
    getOrCreateAttribute(top, "bin", TYPE_BINARY)->setValueString("YWJj");

    AttributePtr shallow = top->clone(nullptr, false);
    AttributePtr deep = top->clone(nullptr, true);
    // Each clone has its own set with its own nodes.
    EXPECT_NE(childrenOf(shallow), childrenOf(top));
    EXPECT_FALSE(findAttribute(shallow, "s") == findAttribute(top, "s"));
    EXPECT_NE(childrenOf(findAttribute(shallow, "inner")), childrenOf(findAttribute(top, "inner")));

    findByPath(top, parsePath("inner.n"))->setValueString("2");
    findAttribute(top, "s")->setValueString("y");
    EXPECT_EQ(findByPath(shallow, parsePath("inner.n"))->valueAsString(), "2");  // values shared
    EXPECT_EQ(findAttribute(shallow, "s")->valueAsString(), "y");
    EXPECT_EQ(findByPath(deep, parsePath("inner.n"))->valueAsString(), "1");  // values independent
    EXPECT_EQ(findAttribute(deep, "s")->valueAsString(), "x");

    // A new child of the original reaches neither clone.
    getOrCreateAttribute(findAttribute(top, "inner"), "extra", TYPE_BOOLEAN);
    EXPECT_TRUE(findByPath(deep, parsePath("inner.extra")).isNull());
    EXPECT_TRUE(findByPath(shallow, parsePath("inner.extra")).isNull());

    // Binary chunks stay shared even through a deep clone.
    DataChunkPtr a, b;
    findAttribute(top, "bin")->getValue(a);
    findAttribute(deep, "bin")->getValue(b);
    EXPECT_EQ(a.get(), b.get());
}

TEST(AttrTree, DetachedObjectSharesItsSet) {
    AttributePtr object = createAttribute(TYPE_OBJECT, "o");
    AttributePtr alias = object->clone(nullptr, false);
    object->detachValue();
    EXPECT_EQ(childrenOf(object)->size(), 0u);
    childrenOf(object)->add(TYPE_INTEGER, "k");
    EXPECT_EQ(childrenOf(object)->size(), 1u);
    EXPECT_EQ(childrenOf(alias)->size(), 0u);  // the clone had a set of its own already
}

TEST(AttrTree, GetValueChecksTheType) {
    testsupport::TempDir dir;
    attrtest::LogCapture log(dir);
    AttributePtr s = createAttribute(TYPE_STRING, "s");
    s->setValueString("12");
    int32_t n = 77;
    EXPECT_FALSE(s->getValue(n));
    EXPECT_EQ(n, 77);
    ASSERT_EQ(log.lines("WARNING").size(), 1u);
    EXPECT_NE(log.lines("WARNING")[0].find("\"s\" is string, not integer"), std::string::npos);

    // Any type gives its text form to a string.
    AttributePtr i = createAttribute(TYPE_INTEGER, "i");
    i->setValueString("-3");
    std::string text;
    EXPECT_TRUE(i->getValue(text));
    EXPECT_EQ(text, "-3");
}

}  // namespace
