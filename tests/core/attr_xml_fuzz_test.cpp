// Runs the XML reader's fuzz entry over a corpus made here: valid documents of every element
// form, then every prefix of one and bytes flipped through it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/core/attr_test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int run(const std::string& input) {
    return LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

TEST(AttrXmlFuzz, CorpusRunsClean) {
    testsupport::TempDir dir;
    attrtest::LogCapture log(dir);
    const std::string full =
        "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n    <object name=\"A\">\n"
        "        <binary name=\"b\" value=\"YWJj\" />\n        <boolean name=\"t\" value=\"true\" />\n"
        "        <widestring name=\"w\" value=\"SABpAA==\" />\n        <float name=\"f\" value=\"1,5\" />\n"
        "        <string name=\"s\" value=\"&lt;&amp;&#x41;\" />\n        <include file=\"self.xml\" />\n"
        "        <include file=\"SELF2.xml\" />\n        <include file=\"other.xml\" />\n"
        "        <object name=\"o\"><integer name=\"i\" value=\"-3\" /><!-- c --><![CDATA[x]]></object>\n"
        "    </object>\n</root>\n";
    std::vector<std::string> corpus = {"", "<", "<root>", "<root><object name='x'/></root>", full};
    // UTF-8 texts ending inside a multi-byte sequence (the entry ends them at an unreadable page).
    for (const char* tail : {"\xC3", "\xE2\x82", "\xF0", "\xF0\x9F\x98"}) {
        for (const std::string head : {"\xEF\xBB\xBF<a>", "\xEF\xBB\xBF<a b='", "\xEF\xBB\xBF<a>&", "\xEF\xBB\xBF",
                                       "<?xml version=\"1.0\"?><a>", "\xEF\xBB\xBF<!-- "})
            corpus.push_back(head + tail);
    }
    for (size_t cut = 0; cut < full.size(); cut += 3) corpus.push_back(full.substr(0, cut));
    for (size_t at = 0; at < full.size(); at += 5) {
        for (char c : {'<', '>', '/', '"', '\0', '&', '\xff'}) {
            std::string mutated = full;
            mutated[at] = c;
            corpus.push_back(mutated);
        }
    }
    std::string nested = "<root>";
    for (int i = 0; i < 2000; ++i) nested += "<object name=\"n\">";
    corpus.push_back(nested);
    for (const std::string& input : corpus) EXPECT_EQ(run(input), 0);
}

}  // namespace
