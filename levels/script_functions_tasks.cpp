// The script functions of the level's task and of the heads-up panel's texts. Each is a thin
// entry over a native function.
#include <cstdint>
#include <string>

#include "flash/movie/edit_text_character.h"
#include "levels/base_level.h"
#include "levels/script_function_support.h"
#include "screens/main_panel.h"
#include "screens/main_panel_notice.h"
#include "script/script_call.h"
#include "script/script_registry.h"

namespace {

using script_functions::currentLevel;

constexpr uint8_t kDisabledGrey = 150;
constexpr uint8_t kFull = 255;

void setLevelTask(const std::string& text, bool flag) {
    BaseLevel* level = currentLevel();
    if (!level) return;
    level->setTask(text);
    if (MainPanel* panel = MainPanel::instance()) panel->showTask(text, !flag);
}

// The second text is read and not used.
void setLevelTaskEx(const std::string& text, const std::string&) {
    if (BaseLevel* level = currentLevel()) level->setTask(text);
}

// Both look up the level and do nothing else (the task shows when it is set).
void showLevelTask() { (void)currentLevel(); }
void showLevelTaskEx(const std::string&) { (void)currentLevel(); }

void setEntryColour(const std::string& name, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    MainPanel* panel = MainPanel::instance();
    MainPanel::NotificationElement* entry = panel ? panel->findEntry(name) : nullptr;
    if (flash::edit_text_character* field = entry ? entry->field() : nullptr) field->m_color = flash::rgba(r, g, b, a);
}

// Each value is taken as a byte.
void setMainPanelTextColor(const std::string& name, int r, int g, int b, int a) {
    setEntryColour(name, static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b),
                   static_cast<uint8_t>(a));
}
void disableMainPanelText(const std::string& name) {
    setEntryColour(name, kDisabledGrey, kDisabledGrey, kDisabledGrey, kFull);
}
void enableMainPanelText(const std::string& name) { setEntryColour(name, kFull, kFull, kFull, kFull); }

void mainPanelVisible(bool visible) {
    if (MainPanel* panel = MainPanel::instance()) panel->setVisible(visible);
}

using ScriptBinding::scriptCall;
const ScriptFunctionRegistration s_registrations[] = {
    {"set_level_task", scriptCall<&setLevelTask>},
    {"set_level_task_ex", scriptCall<&setLevelTaskEx>},
    {"show_level_task", scriptCall<&showLevelTask>},
    {"show_level_task_ex", scriptCall<&showLevelTaskEx>},
    {"set_main_panel_text_color", scriptCall<&setMainPanelTextColor>},
    {"disable_main_panel_text", scriptCall<&disableMainPanelText>},
    {"enable_main_panel_text", scriptCall<&enableMainPanelText>},
    {"main_panel_visible", scriptCall<&mainPanelVisible>},
};

}  // namespace
