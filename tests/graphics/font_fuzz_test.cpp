// Runs the font description fuzz entry over a corpus made here: descriptions of both glyph
// layouts, each cut short at every length and with bytes changed through it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/log_stream.h"
#include "tests/graphics/font_fuzz.h"
#include "tests/support/temp_dir.h"

namespace {

int run(const std::string& input) {
    return fonttest::readFontBytes(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

}  // namespace

TEST(FontFuzz, CorpusRunsClean) {
    testsupport::TempDir dir;
    Tov::LogStream::setFile((dir.path() / "fuzz.log").string(), false);
    const std::string six =
        "<root><object name=\"Six\"><string name=\"TextureSize\" value=\"128|64\"/>"
        "<boolean name=\"NeedFilter\" value=\"true\"/><integer name=\"FontHeight\" value=\"12\"/>"
        "<object name=\"Symbols\"><string name=\"65\" value=\"0|0|8|12|1|2\"/>"
        "<string name=\"95\" value=\"8|10|6|2|0|1\"/><string name=\"66\" value=\"16|0|16384|12|16384|16384\"/>"
        "</object></object></root>";
    const std::string seven =
        "<root><object name=\"Seven\"><string name=\"TextureSize\" value=\"64|64\"/>"
        "<string name=\"TexFormat\" value=\"\"/><object name=\"Symbols\">"
        "<string name=\"32\" value=\"0|0|4|4|0|0|5\"/><string name=\"200\" value=\"4|0|9|9|-2|3|16384\"/>"
        "<string name=\"-7\" value=\"1|1|1|1|1|1|1|99\"/></object></object></root>";
    EXPECT_EQ(run(six), 3);
    EXPECT_EQ(run(seven), 3);
    EXPECT_EQ(run(""), -1);
    std::mt19937 rng(5);
    for (const std::string& seed : {six, seven}) {
        for (size_t cut = 0; cut < seed.size(); ++cut) run(seed.substr(0, cut));
        for (int i = 0; i < 300; ++i) {
            std::string changed = seed;
            for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n)
                changed[rng() % changed.size()] = "0123456789|-\"<>/ 9"[rng() % 18];
            run(changed);
        }
    }
}
