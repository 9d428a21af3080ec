// The script fuzz programs run on the game's own state with the demo room as the current level:
// every registered game function, class method and property is called with hostile values and
// with the room's own clip and element names, while the host deletes and remakes the room, takes
// it away and steps it between the calls. A libFuzzer target (levels_script_fuzz) and, in the
// ordinary tests, a run over seeds; TOV_FUZZ_SECONDS runs random programs for that long.
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/game_layers.h"
#include "core/attr_xml.h"
#include "flash/movie/player.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "levels/level_factory.h"
#include "script/script_binding.h"
#include "script/script_core.h"
#include "script/script_timers.h"
#include "tests/script/script_fuzz.h"
#include "tests/support/demo_game.h"
#include "tests/support/fuzz_target.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

class FuzzLevel : public BaseLevel {
public:
    using BaseLevel::BaseLevel;
};

// Names the room knows, so calls reach its clips, elements and minilevel.
const char* const kNames[] = {"cup_1", "book",  "curtain", "door",      "drawer",     "vase_sz", "LevelArea",
                              "closeup", "key", "fireplace", "ZoomOutBtn", "clickarea", "bird",    "room"};

BaseLevel* makeLevel(const std::string& name, BaseLevel* parent) {
    auto* level = new FuzzLevel(parent);
    if (!level->initElements(Attr::loadDocument(name + ".xml"))) {
        delete level;
        return nullptr;
    }
    return level;
}

// The room as the level manager's current level; its elements bound to their clips as a
// hidden-object scene binds them, and two more of the room's objects made elements.
class FuzzRoom : public app::LevelControl {
public:
    app::GameLevel* getCurrentLevel(bool) override { return m_shown ? m_room.get() : nullptr; }

    void make() {
        m_room.reset();
        collect();
        m_room.reset(makeLevel("room", nullptr));
        if (!m_room) return;
        for (const char* name : {"cup_1", "book"}) m_room->addElement(new BaseElement(BaseElement::kKindHidden, name, ""));
        for (BaseElement* element : m_room->getElements())
            element->setCharacter(m_room->findCharacter(element->getName(), true));
        m_room->startChapter();
    }
    void drop() {
        m_room.reset();
        collect();
    }
    bool made() const { return m_room != nullptr; }
    void step(lua_State* L, uint8_t choice) {
        switch (choice % 9) {
            case 0: make(); break;
            case 1: drop(); break;
            case 2: m_shown = !m_shown; break;
            case 3:
                if (m_room) m_room->update(choice / 64.0f);
                break;
            case 4:
                if (m_room) m_room->onMouse(choice * 4, choice * 3, choice % 2);
                break;
            case 5:
                if (m_room) {
                    ScriptBinding::push(L, static_cast<BaseLevel*>(m_room.get()));
                    scriptfuzz::setPoolSlot(L, choice % scriptfuzz::kPoolSize + 1);
                }
                break;
            case 6:
                if (m_room && !m_room->getElements().empty()) {
                    ScriptBinding::push(L, m_room->getElements()[choice % m_room->getElements().size()]);
                    scriptfuzz::setPoolSlot(L, choice % scriptfuzz::kPoolSize + 1);
                }
                break;
            case 7:
                // The close-up opened or left, so the deep lookups reach it.
                if (BaseLevel* closeup = m_room ? m_room->getMinilevel(0) : nullptr) {
                    if (choice & 0x10)
                        closeup->enterMinilevel();
                    else
                        closeup->onLeave();
                }
                break;
            default:
                lua_pushstring(L, kNames[choice % std::size(kNames)]);
                scriptfuzz::setPoolSlot(L, choice % scriptfuzz::kPoolSize + 1);
                break;
        }
    }

private:
    // What a frame's advance would do: the clips of the movies let go are collected.
    static void collect() {
        if (Application* app = Application::instance())
            if (flash::player* player = app->player()) {
                player->set_as_garbage();
                player->clear_garbage();
            }
    }
    std::unique_ptr<BaseLevel> m_room;
    bool m_shown = true;
};

// One room for every program (loading it is the slow part); programs remake it themselves.
FuzzRoom& fuzzRoom() {
    static FuzzRoom room;
    return room;
}

void hostStep(lua_State* L, uint8_t choice) { fuzzRoom().step(L, choice); }

void runOnRoom(const uint8_t* data, size_t size) {
    ScriptTimerManager* timers = ScriptTimerManager::instance();
    lua_State* L = currentScriptState();
    if (!timers || !L) return;
    FuzzRoom& room = fuzzRoom();
    app::LevelControl* previous = app::levelControl();
    app::setLevelControl(&room);
    levels::setLevelFactory({&makeLevel, {}});
    if (!room.made()) room.make();
    scriptfuzz::runProgram(L, *timers, data, size, &hostStep);
    levels::setLevelFactory({});
    app::setLevelControl(previous);
}

#ifdef TOV_FUZZ_MAIN
// The fuzzer runs the game once, on a copy of the demo chapter.
void startGameOnce() { static testsupport::DemoGame game; }
#endif

}  // namespace

TOV_FUZZ_TARGET(startGameOnce(); runOnRoom(data, size))

#ifndef TOV_FUZZ_MAIN
#include <gtest/gtest.h>

namespace {

constexpr int kRandomSeeds = 80;
constexpr size_t kSeedLength = 300;

std::vector<uint8_t> randomProgram(uint32_t& state, size_t length) {
    std::vector<uint8_t> program(length);
    for (uint8_t& byte : program) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return program;
}

TEST(ScriptFunctionsFuzz, SeedsRunCleanOnTheDemoRoom) {
    testsupport::DemoGame demo;
    ASSERT_TRUE(demo.started);
    // Every step kind with each host step, then programs of every operation on a room name.
    for (int op = 0; op < 256; ++op) {
        const std::vector<uint8_t> seed{9, static_cast<uint8_t>(op + 7), 9, 5, static_cast<uint8_t>(op), 0,
                                        static_cast<uint8_t>(op), static_cast<uint8_t>(op * 5), 1, 2, 3, 9, 3, 9, 1};
        runOnRoom(seed.data(), seed.size());
    }
    uint32_t state = 2024;
    for (int i = 0; i < kRandomSeeds; ++i) {
        const std::vector<uint8_t> program = randomProgram(state, kSeedLength);
        runOnRoom(program.data(), program.size());
    }
    // A long run by hand: TOV_FUZZ_SECONDS=600.
    if (const char* seconds = std::getenv("TOV_FUZZ_SECONDS")) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(seconds));
        long programs = 0;
        while (std::chrono::steady_clock::now() < end) {
            const std::vector<uint8_t> program = randomProgram(state, kSeedLength * 2);
            runOnRoom(program.data(), program.size());
            ++programs;
        }
        std::printf("ran %ld programs\n", programs);
    }
    EXPECT_NE(currentScriptState(), nullptr);
    fuzzRoom().drop();
    demo.game->shutdown();
}

}  // namespace
#endif
