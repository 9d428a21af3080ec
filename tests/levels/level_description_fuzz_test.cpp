// Level descriptions from arbitrary bytes: read as an attribute document and set up as a level on
// the demo chapter (the room's movie among those it may name), then stepped; as a libFuzzer
// target (levels_description_fuzz) and, in the ordinary tests, over seeds.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/application.h"
#include "core/attr_xml.h"
#include "flash/movie/player.h"
#include "core/attr_access.h"
#include "levels/base_level.h"
#include "levels/hidden_level.h"
#include "levels/letters_level.h"
#include "levels/level_factory.h"
#include "levels/puzzle_level.h"
#include "levels/rotator_level.h"
#include "tests/support/demo_game.h"
#include "tests/support/fuzz_target.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

class FuzzLevel : public BaseLevel {
public:
    using BaseLevel::BaseLevel;
};

// Minilevels named by the input play inside their parent's movie with no lists of their own.
BaseLevel* makeMinilevel(const std::string& name, BaseLevel* parent) {
    auto* level = new FuzzLevel(parent);
    (void)name;
    const char* const text = "<root><object name=\"m\"/></root>";
    if (!level->initElements(Attr::parseDocument(text))) {
        delete level;
        return nullptr;
    }
    return level;
}

void readDescription(const uint8_t* data, size_t size) {
    levels::setLevelFactory({&makeMinilevel, {}});
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Attr::AttributePtr tree = Attr::parseDocument(text.c_str());
    {
        // The minigame kinds by the description's "Type"; any other is the level base alone.
        const std::string type = Attr::stringValueOr(Attr::findAttribute(tree, "Type"), std::string());
        std::unique_ptr<BaseLevel> level;
        if (type == "letters")
            level = std::make_unique<LettersLevel>(nullptr);
        else if (type == "puzzle")
            level = std::make_unique<PuzzleLevel>(nullptr);
        else if (type == "rotator")
            level = std::make_unique<RotatorLevel>(nullptr);
        else
            level = std::make_unique<FuzzLevel>(nullptr);
        if (level->initElements(tree)) {
            level->restart();
            level->update(0.1f);
            level->onMouse(100, 100, 1);
            // A press on every element's clip, as a player would make them.
            for (BaseElement* element : std::vector<BaseElement*>(level->getElements()))
                if (flash::character* ch = element->getCharacter()) level->onEvent(ch, 1);
            level->update(0.1f);
            level->skip();
            level->forceWin();
            level->update(0.1f);
            level->onEndLevel();
        }
    }
    // The same description as a hidden-object scene: its groups, clips, presses and completion.
    {
        HiddenLevel level(nullptr);
        if (level.initElements(tree)) {
            level.restart();
            for (size_t i = 0; i < level.getElements().size(); ++i) {
                flash::character* clip = level.getElements()[i]->getCharacter();
                for (int event : {4, 1, 5}) level.handleEvent(clip, event);
            }
            level.update(0.1f);
            level.hint();
            level.toggleLabels();
            level.forceWin();
            level.isComplete();
            level.update(0.1f);
            level.onEndLevel();
        }
    }
    // What a frame's advance would do: the clips of the movies let go are collected.
    if (Application* app = Application::instance()) {
        if (flash::player* player = app->player()) {
            player->set_as_garbage();
            player->clear_garbage();
        }
    }
    levels::setLevelFactory({});
}

#ifdef TOV_FUZZ_MAIN
// The fuzzer runs the game once, on a copy of the demo chapter.
void startGameOnce() { static testsupport::DemoGame game; }
#endif

}  // namespace

TOV_FUZZ_TARGET(startGameOnce(); readDescription(data, size))

#ifndef TOV_FUZZ_MAIN
#include "app/game_timers.h"
#include "tests/levels/level_fixture.h"

