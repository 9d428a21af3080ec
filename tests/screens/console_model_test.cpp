// The console's parts on their own: the input line edited by code point, the history and its
// file, the panel's window of nine entries.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/log_stream.h"
#include "screens/console_completion.h"
#include "screens/console_history.h"
#include "screens/console_line.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

bool isValidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// "aé€😀b": one, two, three and four bytes per character.
const std::vector<std::string> kMixed = {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "b"};

std::string joined(const std::vector<std::string>& characters, size_t count) {
    std::string out;
    for (size_t i = 0; i < count && i < characters.size(); ++i) out += characters[i];
    return out;
}

TEST(ConsoleLine, EveryEditAtEveryPositionOfANonAsciiLineKeepsWholeCharacters) {
    // Each edit on the line, and the same edit on a list of whole characters with the cursor as
    // a character index.
    struct Case {
        const char* edit;
        void (*apply)(ConsoleLine&);
        void (*model)(std::vector<std::string>&, size_t&);
    };
    const Case cases[] = {
        {"backspace", [](ConsoleLine& l) { l.backspace(); },
         [](std::vector<std::string>& c, size_t& at) {
             if (at > 0) c.erase(c.begin() + static_cast<long>(--at));
         }},
        {"delete", [](ConsoleLine& l) { l.deleteForward(); },
         [](std::vector<std::string>& c, size_t& at) {
             if (at < c.size()) c.erase(c.begin() + static_cast<long>(at));
         }},
        {"left", [](ConsoleLine& l) { l.left(); }, [](std::vector<std::string>&, size_t& at) { at -= at > 0; }},
        {"right", [](ConsoleLine& l) { l.right(); },
         [](std::vector<std::string>& c, size_t& at) { at += at < c.size(); }},
        {"type \xC3\xB6", [](ConsoleLine& l) { l.insert("\xC3\xB6", true); },
         [](std::vector<std::string>& c, size_t& at) { c.insert(c.begin() + static_cast<long>(at++), "\xC3\xB6"); }},
        {"paste \xC3\x9F", [](ConsoleLine& l) { l.insert("\xC3\x9F", false); },
         [](std::vector<std::string>& c, size_t& at) { c.insert(c.begin() + static_cast<long>(at), "\xC3\x9F"); }},
        {"home", [](ConsoleLine& l) { l.home(); }, [](std::vector<std::string>&, size_t& at) { at = 0; }},
        {"end", [](ConsoleLine& l) { l.end(); }, [](std::vector<std::string>& c, size_t& at) { at = c.size(); }},
    };
    for (const Case& c : cases) {
        for (size_t position = 0; position <= kMixed.size(); ++position) {
            SCOPED_TRACE(std::string(c.edit) + " at character " + std::to_string(position));
            ConsoleLine line;
            line.set(joined(kMixed, kMixed.size()));
            line.home();
            for (size_t i = 0; i < position; ++i) line.right();
            ASSERT_EQ(line.cursor(), joined(kMixed, position).size()) << "right moves by whole characters";
            c.apply(line);
            std::vector<std::string> characters = kMixed;
            size_t at = position;
            c.model(characters, at);
            EXPECT_TRUE(isValidUtf8(line.text()));
            EXPECT_EQ(line.text(), joined(characters, characters.size()));
            EXPECT_EQ(line.cursor(), joined(characters, at).size());
            EXPECT_EQ(line.characterCount(), characters.size());
        }
    }
}

TEST(ConsoleLine, TheLineIsCappedAndHoldsOneLineOfValidText) {
    struct Case {
        const char* what;
        std::string text;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"first line only", "print(1)\r\nprint(2)", "print(1)"},
        {"line feed", "abc\ndef", "abc"},
        {"stray bytes read as Windows-1252", "caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"a sequence cut short", "x\xE2\x82", "x\xC3\xA2\xE2\x80\x9A"},
        {"plain", "d_DebugMode 1", "d_DebugMode 1"},
    };
    for (const Case& c : cases) {
        ConsoleLine line;
        line.set(c.text);
        EXPECT_EQ(line.text(), c.line) << c.what;
        EXPECT_EQ(line.cursor(), c.line.size()) << c.what;
    }

    ConsoleLine line;
    std::string euros;
    for (int i = 0; i < 1030; ++i) euros += "\xE2\x82\xAC";
    line.set(euros);
    EXPECT_EQ(line.characterCount(), ConsoleLine::kMaxCharacters);
    EXPECT_EQ(line.text().size(), 3 * ConsoleLine::kMaxCharacters);
    line.insert("x", true);
    EXPECT_EQ(line.characterCount(), ConsoleLine::kMaxCharacters) << "a full line takes nothing more";

    line.clear();
    line.insert(std::string(1000, 'a'), true);
    line.home();
    line.insert(std::string(50, 'b') + "\nrest", false);
    EXPECT_EQ(line.characterCount(), 1024u);
    EXPECT_EQ(line.text(), std::string(24, 'b') + std::string(1000, 'a')) << "the insert fills the room left";
    EXPECT_EQ(line.cursor(), 0u) << "a paste leaves the cursor before it";
}

std::vector<std::string> g_lines;
void observe(const std::string& line) { g_lines.push_back(line); }
int warnings() {
    int count = 0;
    for (const std::string& line : g_lines)
        if (line.find("\tWARNING\t") != std::string::npos) ++count;
    return count;
}

