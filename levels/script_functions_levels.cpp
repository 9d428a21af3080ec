// The script functions that query and steer the current level, its minilevels and the level
// manager's flags. Each is a thin entry over a native function.
#include <string>

#include "app/profiles.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "levels/level_manager.h"
#include "levels/script_function_support.h"
#include "script/console_sink.h"
#include "script/script_call.h"
#include "script/script_core.h"
#include "script/script_registry.h"

namespace {

using script_functions::currentLevel;

// The first minilevel slot of the current level whose level is named exactly `name`.
BaseLevel* findMinilevel(const std::string& name) {
    BaseLevel* level = currentLevel();
    if (!level) return nullptr;
    for (int slot = 0; slot < BaseLevel::kMaxMinilevels; ++slot) {
        BaseLevel* minilevel = level->getMinilevel(slot);
        if (minilevel && minilevel->getName() == name) return minilevel;
    }
    return nullptr;
}

BaseLevel* getCurrentLevel() { return currentLevel(); }

BaseLevel* getMinigame(const std::string& name) { return findMinilevel(name); }

void loadMinigame(const std::string& name) {
    if (BaseLevel* level = currentLevel()) level->loadMinigame(name, true);
}

void setWinEffectEnabled(const std::string& name, bool enabled) {
    if (BaseLevel* minilevel = findMinilevel(name)) minilevel->setFlag(BaseLevel::kFlagNoWinEffect, !enabled);
}

void setLevelNeedFadeOut(bool need) {
    if (BaseLevel* level = currentLevel()) level->setFlag(BaseLevel::kFlagChainStop, need);
}

// Boolean first, name second; an empty name finds no level.
void setNoCheckWinByScript(bool off, const std::string& name) {
    LevelManager* manager = LevelManager::instance();
    if (!manager || name.empty()) return;
    if (BaseLevel* level = manager->findLevel(name, false)) level->setFlag(BaseLevel::kFlagNoScriptWin, off);
}

void setManagerFlag(unsigned flag) {
    if (LevelManager* manager = LevelManager::instance()) manager->setFlag(flag, true);
}
void noFinishDialog() { setManagerFlag(LevelManager::kSkipFinishDialog); }
void noStartDialog() { setManagerFlag(LevelManager::kSkipStartDialog); }

void execScript(const std::string& fileName) { runScriptFile(fileName.c_str()); }

std::string getPrevLevelName() {
    Profiles* profiles = Profiles::instance();
    return profiles ? profiles->LastLevel : std::string();
}

void printCurLevelName() {
    if (BaseLevel* level = currentLevel()) script::consolePrint(level->getName().c_str());
}

void listElements() {
    BaseLevel* level = currentLevel();
    if (!level) return;
    for (const BaseElement* element : level->getElements())
        if (element) script::consolePrint(element->getName().c_str());
}

using ScriptBinding::scriptCall;
const ScriptFunctionRegistration s_registrations[] = {
    {"get_current_level", scriptCall<&getCurrentLevel>},
    {"get_minigame", scriptCall<&getMinigame>},
    {"load_minigame", scriptCall<&loadMinigame>},
    {"set_win_effect_enabled", scriptCall<&setWinEffectEnabled>},
    {"set_level_need_fade_out", scriptCall<&setLevelNeedFadeOut>},
    {"set_no_check_win_by_script_c", scriptCall<&setNoCheckWinByScript>},
    {"no_finish_dialog", scriptCall<&noFinishDialog>},
    {"no_start_dialog", scriptCall<&noStartDialog>},
    {"exec_script", scriptCall<&execScript>},
    {"get_prev_level_name", scriptCall<&getPrevLevelName>},
    {"print_cur_level_name", scriptCall<&printCurLevelName>},
    {"list_elements", scriptCall<&listElements>},
};
}  // namespace
