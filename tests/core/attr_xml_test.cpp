#include "core/attr_xml.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "core/attr_access.h"
#include "tests/core/attr_test_support.h"
#include "tests/support/guarded_text.h"

namespace {

using namespace Attr;
namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;

// Same names, types and text forms at every level.
void expectSameTree(const AttributePtr& a, const AttributePtr& b, const std::string& where = "") {
    ASSERT_FALSE(a.isNull()) << where;
    ASSERT_FALSE(b.isNull()) << where;
    EXPECT_EQ(a->name(), b->name()) << where;
    ASSERT_EQ(a->typeId(), b->typeId()) << where << a->name();
    if (a->typeId() != TYPE_OBJECT) {
        EXPECT_EQ(a->valueAsString(), b->valueAsString()) << where << a->name();
        return;
    }
    ASSERT_EQ(childrenOf(a)->size(), childrenOf(b)->size()) << where << a->name();
    for (auto it = attributesBegin(a); it != attributesEnd(a); ++it)
        expectSameTree(it->second, findAttribute(b, it->first), where + a->name() + ".");
}

AttributePtr sampleTree() {
    AttributePtr top = createAttribute(TYPE_OBJECT, "A");
    getIntAttribute(top, "B", true)->setValueString("2");
    getStringAttribute(top, "C", true)->setValueString("x & <y> \"z\"");
    getChildShared(top, "bb", TYPE_FLOAT, true)->setValueString("1.5");
    getBoolAttribute(top, "a", true)->setValueString("true");
    getChildShared(top, "w", TYPE_WIDESTRING, true)->setValueString("SABpAA==");
    getChildShared(top, "bin", TYPE_BINARY, true)->setValueString("YWJj");
    getChildShared(top, "empty", TYPE_OBJECT, true);
    getOrCreateByPath(top, parsePath("inner.deep"), TYPE_STRING)->setValueString("d");
    return top;
}

class AttrXml : public ::testing::Test {
protected:
    void TearDown() override { setFileLookup(nullptr); }
    testsupport::TempDir dir;
    attrtest::LogCapture log{dir};
};

TEST_F(AttrXml, FilePrintLayout) {
    AttributePtr top = createAttribute(TYPE_OBJECT, "A");
    getIntAttribute(top, "B", true)->setValueString("2");
    getStringAttribute(top, "C", true)->setValueString("x & y");
    getChildShared(top, "bb", TYPE_OBJECT, true);
    getBoolAttribute(findAttribute(top, "bb"), "on", true)->setValueString("true");
    getChildShared(top, "a", TYPE_OBJECT, true);
    ASSERT_TRUE(saveDocument("golden.xml", top, false, true));
    // One-letter names first, upper case before lower case (bytes compared unsigned).
    EXPECT_EQ(readFile("golden.xml"),
              "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
              "<root>\n"
              "    <object name=\"A\">\n"
              "        <integer name=\"B\" value=\"2\" />\n"
              "        <string name=\"C\" value=\"x &amp; y\" />\n"
              "        <object name=\"a\" />\n"
              "        <object name=\"bb\">\n"
              "            <boolean name=\"on\" value=\"true\" />\n"
              "        </object>\n"
              "    </object>\n"
              "</root>\n");
    EXPECT_TRUE(log.lines("ERROR").empty());
}

TEST_F(AttrXml, RoundTripsInEveryForm) {
    AttributePtr tree = sampleTree();
    struct Form {
        const char* file;
        bool compressed;
        bool filePrint;
    } forms[] = {{"plain.xml", false, false}, {"print.xml", false, true}, {"packed.xml", true, false}};
    for (const Form& f : forms) {
        ASSERT_TRUE(saveDocument(f.file, tree, f.compressed, f.filePrint)) << f.file;
        AttributePtr back = loadDocument(f.file);
        expectSameTree(tree, back, f.file);
    }
    std::string packed = readFile("packed.xml");
    ASSERT_GE(packed.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x1f);  // gzip
    EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x8b);

