// The level base and the heads-up panel: a level's set-up shows the panel and copies its
// "NoAutoAddIOC" value into the panel's flag 8, so that inventory pick-ups are listed only when
// the description sets it false; the task list walks the level's elements in their order.
#include <gtest/gtest.h>

#include "screens/main_panel.h"
#include "screens/main_panel_notice.h"
#include "tests/levels/level_fixture.h"

namespace {

using leveltest::LevelTest;

TEST_F(LevelTest, TheLevelsSetUpShowsThePanelAndDecidesWhetherPickUpsAreListed) {
    MainPanel* panel = MainPanel::instance();
    ASSERT_NE(panel, nullptr);
    struct Case {
        const char* what;
        std::string key;  // the NoAutoAddIOC line, or none
        bool flag;
        std::vector<std::string> listed;
    };
    const std::vector<Case> cases = {
        {"missing: not listed", "", true, {}},
        {"true: not listed", "<boolean name=\"NoAutoAddIOC\" value=\"true\" />\n", true, {}},
        {"false: listed", "<boolean name=\"NoAutoAddIOC\" value=\"false\" />\n", false, {"key", "vase"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        panel->setVisible(false);
        const Attr::AttributePtr tree = leveltest::description(
            "shelf", leveltest::stringKey("FileName", "room.swf") + c.key +
                         leveltest::list("not_game", {{"curtain", ""}}) +
                         leveltest::list("invent_on_cursor", {{"key", ""}, {"vase_1", ""}, {"vase_2", ""}}));
        leveltest::TestLevel* level = topLevel("shelf", tree);
        EXPECT_TRUE(panel->isVisible());
        EXPECT_EQ(panel->anyFlag(MainPanel::kNoInventoryEntries), c.flag);
        current.level = level;
        panel->reset();
        std::vector<std::string> listed;
        for (const MainPanel::NotificationElement* notice : panel->entries()) listed.push_back(notice->name());
        EXPECT_EQ(listed, c.listed);
        if (!c.listed.empty()) {
            EXPECT_EQ(panel->findEntry("vase_2")->count(), 2);
        }
        // The panel finds an element's clip through the level.
        ASSERT_NE(level->getElementByName("curtain"), nullptr);
        level->getElementByName("curtain")->setCharacter(clip(level, "curtain"));
        ASSERT_NE(clip(level, "curtain"), nullptr);
        EXPECT_EQ(level->elementClip("curtain"), clip(level, "curtain"));
        EXPECT_EQ(level->elementClip("nothing"), nullptr);
        current.level = nullptr;
        release(level);
        panel->reset();
    }
}

}  // namespace