class ConsoleHistoryFile : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    void SetUp() override {
        Tov::LogStream::setFile((dir.path() / "megalog.log").string(), false);
        g_lines.clear();
        Tov::LogStream::setObserver(&observe);
    }
    void TearDown() override { Tov::LogStream::setObserver(nullptr); }
};

TEST_F(ConsoleHistoryFile, TheSettingNamesAFileInTheGivenFolderOnly) {
    EXPECT_EQ(ConsoleHistory::resolve("/home/ann/orlimand/profiles", "data\\console.log"),
              "/home/ann/orlimand/profiles/console.log");
    EXPECT_EQ(ConsoleHistory::resolve("p", "..\\..\\etc/history"), "p/history");
    EXPECT_EQ(ConsoleHistory::resolve("p", "console.log"), "p/console.log");
    EXPECT_EQ(ConsoleHistory::resolve("p", "data\\"), "") << "no file name: no file";
    EXPECT_EQ(ConsoleHistory::resolve("p", ".."), "");
}

TEST_F(ConsoleHistoryFile, LinesAreReadAtStartAndAppendedOnceEach) {
    const fs::path file = dir.path() / "console.log";
    testsupport::writeFile(file, "first\nsecond\n\nthird\n");
    ConsoleHistory history;
    history.load(file.string());
    EXPECT_EQ(history.entries(), (std::vector<std::string>{"first", "second", "", "third"}));
    EXPECT_EQ(history.index(), 4) << "past the last entry";

    EXPECT_FALSE(history.add("third", false)) << "the same line as the last";
    EXPECT_TRUE(history.add("second", false)) << "a repeat further back";
    EXPECT_FALSE(history.add("first", true)) << "unique: anywhere in the history";
    EXPECT_TRUE(history.add("fourth", true));
    EXPECT_EQ(history.index(), 6);
    EXPECT_EQ(testsupport::readFile(file), "first\nsecond\n\nthird\nsecond\nfourth\n");

    ConsoleHistory again;
    again.load(file.string());
    EXPECT_EQ(again.entries(), history.entries());
    EXPECT_EQ(warnings(), 0);
}

TEST_F(ConsoleHistoryFile, MissingTruncatedAndHugeFiles) {
    ConsoleHistory history;
    history.load((dir.path() / "none.log").string());
    EXPECT_TRUE(history.empty());
    EXPECT_EQ(history.index(), 0);

    testsupport::writeFile(dir.path() / "last.log", "a\nb");
    history.load((dir.path() / "last.log").string());
    EXPECT_EQ(history.entries(), (std::vector<std::string>{"a", "b"})) << "a last line without its end";

    // Past the limit only the end is read, from the first whole line on.
    std::string big = "cut-away\n";
    while (big.size() < ConsoleHistory::kMaxFileBytes + 100) big += "0123456789abcdef\n";
    big += "newest\n";
    testsupport::writeFile(dir.path() / "big.log", big);
    history.load((dir.path() / "big.log").string());
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history.entries().back(), "newest");
    EXPECT_EQ(history.entries().front(), "0123456789abcdef");
    EXPECT_LE(history.size(), ConsoleHistory::kMaxFileBytes / 17 + 1);
}

TEST_F(ConsoleHistoryFile, AnUnwritableHistoryWarnsOnceAndKeepsTheLinesInMemory) {
    // A folder where the file should be: every append fails.
    fs::create_directories(dir.path() / "console.log");
    ConsoleHistory history;
    history.load((dir.path() / "console.log").string());
    EXPECT_TRUE(history.add("one", false));
    EXPECT_TRUE(history.add("two", false));
    EXPECT_TRUE(history.add("three", false));
    EXPECT_EQ(history.size(), 3u);
    EXPECT_EQ(warnings(), 1);
}

TEST(ConsolePanel, NineEntriesAroundTheSelectionWhichStaysOnTheList) {
    std::vector<std::string> list;
    for (int i = 0; i < 12; ++i) list.push_back("e" + std::to_string(i));
    struct Step {
        int selection;
        int clamped;
        int top;
        std::string first;  // the first shown line
    };
    const Step steps[] = {
        {0, 0, 0, ">>>   e0"},  {8, 8, 0, "e0"},  {9, 9, 1, "e1"},   {11, 11, 3, "e3"},
        {40, 11, 3, "e3"},      {4, 4, 3, "e3"},  {2, 2, 2, ">>>   e2"}, {-5, 0, 0, ">>>   e0"},
    };
    ConsolePanelWindow window;
    std::string text;
    for (const Step& s : steps) {
        int selection = s.selection;
        window.layout(list, selection, text);
        SCOPED_TRACE("selection " + std::to_string(s.selection));
        EXPECT_EQ(selection, s.clamped);
        EXPECT_EQ(window.top(), s.top);
        EXPECT_EQ(text.substr(0, text.find('\n')), s.first);
        int shown = 0;
        for (char c : text) shown += c == '\n';
        EXPECT_EQ(shown, 9);
        EXPECT_NE(text.find(">>>   e" + std::to_string(s.clamped) + "\n"), std::string::npos);
    }

    // Below nine entries the selection still stays within the list.
    const std::vector<std::string> three = {"a", "b", "c"};
    ConsolePanelWindow small;
    int selection = 7;
    small.layout(three, selection, text);
    EXPECT_EQ(selection, 2);
    EXPECT_EQ(text, "a\nb\n>>>   c\n");
    const std::vector<std::string> none;
    selection = 3;
    small.layout(none, selection, text);
    EXPECT_EQ(selection, 0);
    EXPECT_EQ(text, "");
}

}  // namespace