    std::ostringstream stream;
    ASSERT_TRUE(saveDocumentToStream(stream, tree));
    EXPECT_EQ(stream.str().find('\n'), std::string::npos);  // the compact form
    EXPECT_EQ(stream.str(), readFile("plain.xml"));
    expectSameTree(tree, parseDocument(stream.str().c_str()));

    // The reader sees every value exactly as it was set.
    AttributePtr back = loadDocument("print.xml");
    EXPECT_EQ(stringValueOr(findAttribute(back, "C"), ""), "x & <y> \"z\"");
    std::u16string wide;
    ASSERT_TRUE(findAttribute(back, "w")->getValue(wide));
    EXPECT_EQ(wide, u"Hi");
    EXPECT_TRUE(log.lines("ERROR").empty());
}

TEST_F(AttrXml, PlainFileSearch) {
    AttributePtr tree = sampleTree();
    // Only the ".gz" file exists: the name without it finds it.
    ASSERT_TRUE(saveDocument("levels.xml.gz", tree, true, false));
    expectSameTree(tree, loadDocument("levels.xml"));
    // Backslashes and any letter case, as data files name each other.
    fs::create_directories("Data/XmlFiles");
    ASSERT_TRUE(saveDocument("Data/XmlFiles/media.xml", tree, false, true));
    expectSameTree(tree, loadDocument("data\\xmlfiles\\MEDIA.xml"));
    // A search list replaces the extension word by word, in the same folder.
    ASSERT_TRUE(saveDocument("Data/XmlFiles/font.second", tree, false, false));
    expectSameTree(tree, loadDocument("Data/XmlFiles/font.txt", "first, second"));
    EXPECT_TRUE(loadDocument("Data/XmlFiles/font.txt").isNull());
    EXPECT_TRUE(loadDocument("Data/XmlFiles/font.txt", "first third").isNull());
    EXPECT_TRUE(loadDocument("missing.xml", "").isNull());
    EXPECT_TRUE(loadDocument(static_cast<const char*>(nullptr)).isNull());
    // Missing files are an ordinary answer, not an error.
    EXPECT_TRUE(log.lines("ERROR").empty());
}

TEST_F(AttrXml, LookupHookComesFirst) {
    std::map<std::string, std::string> files = {
        {"levels/a.xml", "<root><object name=\"fromHook\"><integer name=\"n\" value=\"1\"/></object></root>"},
        {"inc.xml", "<root><object name=\"A\"><include file=\"res://part.xml\"/><integer name=\"n\" value=\"3\"/>"
                    "<include file=\"missing.xml\"/></object></root>"},
        {"part.xml", "<root><object name=\"P\"><string name=\"s\" value=\"from part\"/></object></root>"},
    };
    std::vector<std::string> asked;
    setFileLookup([&](const std::string& name, std::string& bytes) {
        asked.push_back(name);
        auto it = files.find(name);
        if (it == files.end()) return false;
        bytes = it->second;
        return true;
    });
    writeFile("levels/a.xml", "<root><object name=\"fromDisk\"/></root>");
    AttributePtr a = loadDocument("res://levels/a.xml");
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a->name(), "fromHook");
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked[0], "levels/a.xml");

    // Not in the hook: the plain file system answers.
    writeFile("disk.xml", "<root><object name=\"D\"/></root>");
    EXPECT_EQ(loadDocument("disk.xml")->name(), "D");
    EXPECT_EQ(loadDocument("res://disk.xml")->name(), "D");

    // An include takes its place under the included tree's own name; a missing one adds nothing.
    AttributePtr inc = loadDocument("inc.xml");
    ASSERT_FALSE(inc.isNull());
    ASSERT_EQ(childrenOf(inc)->size(), 2u);
    EXPECT_EQ(stringValueOr(findByPath(inc, parsePath("P.s")), ""), "from part");
    EXPECT_EQ(scalarValueOr(findAttribute(inc, "n"), 0), 3);

    setFileLookup(nullptr);
    EXPECT_EQ(loadDocument("levels/a.xml")->name(), "fromDisk");
}