namespace leveltest {
namespace {

using DescriptionFuzzSeeds = LevelTest;

std::string document(const std::string& inner) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"fz\">\n" + inner + "</object>\n</root>\n";
}

TEST_F(DescriptionFuzzSeeds, DescriptionsOfAnyShapeSetUpOrFailWithoutHarm) {
    std::string manyDoors, manyEffects;
    for (int i = 0; i < 40; ++i) {
        manyDoors += stringKey("d" + std::to_string(i), i % 2 ? "" : "fz");
        manyEffects += stringKey("cup_" + std::to_string(i % 3), i % 2 ? "test" : "nosuch");
    }
    const std::string room = stringKey("FileName", "room.swf");
    const std::string longWord = stringKey("FinalWord", std::string(300, 'O')) + stringKey("StartWord", std::string(300, 'O'));
    const std::string seeds[] = {
        "",
        "<root/>",
        "<root><object name=\"\"/></root>",
        document(""),
        document(room),
        document(room + "<object name=\"minilevels\">" + manyDoors + "</object>"),
        document(room + "<object name=\"effects\">" + manyEffects + "</object>"),
        document(room + "<integer name=\"not_game\" value=\"3\" />" + "<string name=\"minilevels\" value=\"x\" />"),
        document(room + "<object name=\"anim_open\"><object name=\"door\"><integer name=\"a\" value=\"1\"/></object></object>"),
        document(stringKey("FileName", "") + stringKey("Chapter", "\"]]..os.exit()..[[")),
        document(stringKey("FileName", "../../../etc/passwd")),
        document(stringKey("FileName", "room.xml")),
        document("<boolean name=\"NoAutoAddIOC\" value=\"maybe\" />" + room),
        document(room + "<object name=\"minilevels\"><string name=\"door\" value=\"door\" /></object>"),
        // Hidden-object groups with names the movie cannot hold, duplicates and odd values.
        document(room + "<object name=\"hidden\">" + stringKey("", "") + stringKey(std::string(300, 'n'), "") +
                 stringKey("cup_1", "a") + stringKey("cup_1", "b") + "</object>"),
        document(room + "<object name=\"invisible\">" + stringKey("lock", "") + stringKey("lock", "key") +
                 stringKey("clickarea", "clickarea") + "</object><object name=\"script_objects\">" +
                 stringKey("LevelArea", "") + "</object>"),
        document(room + "<object name=\"hidden_and_staying\"><object name=\"bird\"/></object>" +
                 "<integer name=\"hidden\" value=\"5\" /><object name=\"script_objects\">" +
                 "<float name=\"book\" value=\"1e39\" /></object>"),
        document(room + "<object name=\"hidden\">" + stringKey("cup_1", "") + stringKey("key", "") + "</object>" +
                 "<object name=\"invent_on_cursor\">" + stringKey("cup_1", "") + "</object>"),
        std::string(5000, '<'),
        document(room).substr(0, 60),
        // The minigame kinds: words, and piece counts of any size and sign.
        document(stringKey("Type", "letters") + stringKey("FileName", "letters.swf") + stringKey("FinalWord", "MOON") +
                 stringKey("StartWord", "NOOM")),
        document(stringKey("Type", "letters") + stringKey("FileName", "letters.swf") + stringKey("FinalWord", "MOON") +
                 stringKey("StartWord", "MOON") + "<boolean name=\"FlyStraight\" value=\"true\" />"),
        document(stringKey("Type", "letters") + stringKey("FileName", "letters.swf") +
                 stringKey("FinalWord", "M\xC3\x96N") + stringKey("StartWord", "N\xC3\x96M")),
        document(stringKey("Type", "letters") + stringKey("FileName", "letters.swf") + stringKey("FinalWord", "MOON") +
                 stringKey("StartWord", "NOON")),
        document(stringKey("Type", "letters") + stringKey("FileName", "room.swf") + longWord),
        document(stringKey("Type", "letters") + stringKey("FileName", "letters.swf")),
        document(stringKey("Type", "puzzle") + stringKey("FileName", "puzzle.swf") +
                 "<integer name=\"PiecesNumber\" value=\"4\" />"),
        document(stringKey("Type", "puzzle") + stringKey("FileName", "puzzle.swf") +
                 "<integer name=\"PiecesNumber\" value=\"2147483647\" />"),
        document(stringKey("Type", "puzzle") + stringKey("FileName", "puzzle.swf") +
                 "<integer name=\"PiecesNumber\" value=\"-2147483648\" />"),
        document(stringKey("Type", "puzzle") + stringKey("FileName", "room.swf") +
                 "<integer name=\"PiecesNumber\" value=\"2\" />"),
        document(stringKey("Type", "rotator") + stringKey("FileName", "rotator.swf") +
                 "<integer name=\"PiecesNumber\" value=\"4\" />"),
        document(stringKey("Type", "rotator") + stringKey("FileName", "rotator.swf") +
                 "<integer name=\"PiecesNumber\" value=\"1000000000\" />"),
        document(stringKey("Type", "rotator") + stringKey("FileName", "rotator.swf") +
                 "<integer name=\"PiecesNumber\" value=\"-1\" />"),
        document(stringKey("Type", "rotator") + stringKey("FileName", "rotator.swf") +
                 stringKey("PiecesNumber", "many")),
    };
    // With LEVEL_FUZZ_SEED_DIR set the seeds are also written there, as the fuzzer's starting corpus.
    if (const char* dir = std::getenv("LEVEL_FUZZ_SEED_DIR")) {
        for (size_t i = 0; i < std::size(seeds); ++i)
            std::ofstream(std::string(dir) + "/seed_" + std::to_string(i) + ".xml", std::ios::binary) << seeds[i];
    }
    for (const std::string& seed : seeds) readDescription(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());
    // The demo's own descriptions.
    for (const char* name : {"room.xml", "closeup.xml", "letters.xml", "intro.xml", "puzzle.xml", "rotator.xml"}) {
        std::ifstream in(LevelGame::instance()->folder() / "data" / "levels" / name, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << name;
        readDescription(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    EXPECT_EQ(GameTimerManager::instance()->size(), 0u);
}

}  // namespace
}  // namespace leveltest
#endif
