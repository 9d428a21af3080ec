// The heads-up panel's task list on the demo room's elements and the demo panel ("TextPlace" 320
// by 40 pixels): columns, rows, counts and texts, fading, sliding and the visible rows, the task
// notice, and the text field that the native call and the script method make alike.
#include <gtest/gtest.h>

#include "core/cvar_catalogue.h"
#include "tests/screens/main_panel_fixture.h"

namespace {

using paneltest::PanelTest;
using Notice = MainPanel::NotificationElement;

constexpr int kFadeFrames = 51;

struct Row {
    const char* name;
    int count;
    int x, y;  // pixels inside "TextPlace"
    const char* text;
    bool shown;
};

void expectRows(const MainPanel* panel, const std::vector<Row>& rows) {
    ASSERT_EQ(panel->entries().size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const Notice* notice = panel->entries()[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(notice->name(), row.name);
        EXPECT_EQ(notice->count(), row.count);
        EXPECT_EQ(notice->x(), static_cast<float>(row.x));
        EXPECT_EQ(notice->y(), static_cast<float>(row.y));
        flash::edit_text_character* field = notice->field();
        ASSERT_NE(field, nullptr);
        EXPECT_STREQ(field->m_text.c_str(), row.text);
        EXPECT_EQ(field->get_matrix().m_[0][2], static_cast<float>(row.x * 20));
        EXPECT_EQ(field->get_matrix().m_[1][2], static_cast<float>(row.y * 20));
        EXPECT_EQ(field->get_visible(), row.shown);
        EXPECT_EQ(panel->isEntryVisible(notice), row.shown);
    }
}

TEST(MainPanelNames, NormalisingCutsOnlyAPositiveNumberAfterTheLastUnderscore) {
    const std::pair<const char*, const char*> cases[] = {
        {"key_2", "key"},   {"coin_12", "coin"}, {"key_0", "key_0"}, {"key_a", "key_a"}, {"a_b_3", "a_b"},
        {"key_", "key_"},   {"_5", ""},          {"key_7x", "key"},  {"key_-1", "key_-1"}, {"key", "key"},
        {"vase_1", "vase"}, {"", ""},
    };
    for (const auto& [name, normalized] : cases) EXPECT_EQ(MainPanel::normalizeEntryName(name), normalized) << name;
}

TEST_F(PanelTest, TheRoomsObjectsFillTwoColumnsOfRowsAQuarterOfTheHeightApart) {
    level.elements = paneltest::roomElements();
    panel->setFlag(MainPanel::kNoInventoryEntries, true);
    panel->reset();
    EXPECT_EQ(panel->rowSpacing(), 200);
    // First to the left column (minus half the width), second to x = 0; rows at 20, 30, 40.
    expectRows(panel, {{"cup", 2, -160, 20, "IDS_cup|2", true},
                       {"book", 1, 0, 20, "IDS_book", true},
                       {"clock", 1, -160, 30, "IDS_clock", true},
                       {"candle", 1, 0, 30, "IDS_candle", true},
                       {"bird", 1, -160, 40, "IDS_bird", false}});
    EXPECT_EQ(panel->columnCount(0), 2);
    EXPECT_EQ(panel->columnCount(1), 3);
    // The texts' look: list font and colour, left-aligned, faded out at the start.
    const flash::edit_text_character* field = panel->entries()[0]->field();
    EXPECT_STREQ(field->m_font_name.c_str(), "Vernada_BOLD_16");
    EXPECT_EQ(field->m_color.m_r, 255);
    EXPECT_EQ(field->m_color.m_a, 0);
    EXPECT_EQ(field->m_alignment, 0);
    EXPECT_EQ(field->get_definition()->m_rect.m_x_max - field->get_definition()->m_rect.m_x_min, 280.0f * 20);
    // Looked up by exact name, or normalised.
    EXPECT_FALSE(panel->isElementVisible("bird"));
    EXPECT_TRUE(panel->isElementVisible("cup"));
    EXPECT_TRUE(panel->isElementVisible("cup_1"));    // not normalised: unknown, so visible
    EXPECT_TRUE(panel->isElementVisible("unknown"));
    EXPECT_EQ(panel->findEntry("cup_2"), panel->entries()[0]);
    EXPECT_EQ(panel->findEntry("bird_3"), panel->entries()[4]);
    EXPECT_EQ(panel->findEntry("Cup"), nullptr);
    // The initial list plays no appear effect; a later entry does.
    EXPECT_EQ(effects("Item_Appear"), 0);
    panel->addElement("gem_1");
    EXPECT_EQ(effects("Item_Appear"), 1);
    panel->addElement("gem_2");
    EXPECT_EQ(effects("Item_Appear"), 1);
    EXPECT_EQ(panel->findEntry("gem")->count(), 2);
}

TEST_F(PanelTest, InventoryPickUpsAreListedOnlyWithFlagEightClear) {
    level.elements = paneltest::roomElements();
    panel->reset();
    ASSERT_EQ(panel->entries().size(), 7u);
    EXPECT_EQ(panel->entries()[5]->name(), "key");
    EXPECT_EQ(panel->entries()[6]->name(), "vase");
    EXPECT_EQ(panel->findEntry("key_0"), nullptr);
    EXPECT_EQ(panel->findEntry("key_4"), panel->entries()[5]);
    panel->setFlag(MainPanel::kNoInventoryEntries, true);
    panel->reset();
    EXPECT_EQ(panel->entries().size(), 5u);
    control.level = nullptr;
    panel->reset();
    EXPECT_TRUE(panel->entries().empty());
    // The flag of a non-empty list stays until the next update finds the list empty.
    EXPECT_TRUE(panel->anyFlag(MainPanel::kListHasEntries));
    panel->update(0.0f);
    EXPECT_FALSE(panel->anyFlag(MainPanel::kListHasEntries));
}

TEST_F(PanelTest, CountingDownFadesTheNoticeOutAndTheColumnSlidesUp) {
    level.elements = paneltest::roomElements();
    panel->setFlag(MainPanel::kNoInventoryEntries, true);
    panel->reset();
    Notice* cup = panel->entries()[0];
    for (int frame = 1; frame <= kFadeFrames; ++frame) panel->update(0.0f);
    EXPECT_EQ(cup->field()->m_color.m_a, 255);
    panel->releaseEntry("cup_1");
    EXPECT_EQ(cup->count(), 1);
    EXPECT_STREQ(cup->field()->m_text.c_str(), "IDS_cup");
    EXPECT_FALSE(cup->anyFlag(Notice::kFadingOut));
    panel->releaseEntry("unknown_1");
    panel->releaseEntry("cup_2");
    EXPECT_EQ(cup->count(), 0);
    EXPECT_TRUE(cup->anyFlag(Notice::kFadingOut));
    for (int frame = 1; frame <= kFadeFrames; ++frame) {
        panel->update(0.0f);
        ASSERT_EQ(cup->field()->m_color.m_a, 255 - 5 * frame) << frame;
    }
    EXPECT_EQ(panel->entries().size(), 5u);
    EXPECT_EQ(effects("Item_Disappear"), 1);

    // Dead on the next update: the column below follows, 30 twips a frame, snapping within 30.
    Notice* clock = panel->entries()[2];
    Notice* bird = panel->entries()[4];
    const float clockY[] = {570, 540, 510, 480, 450, 400};
    const float birdY[] = {770, 740, 710, 680, 650, 600};
    for (int frame = 0; frame < 6; ++frame) {
        SCOPED_TRACE(frame);
        panel->update(0.0f);
        EXPECT_EQ(clock->field()->get_matrix().m_[1][2], clockY[frame]);
        EXPECT_EQ(bird->field()->get_matrix().m_[1][2], birdY[frame]);
        // The field shows once it arrived; its row counts as visible as soon as it is inside.
        EXPECT_EQ(bird->field()->get_visible(), frame == 5);
        EXPECT_TRUE(panel->isEntryVisible(bird));
        EXPECT_EQ(clock->anyFlag(Notice::kMoving), frame < 5);
    }
    EXPECT_EQ(effects("Item_Disappear"), 1);
    EXPECT_EQ(panel->columnCount(1), 2);
    expectRows(panel, {{"book", 1, 0, 20, "IDS_book", true},
                       {"clock", 1, -160, 20, "IDS_clock", true},
                       {"candle", 1, 0, 30, "IDS_candle", true},
                       {"bird", 1, -160, 30, "IDS_bird", true}});
    EXPECT_EQ(clock->predecessor(), nullptr);
    EXPECT_EQ(clock->successor(), bird);
    // Two rows in each column again: the next entry goes to the left one's third row, hidden.
    panel->addElement("gem");
    EXPECT_EQ(panel->entries().back()->x(), -160.0f);
    EXPECT_EQ(panel->entries().back()->y(), 40.0f);
    EXPECT_FALSE(panel->isEntryVisible(panel->entries().back()));
}

TEST_F(PanelTest, ALevelChangeDuringAFadeAndASlideLeavesNoNoticeBehind) {
    level.elements = paneltest::roomElements();
    panel->setFlag(MainPanel::kNoInventoryEntries, true);
    panel->reset();
    panel->releaseEntry("cup_1");
    panel->releaseEntry("cup_2");
    panel->releaseEntry("book");
    for (int frame = 0; frame < 2; ++frame) panel->update(0.0f);  // faded out from alpha 0: dead
    EXPECT_TRUE(panel->entries()[0]->anyFlag(Notice::kMoving));
    panel->releaseEntry("clock");
    panel->update(0.0f);
    panel->reset();  // mid slide and mid fade
    for (int frame = 0; frame < 60; ++frame) panel->update(0.0f);
    EXPECT_EQ(panel->entries().size(), 5u);
    flash::sprite_instance* place = sprite("TextPlace");
    // Only the new list's fields remain inside "TextPlace" (beside its own box).
    int fields = 0;
    for (int i = 0; i < place->get_display_list()->size(); ++i)
        if (place->get_character(i)->is(flash::as_object::EDIT_TEXT)) ++fields;
    EXPECT_EQ(fields, 5);
}

TEST_F(PanelTest, TheTaskNoticeWaitsForTheListAndFadesWhenItEmptiesAgain) {
    panel->reset();
    clearEffects();
    panel->showTask("room_objectives", true);
    Notice* task = panel->taskNotice();
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->x(), -160.0f);
    EXPECT_EQ(task->y(), 25.0f);
    EXPECT_TRUE(task->anyFlag(Notice::kTaskStyle));
    EXPECT_STREQ(task->field()->m_text.c_str(), "IDS_room_objectives");
    EXPECT_STREQ(task->field()->m_font_name.c_str(), "BookmanC_18_italic");
    EXPECT_EQ(task->field()->m_color.m_r, 221);
    EXPECT_EQ(task->field()->m_color.m_g, 200);
    EXPECT_EQ(task->field()->m_color.m_b, 148);
    EXPECT_EQ(task->field()->m_alignment, 2);
    EXPECT_EQ(effects("task_appear"), 1);
    panel->showTask("room_objectives", false);
    EXPECT_EQ(panel->taskNotice()->y(), -20.0f);
    EXPECT_EQ(panel->taskNotice()->field()->m_alignment, 0);
    EXPECT_EQ(effects("task_appear"), 2);
    panel->showTask("", false);  // an empty task plays no effect
    EXPECT_EQ(effects("task_appear"), 2);

    // Pending while notices remain, shown when the list empties.
    level.elements = {{"cup_1", 0}};
    panel->reset();
    panel->showTask("second", false);
    EXPECT_EQ(MainPanel::pendingTask(), "second");
    EXPECT_EQ(panel->taskNotice()->name(), "");
    panel->releaseEntry("cup_1");
    for (int frame = 0; frame < 2; ++frame) panel->update(0.0f);
    EXPECT_TRUE(panel->entries().empty());
    ASSERT_NE(panel->taskNotice(), nullptr);
    EXPECT_EQ(panel->taskNotice()->name(), "second");
    EXPECT_TRUE(MainPanel::pendingTask().empty());
    EXPECT_EQ(effects("task_appear"), 3);
    EXPECT_FALSE(panel->taskNotice()->anyFlag(Notice::kFadingOut));

    // Empty again, nothing pending: the task fades and stays.
    panel->addElement("gem");
    panel->releaseEntry("gem");
    for (int frame = 0; frame < 3; ++frame) panel->update(0.0f);
    task = panel->taskNotice();
    ASSERT_NE(task, nullptr);
    EXPECT_TRUE(task->anyFlag(Notice::kFadingOut));
    for (int frame = 0; frame < 100; ++frame) panel->update(0.0f);
    EXPECT_EQ(panel->taskNotice(), task);

    // While the list is not live no task shows, and the pending one is dropped.
    panel->setFlag(MainPanel::kListLive, false);
    panel->showTask("third", true);
    EXPECT_EQ(panel->taskNotice(), task);
    EXPECT_TRUE(MainPanel::pendingTask().empty());
}

TEST_F(PanelTest, TheNativeTextFieldAndTheScriptMethodMakeTheSameField) {
    flash::sprite_instance* place = sprite("TextPlace");
    ASSERT_NE(place, nullptr);
    const int depth = place->get_next_highest_depth();
    flash::edit_text_character* native = place->create_text_field("native", depth, 12, -7, 150, 30);
    ASSERT_NE(native, nullptr);
    // The script's depths are counted from the lowest dynamic depth.
    const flash::as_value result = place->call_method_with_args(
        "createTextField", {flash::as_value("scripted"), flash::as_value(depth + 1 - 16384), flash::as_value(12),
                            flash::as_value(-7), flash::as_value(150), flash::as_value(30)});
    auto* scripted = flash::cast_to<flash::edit_text_character>(place->get_character_by_name("scripted"));
    ASSERT_NE(scripted, nullptr);
    EXPECT_EQ(result.to_object(), scripted);
    EXPECT_EQ(native->get_depth(), depth);
    EXPECT_EQ(scripted->get_depth(), depth + 1);
    for (flash::edit_text_character* field : {native, scripted}) {
        EXPECT_EQ(field->get_parent(), place);
        EXPECT_EQ(field->get_matrix().m_[0][2], 240.0f);
        EXPECT_EQ(field->get_matrix().m_[1][2], -140.0f);
        const flash::rect& r = field->get_definition()->m_rect;
        EXPECT_EQ(r.m_x_max - r.m_x_min, 3000.0f);
        EXPECT_EQ(r.m_y_max - r.m_y_min, 600.0f);
        EXPECT_STREQ(field->m_text.c_str(), "");
    }
    EXPECT_STREQ(native->get_name().c_str(), "native");
    EXPECT_EQ(place->get_character_by_name("native"), native);
}

}  // namespace