TEST_F(AttrXml, IncludeFromPlainFiles) {
    writeFile("parts/p.xml", "<root><object name=\"P\"><integer name=\"k\" value=\"4\"/></object></root>");
    writeFile("main.xml", "<root><object name=\"M\"><include file=\"parts\\P.xml\"/></object></root>");
    AttributePtr m = loadDocument("main.xml");
    EXPECT_EQ(scalarValueOr(findByPath(m, parsePath("P.k")), 0), 4);
}

TEST_F(AttrXml, SelfAndMutualIncludesStop) {
    writeFile("self.xml", "<root><object name=\"S\"><include file=\"./SELF.xml\"/><integer name=\"n\" value=\"1\"/>"
                          "</object></root>");
    AttributePtr s = loadDocument("self.xml");
    ASSERT_FALSE(s.isNull());
    EXPECT_EQ(childrenOf(s)->size(), 1u);  // the self-include reads as empty
    EXPECT_EQ(log.lines("ERROR").size(), 1u);

    writeFile("a.xml", "<root><object name=\"A\"><include file=\"b.xml\"/></object></root>");
    writeFile("b.xml", "<root><object name=\"B\"><include file=\"a.xml\"/></object></root>");
    AttributePtr a = loadDocument("a.xml");
    ASSERT_FALSE(a.isNull());
    AttributePtr b = findAttribute(a, "B");
    ASSERT_FALSE(b.isNull());
    EXPECT_EQ(childrenOf(b)->size(), 0u);
    EXPECT_EQ(log.lines("ERROR").size(), 2u);

    // A chain of distinct files stops at the fixed depth.
    for (int i = 0; i < 30; ++i)
        writeFile("chain" + std::to_string(i) + ".xml", "<root><object name=\"c" + std::to_string(i) +
                                                            "\"><include file=\"chain" + std::to_string(i + 1) +
                                                            ".xml\"/></object></root>");
    AttributePtr chain = loadDocument("chain0.xml");
    int depth = 0;
    for (AttributePtr at = chain; !at.isNull(); ++depth) {
        auto it = attributesBegin(at);
        at = it == attributesEnd(at) ? AttributePtr() : it->second;
    }
    EXPECT_EQ(depth, kMaxIncludeDepth + 1);
    EXPECT_EQ(log.lines("ERROR").size(), 3u);
}

TEST_F(AttrXml, MalformedDocumentsReadAsEmpty) {
    std::string deep;
    for (int i = 0; i < kMaxElementDepth + 10; ++i) deep += "<object name=\"x\">";
    const std::string texts[] = {
        "",
        "garbage",
        "<root><object name=\"a\">",
        "<root><string name=\"s\" value=\"v\"/></root>",  // no object
        "<root/>",
        "<?xml version=\"1.0\"?>",
        "<root>" + deep + "</root>",
        "<root><object name=\"a\" value=\"unterminated/></root>",
    };
    size_t errors = 0;
    for (const std::string& text : texts) {
        EXPECT_TRUE(parseDocument(text.c_str()).isNull()) << text.substr(0, 60);
        EXPECT_GT(log.lines("ERROR").size(), errors) << text.substr(0, 60);
        errors = log.lines("ERROR").size();
    }
    EXPECT_TRUE(parseDocument(nullptr).isNull());

    // A zero-size file and files that are not regular files.
    writeFile("zero.xml", "");
    EXPECT_TRUE(loadDocument("zero.xml").isNull());
    EXPECT_GT(log.lines("ERROR").size(), errors);
    EXPECT_TRUE(loadDocument("/dev/zero").isNull());
    fs::create_directory("folder.xml");
    EXPECT_TRUE(loadDocument("folder.xml").isNull());
    // A file that claims to be gzip but is cut short.
    ASSERT_TRUE(saveDocument("cut.xml", sampleTree(), true, false));
    std::string packed = readFile("cut.xml");
    writeFile("cut.xml", packed.substr(0, packed.size() / 2));
    EXPECT_TRUE(loadDocument("cut.xml").isNull());
}

