// Level descriptions from arbitrary bytes: read as an attribute document and set up as a level on
// the demo chapter (the room's movie among those it may name), then stepped; as a libFuzzer
// target (levels_description_fuzz) and, in the ordinary tests, over seeds.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/application.h"
#include "core/attr_xml.h"
#include "flash/movie/player.h"
#include "levels/base_level.h"
#include "levels/level_factory.h"
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
        FuzzLevel level(nullptr);
        if (level.initElements(tree)) {
            level.update(0.1f);
            level.onMouse(100, 100, 1);
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
        std::string(5000, '<'),
        document(room).substr(0, 60),
    };
    for (const std::string& seed : seeds) readDescription(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());
    // The demo's own descriptions.
    for (const char* name : {"room.xml", "closeup.xml", "letters.xml", "intro.xml"}) {
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
