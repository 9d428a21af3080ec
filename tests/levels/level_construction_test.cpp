// A level made from its description: the elements of each list in the tree's order, the
// minilevels in their slots, the shared movie of a minilevel, the effects at their clips, the
// ambient and timed sounds, and the errors of descriptions that cannot make a level.
#include <fstream>

#include "core/log_stream.h"
#include "flash/movie/player.h"
#include "particles/effect_mgr.h"
#include "particles/particle_effect.h"
#include "tests/levels/level_fixture.h"

namespace leveltest {
namespace {


struct ElementRow {
    std::string name;
    int kind;
    std::string target;
};

std::vector<ElementRow> rows(const BaseLevel& level) {
    std::vector<ElementRow> out;
    for (const BaseElement* element : level.getElements())
        out.push_back({element->getName(), element->getKind(), element->getTargetName()});
    return out;
}

bool operator==(const ElementRow& a, const ElementRow& b) {
    return a.name == b.name && a.kind == b.kind && a.target == b.target;
}

void PrintTo(const ElementRow& row, std::ostream* out) { *out << row.name << "/" << row.kind << "/" << row.target; }

using Construction = LevelTest;

TEST_F(Construction, TheDemoRoomMakesItsElementsDoorMinilevelEffectAndSounds) {
    TestLevel* room = topLevel("room");
    EXPECT_EQ(room->getName(), "room");
    EXPECT_EQ(room->getSwfFile(), "room.swf");
    EXPECT_EQ(room->getChapter(), "chapter1");
    EXPECT_EQ(room->getTaskText(), "ids_room_objectives");
    EXPECT_TRUE(room->getNoAutoAddIOC());
    // The lists in their order, each list's entries in the tree's order (length, then bytes).
    const std::vector<ElementRow> expected = {
        {"curtain", BaseElement::kKindNotGame, ""},
        {"drawer", BaseElement::kKindOpenAnimation, ""},
        {"key", BaseElement::kKindInventoryOnCursor, ""},
        {"vase_1", BaseElement::kKindInventoryOnCursor, ""},
        {"door", BaseElement::kKindMinilevelDoor, "closeup"},
    };
    EXPECT_EQ(rows(*room), expected);
    for (const BaseElement* element : room->getElements()) EXPECT_EQ(element->getLevel(), room);

    // The door stands for its clip, which knows it as its owner and reports its ends to it.
    BaseElement* door = room->getElementByName("door");
    ASSERT_NE(door, nullptr);
    ASSERT_NE(door->getCharacter(), nullptr);
    EXPECT_EQ(std::string(door->getCharacter()->get_name().c_str()), "door");
    EXPECT_EQ(levels::ClipOwner::elementOf(door->getCharacter()), door);
    EXPECT_EQ(door->getCharacter()->m_stop_callback, &BaseElement::endAnimCallback);
    // The plain kinds get no clip from the base.
    EXPECT_EQ(room->getElementByName("curtain")->getCharacter(), nullptr);

    // The minilevel: slot 0, hidden, with its own movie and the room as parent.
    EXPECT_EQ(made, std::vector<std::string>{"closeup"});
    BaseLevel* closeup = room->getMinilevel(0);
    ASSERT_NE(closeup, nullptr);
    EXPECT_EQ(room->minilevelCount(), 1);
    EXPECT_EQ(closeup->getParent(), room);
    EXPECT_EQ(closeup->getName(), "closeup");
    EXPECT_FALSE(closeup->isVisible());
    EXPECT_TRUE(room->isVisible());
    EXPECT_NE(closeup->getRoot(), room->getRoot());
    // The close-up has its button and area; the room an area only.
    ASSERT_NE(closeup->getZoomOutButton(), nullptr);
    EXPECT_EQ(levels::ClipOwner::levelOf(closeup->getZoomOutButton()), closeup);
    EXPECT_EQ(closeup->getZoomOutButton()->m_event_callback, &BaseLevel::onZoomOutButton);
    EXPECT_NE(closeup->getLevelArea(), nullptr);
    EXPECT_EQ(room->getZoomOutButton(), nullptr);
    ASSERT_NE(room->getLevelArea(), nullptr);
    // The close-up's area stands at (212, 134) pixels.
    EXPECT_FLOAT_EQ(closeup->getLevelAreaMatrix().m_[0][2], 212 * 20.0f);
    EXPECT_FLOAT_EQ(closeup->getLevelAreaWorldMatrix().m_[1][2], 134 * 20.0f);

    // The fireplace's effect at the clip's place, in the room's list.
    ASSERT_EQ(room->effectCount(), 1u);
    EXPECT_EQ(room->effectAt(0)->name(), "room_fire");
    EXPECT_FLOAT_EQ(room->effectAt(0)->position().x, 60.0f);
    EXPECT_FLOAT_EQ(room->effectAt(0)->position().y, 300.0f);

    // Ambient loops, the minilevel's first (it is made inside the room's set-up).
    const std::vector<SoundCall> ambient = {{"closeup_ambient", true}, {"room_ambient", true}};
    EXPECT_EQ(sounds, ambient);
    ASSERT_EQ(room->getSounds().size(), 1u);
    EXPECT_EQ(room->getSounds()[0].file, "room_bell");
    EXPECT_EQ(room->getSounds()[0].startTime, 2);
    EXPECT_EQ(room->getSounds()[0].loopTime, 10);
    EXPECT_EQ(GameTimerManager::instance()->size(), 1u);
    EXPECT_EQ(count(logSince(), "\tERROR\t"), 0u) << logSince();
}

struct DescriptionCase {
    const char* what;
    std::string inner;
    bool withParent;
    bool made;
    const char* errorLine;  // null: none
};

TEST_F(Construction, DescriptionsThatCannotMakeALevelLogTheirErrorAndNothingElse) {
    const DescriptionCase cases[] = {
        {"no FileName, no parent", "", false, false, "\tERROR\tSWF file not found in config file"},
        {"no FileName, a parent", "", true, true, nullptr},
        {"a movie that is missing", stringKey("FileName", "nosuch.swf"), false, false,
         "\tERROR\tnosuch.swf not found in BaseLevel::initElements"},
        {"a movie", stringKey("FileName", "closeup.swf"), false, true, nullptr},
    };
    TestLevel* parent = topLevel("parent", description("parent", stringKey("FileName", "room.swf")));
    for (const DescriptionCase& c : cases) {
        const size_t before = logSince().size();
        TestLevel level(c.withParent ? parent : nullptr);
        EXPECT_EQ(level.initElements(description("probe", c.inner)), c.made) << c.what;
        const std::string log = logSince().substr(before);
        if (c.errorLine) {
            EXPECT_EQ(count(log, c.errorLine), 1u) << c.what << "\n" << log;
            // Besides the engine's own line on the file it could not open.
            EXPECT_EQ(count(log, "\tERROR\t") - count(log, "\tERROR\tfailed to open"), 1u) << c.what << "\n" << log;
        } else {
            EXPECT_EQ(count(log, "\tERROR\t"), 0u) << c.what << "\n" << log;
        }
        if (c.withParent) {
            // A minilevel without a movie of its own plays inside its parent's.
            EXPECT_EQ(level.getRoot(), parent->getRoot()) << c.what;
            level.setVisible(false);
            EXPECT_TRUE(parent->isVisible()) << c.what << ": hiding it hid the parent's scene";
            EXPECT_FALSE(level.isVisible()) << c.what;
        }
    }
}

TEST_F(Construction, AnEmptyNameOrNoTreeIsRefusedWithTheNameError) {
    const Attr::AttributePtr notATree = Attr::createAttribute(Attr::TYPE_STRING, "room");
    const Attr::AttributePtr trees[] = {description("", stringKey("FileName", "room.swf")), Attr::AttributePtr(),
                                        notATree};
    for (const Attr::AttributePtr& tree : trees) {
        const size_t before = logSince().size();
        TestLevel level(nullptr);
        EXPECT_FALSE(level.initElements(tree));
        const std::string log = logSince().substr(before);
        EXPECT_EQ(count(log, "\tERROR\tlevel name empty!!! BaseLevel::initElements"), 1u) << log;
        EXPECT_EQ(level.getRoot(), nullptr);
        EXPECT_TRUE(sounds.empty());
    }
}

TEST_F(Construction, TwelveMinilevelsKeepTheFirstTenWithOneError) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < 12; ++i) entries.push_back({"door" + std::string(1, static_cast<char>('a' + i)), "mini"});
    descriptions["mini"] = description("mini", "");
    TestLevel* level =
        topLevel("many", description("many", stringKey("FileName", "room.swf") + list("minilevels", entries)));
    EXPECT_EQ(level->minilevelCount(), BaseLevel::kMaxMinilevels);
    EXPECT_EQ(made.size(), 10u);
    for (int slot = 0; slot < BaseLevel::kMaxMinilevels; ++slot) {
        ASSERT_NE(level->getMinilevel(slot), nullptr) << slot;
        EXPECT_FALSE(level->getMinilevel(slot)->isVisible()) << slot;
        EXPECT_EQ(level->getMinilevel(slot)->getRoot(), level->getRoot()) << slot;
    }
    // Ten doors, the first ten of the tree's order.
    ASSERT_EQ(level->getElements().size(), 10u);
    EXPECT_EQ(level->getElements()[9]->getName(), "doorj");
    EXPECT_EQ(level->getElementByName("doork"), nullptr);
    const std::string log = logSince();
    EXPECT_EQ(count(log, "\tERROR\t"), 1u) << log;
    EXPECT_EQ(count(log, "more than 10 minilevels"), 1u) << log;
    EXPECT_EQ(count(log, "create minilevel: mini"), 10u) << log;
}

