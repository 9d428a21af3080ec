#pragma once
// The game started once per test program on a copy of the demo chapter, with the pieces the level
// base reaches through its entries filled by small test kinds: levels made from the chapter's
// descriptions (or hand-made ones) as `TestLevel`s, a current level, and a recorder in place of
// the media center.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/game_layers.h"
#include "app/game_timers.h"
#include "core/attr_xml.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "levels/level_factory.h"
#include "levels/level_sound.h"
#include "script/script_core.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace leveltest {

namespace fs = std::filesystem;

// The test kind: complete when told, and remembers the thread it was made on.
class TestLevel : public BaseLevel {
public:
    explicit TestLevel(BaseLevel* parent) : BaseLevel(parent), madeOn(std::this_thread::get_id()) {}
    bool handleEvent(flash::character* ch, int eventCode) override {
        events.push_back({ch, eventCode});
        return BaseLevel::handleEvent(ch, eventCode) || takesEvents;
    }
    bool isComplete() override { return complete; }
    bool onMouse(int x, int y, int buttons) override {
        ++mouseCalls;
        return BaseLevel::onMouse(x, y, buttons);
    }
    bool onInputEvent(InputEvent* event) override {
        ++inputCalls;
        return BaseLevel::onInputEvent(event);
    }
    void noop(void*) {}
    using BaseLevel::setFlag;

    const std::thread::id madeOn;
    std::vector<std::pair<flash::character*, int>> events;
    bool takesEvents = false;
    bool complete = false;
    int mouseCalls = 0;
    int inputCalls = 0;
};

struct SoundCall {
    std::string name;
    bool loop;
    bool operator==(const SoundCall& o) const { return name == o.name && loop == o.loop; }
};

class CurrentLevel : public app::LevelControl {
public:
    app::GameLevel* getCurrentLevel(bool) override { return level; }
    BaseLevel* level = nullptr;
};

// A hand-made description of a level (the inner XML of its top object).
inline Attr::AttributePtr description(const std::string& name, const std::string& inner) {
    const std::string text = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"" + name + "\">\n" +
                             inner + "</object>\n</root>\n";
    return Attr::parseDocument(text.c_str());
}

inline std::string stringKey(const std::string& name, const std::string& value) {
    return "<string name=\"" + name + "\" value=\"" + value + "\" />\n";
}

inline std::string list(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string inner;
    for (const auto& [key, value] : entries) inner += stringKey(key, value);
    return "<object name=\"" + name + "\">\n" + inner + "</object>\n";
}

class LevelGame : public ::testing::Environment {
public:
    static LevelGame* instance() { return s_instance; }

    void SetUp() override {
        s_instance = this;
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", m_dir.path(), fs::copy_options::recursive);
        m_game = std::make_unique<testsupport::GameFixture>(m_dir.path(), 100);
        ASSERT_TRUE(m_game->start());
    }
    void TearDown() override {
        m_game->shutdown();
        m_game.reset();
        s_instance = nullptr;
    }

    testsupport::GameFixture& game() { return *m_game; }
    const fs::path& folder() const { return m_dir.path(); }

private:
    static inline LevelGame* s_instance = nullptr;
    testsupport::TempDir m_dir{false};
    std::unique_ptr<testsupport::GameFixture> m_game;
};

// One start of the game for the whole test program.
inline ::testing::Environment* const kLevelGame = ::testing::AddGlobalTestEnvironment(new LevelGame);

// Each test: the entries filled, the timers empty, the log's length marked.
class LevelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(LevelGame::instance(), nullptr);
        app::setLevelControl(&current);
        levels::setLevelFactory({[this](const std::string& name, BaseLevel* parent) { return make(name, parent); },
                                 [this](BaseLevel* level) {
                                     ++destroyed;
                                     delete level;
                                 }});
        levels::setSoundPlayer({[this](const std::string& name, bool loop) {
                                    sounds.push_back({name, loop});
                                    return static_cast<int>(sounds.size());
                                },
                                [this](int slot) { stopped.push_back(slot); }});
        if (GameTimerManager* timers = GameTimerManager::instance()) timers->clear();
        m_logMark = LevelGame::instance()->game().log().size();
    }
    void TearDown() override {
        for (BaseLevel* level : owned) delete level;
        owned.clear();
        app::setLevelControl(nullptr);
        levels::setLevelFactory({});
        levels::setSoundPlayer({});
    }

    // The factory: the named level of the chapter (or of `descriptions`) as a TestLevel.
    BaseLevel* make(const std::string& name, BaseLevel* parent) {
        made.push_back(name);
        auto found = descriptions.find(name);
        Attr::AttributePtr tree = found != descriptions.end() ? found->second : Attr::loadDocument(name + ".xml");
        auto* level = new TestLevel(parent);
        if (!level->initElements(tree)) {
            delete level;
            return nullptr;
        }
        return level;
    }

    // A top level from the chapter's description (or a hand-made one); the test deletes it at its end.
    TestLevel* topLevel(const std::string& name, const Attr::AttributePtr& tree = Attr::AttributePtr()) {
        auto* level = new TestLevel(nullptr);
        owned.push_back(level);
        EXPECT_TRUE(level->initElements(tree ? tree : Attr::loadDocument(name + ".xml"))) << name;
        return level;
    }
    void release(BaseLevel* level) {
        owned.erase(std::remove(owned.begin(), owned.end(), level), owned.end());
        delete level;
    }

    std::string logSince() const { return LevelGame::instance()->game().log().substr(m_logMark); }
    static size_t count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
        return n;
    }
    static int runLua(const std::string& text) { return runScriptBuffer(text.c_str(), text.size(), "test"); }
    static std::string luaString(const std::string& expression) {
        runLua("test_value = tostring(" + expression + ")");
        lua_State* L = currentScriptState();
        lua_getglobal(L, "test_value");
        std::string value = lua_tostring(L, -1) ? lua_tostring(L, -1) : "";
        lua_pop(L, 1);
        return value;
    }
    static flash::character* clip(BaseLevel* level, const std::string& name) { return level->findCharacter(name, true); }

    CurrentLevel current;
    std::map<std::string, Attr::AttributePtr> descriptions;
    std::vector<std::string> made;
    std::vector<SoundCall> sounds;
    std::vector<int> stopped;
    std::vector<BaseLevel*> owned;
    int destroyed = 0;

private:
    size_t m_logMark = 0;
};

}  // namespace leveltest