// UTF-8 texts (a byte-order mark or a declaration says so) that end inside a multi-byte
// sequence, each handed over ending right before an unreadable page: the reader stays inside the
// text. A document before such a tail is still read.
TEST_F(AttrXml, TextsEndingInsideAMultiByteSequenceAreReadWithinTheirEnd) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string doc = "<root><object name=\"a\"><integer name=\"n\" value=\"7\"/></object></root>";
    struct row {
        std::string text;
        bool read;
    };
    const row rows[] = {
        {bom + "<a>\xF0", false},  // the fuzzer's 7 bytes
        {bom + "<a b='\xF0", false},
        {bom + "<a>&\xF0", false},
        {bom + "<a>\xC3", false},
        {bom + "<a>\xE2\x82", false},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xF0\x9F\x98", false},
        {bom + doc + "\xF0", true},
        {bom + doc + "<!-- \xE2", true},
    };
    for (const row& r : rows) {
        const testsupport::GuardedText guarded(r.text);
        ASSERT_NE(guarded.c_str(), nullptr);
        const AttributePtr tree = parseDocument(guarded.c_str());
        EXPECT_EQ(!tree.isNull(), r.read) << testing::PrintToString(r.text);
        if (r.read) {
            const AttributePtr n = findAttribute(tree, "n");
            ASSERT_FALSE(n.isNull());
            EXPECT_EQ(n->valueAsString(), "7");
        }
    }
}

TEST_F(AttrXml, ElementRules) {
    AttributePtr top = parseDocument(
        "<anyroot><!-- a comment -->text<object name=\"T\">"
        "<integer name=\"dup\" value=\"1\"/><string name=\"dup\" value=\"second\"/>"
        "<mystery name=\"m\"><integer name=\"inside\" value=\"5\"/></mystery>"
        "<integer value=\"7\"/><string name=\"novalue\"/><object name=\"o\" value=\"ignored\"/>"
        "<include/>"
        "</object><object name=\"second\"/></anyroot>");
    ASSERT_FALSE(top.isNull());
    EXPECT_EQ(top->name(), "T");
    EXPECT_EQ(scalarValueOr(findAttribute(top, "dup"), 0), 1);  // the first of equal names stays
    EXPECT_TRUE(findAttribute(top, "m").isNull());             // unknown element and its children
    EXPECT_TRUE(findAttribute(top, "inside").isNull());
    EXPECT_EQ(scalarValueOr(findAttribute(top, ""), 0), 7);     // no name: an empty name
    AttributePtr nv = findAttribute(top, "novalue");
    ASSERT_FALSE(nv.isNull());
    EXPECT_EQ(stringValueOr(nv, "d"), "");                      // no value: an empty text
    EXPECT_EQ(findAttribute(top, "o")->typeId(), TYPE_OBJECT);
    EXPECT_EQ(childrenOf(top)->size(), 4u);
    // Unknown element, missing name, missing value, include without file.
    EXPECT_EQ(log.lines("ERROR").size(), 4u);
    EXPECT_EQ(log.lines("WARNING").size(), 1u);  // the duplicate

    EXPECT_TRUE(readElement(nullptr).isNull());
    TiXmlElement unknown("nothing");
    EXPECT_TRUE(readElement(&unknown).isNull());
}

TEST_F(AttrXml, FailedSavesKeepTheOldFile) {
    AttributePtr tree = sampleTree();
    ASSERT_TRUE(saveDocument("profile.prof", tree, false, true));
    std::string before = readFile("profile.prof");

    EXPECT_FALSE(saveDocument("profile.prof", emptyAttribute(), false, true));
    EXPECT_EQ(readFile("profile.prof"), before);

    // The target is a folder: the rename cannot replace it and nothing is left beside it.
    fs::create_directories("taken.prof/inside");
    EXPECT_FALSE(saveDocument("taken.prof", tree, false, true));
    EXPECT_FALSE(saveDocument("taken.prof", tree, true, false));
    EXPECT_TRUE(fs::is_directory("taken.prof/inside"));
    // The folder does not exist (a file stands in its way).
    EXPECT_FALSE(saveDocument("profile.prof/sub.prof", tree, false, false));
    EXPECT_EQ(readFile("profile.prof"), before);

    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 3);  // profile.prof, taken.prof, attr.log: no temporary files left
    EXPECT_EQ(log.lines("ERROR").size(), 4u);
}

}  // namespace