struct TimedSoundCase {
    const char* what;
    int start;
    int loop;  // -2: the key is missing
    std::vector<float> playedAt;  // seconds, within the first 16
};

TEST_F(Construction, TimedSoundsPlayAfterTheirStartAndRepeatByTheirLoopTime) {
    const TimedSoundCase cases[] = {
        {"loop 0 plays once", 1, 0, {1.0f}},
        {"no loop time plays once", 3, -2, {3.0f}},
        {"loop 5 repeats every 5 s", 2, 5, {2.0f, 7.0f, 12.0f}},
        {"start 0 plays on the first step", 0, 0, {0.5f}},
    };
    for (const TimedSoundCase& c : cases) {
        std::string sound = "<object name=\"tone\">";
        sound += "<integer name=\"start_time\" value=\"" + std::to_string(c.start) + "\" />";
        if (c.loop != -2) sound += "<integer name=\"loop_time\" value=\"" + std::to_string(c.loop) + "\" />";
        sound += "</object>";
        {
            std::ofstream ext(LevelGame::instance()->folder() / "timed_ext.xml");
            ext << "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root><object name=\"timed_ext\"><object "
                   "name=\"sounds\">"
                << sound << "</object></object></root>\n";
        }
        sounds.clear();
        TestLevel* level = topLevel("timed", description("timed", stringKey("FileName", "room.swf")));
        sounds.clear();
        std::vector<float> playedAt;
        for (int step = 1; step <= 32; ++step) {
            GameTimerManager::instance()->update(0.5f);
            for (const SoundCall& call : sounds) {
                EXPECT_EQ(call, (SoundCall{"tone", false})) << c.what;
                playedAt.push_back(step * 0.5f);
            }
            sounds.clear();
        }
        EXPECT_EQ(playedAt, c.playedAt) << c.what;
        release(level);
        EXPECT_EQ(GameTimerManager::instance()->size(), 0u) << c.what;
    }
    fs::remove(LevelGame::instance()->folder() / "timed_ext.xml");
}

