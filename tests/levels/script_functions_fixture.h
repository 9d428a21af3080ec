#pragma once
// The demo room as the current level with the elements "cup" (clip "cup_1") and "book" (clip
// "book") bound by hand, the console's lines captured, and Lua helpers that read what a script
// call leaves behind.
#include <string>
#include <vector>

#include "script/console_sink.h"
#include "tests/levels/level_fixture.h"

namespace leveltest {

class ConsoleCapture : public script::ConsoleSink {
public:
    void print(const char* line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

class ScriptFunctionTest : public CupTest {
protected:
    void SetUp() override {
        CupTest::SetUp();
        book = new BaseElement(BaseElement::kKindHidden, "book", "");
        book->setCharacter(clip(room, "book"));
        room->addElement(book);
        m_previousSink = script::consoleSink();
        script::setConsoleSink(&console);
    }
    void TearDown() override {
        script::setConsoleSink(m_previousSink);
        CupTest::TearDown();
    }
    flash::sprite_instance* sprite(const std::string& name) {
        return flash::cast_to<flash::sprite_instance>(clip(room, name));
    }
    // The number of values a call pushes and the first of them as text.
    std::pair<int, std::string> results(const std::string& call) {
        EXPECT_EQ(runLua("local function pack(...) return {n = select('#', ...), ...} end test_values = pack(" + call + ")"), 0)
            << call;
        return {std::stoi(luaString("test_values.n")), luaString("test_values[1]")};
    }

    BaseElement* book = nullptr;
    ConsoleCapture console;

private:
    script::ConsoleSink* m_previousSink = nullptr;
};

}  // namespace leveltest