TEST_F(Construction, DeletingALevelReleasesItsMovieTimersAmbientAndEffects) {
    TestLevel* room = topLevel("room");
    GameTimerManager::instance()->start(room, &TestLevel::noop, nullptr, 100.0f);
    flash::player* player = LevelGame::instance()->game().app().player();
    ASSERT_NE(player->get_movie_library().find("room.swf"), nullptr);
    const int ambient = room->getAmbientSound();
    ASSERT_EQ(room->effectCount(), 1u);
    const size_t effectsBefore = particle::fxParticleEffectMgr::instance()->getEffectCount();
    release(room);
    EXPECT_EQ(player->get_movie_library().find("room.swf"), nullptr);
    EXPECT_EQ(player->get_movie_library().find("closeup.swf"), nullptr);
    EXPECT_EQ(GameTimerManager::instance()->size(), 0u);
    EXPECT_NE(std::find(stopped.begin(), stopped.end(), ambient), stopped.end());
    EXPECT_LT(particle::fxParticleEffectMgr::instance()->getEffectCount(), effectsBefore);
    // The minilevel still in its slot went back through the entry.
    EXPECT_EQ(destroyed, 1);
    EXPECT_NE(logSince().find("BaseLevel::~BaseLevel, removing from chardef_library room.swf"), std::string::npos);
    // A later level reads the movie again.
    TestLevel* again = topLevel("room");
    EXPECT_NE(again->getRoot(), nullptr);
    EXPECT_NE(player->get_movie_library().find("room.swf"), nullptr);
}

}  // namespace
}  // namespace leveltest
