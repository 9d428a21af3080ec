// The level manager's script functions and its script class "LevelManager" (methods setShowTask
// and loadSWF). Each is a thin wrapper over the manager's own operation.
#include <lua.hpp>

#include "app/game_layers.h"
#include "levels/base_level.h"
#include "levels/level_manager.h"
#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_registry.h"

namespace {

using ScriptBinding::ClassDescriptor;
using ScriptBinding::getStringArg;

constexpr int kScriptObjectSize = 80;

void hideMainMenu() {
    if (BaseRender* menu = app::screen(app::Screen::MainMenu)) menu->hide();
}

// level_manager(): the one manager, by reference.
int levelManagerObject(lua_State* L) {
    ScriptBinding::push(L, LevelManager::instance());
    return 1;
}

int startLevelFunction(lua_State* L) {
    const char* name = getStringArg(L, 1);
    hideMainMenu();
    if (LevelManager* manager = LevelManager::instance()) manager->goToLevel(name ? name : "");
    return 0;
}

int startLevelNoFade(lua_State* L) {
    const char* name = getStringArg(L, 1);
    hideMainMenu();
    if (LevelManager* manager = LevelManager::instance()) manager->startLevel(name ? name : "");
    return 0;
}

int logLevels(lua_State*) {
    if (LevelManager* manager = LevelManager::instance()) manager->logLevels();
    return 0;
}

int clearLevels(lua_State*) {
    if (LevelManager* manager = LevelManager::instance()) manager->clearLevels();
    return 0;
}

int setDelLevWhenLeave(lua_State*) {
    if (LevelManager* manager = LevelManager::instance())
        if (BaseLevel* level = manager->currentLevel()) level->setFlag(LevelManager::kLevelDeleteWhenLeft, true);
    return 0;
}

int setNeedClearLevels(lua_State*) {
    if (LevelManager* manager = LevelManager::instance()) manager->setFlag(LevelManager::kClearOnEnd, true);
    return 0;
}

// setShowTask(object, show): the task is hidden while show is false.
int setShowTask(lua_State* L) {
    if (LevelManager* manager = ScriptBinding::getArg<LevelManager>(L, 1))
        manager->setFlag(LevelManager::kTaskHidden, !ScriptBinding::getBoolArg(L, 2));
    return 0;
}

int loadSwf(lua_State* L) {
    LevelManager* manager = ScriptBinding::getArg<LevelManager>(L, 1);
    const char* file = getStringArg(L, 2);
    if (manager && file) manager->loadSWF(file);
    return 0;
}

void describeLevelManager(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "setShowTask", setShowTask);
    ScriptBinding::addMethod(cls, "loadSWF", loadSwf);
}

const ScriptFunctionRegistration kFunctions[] = {
    {"level_manager", levelManagerObject},
    {"start_level", startLevelFunction},
    {"start_level_no_fade", startLevelNoFade},
    {"log_levels", logLevels},
    {"clear_levels", clearLevels},
    {"set_del_lev_when_leave", setDelLevWhenLeave},
    {"set_need_clear_levels", setNeedClearLevels},
};

[[maybe_unused]] ClassDescriptor* const s_class = LevelManager::scriptClass();

}  // namespace

ClassDescriptor* LevelManager::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = [] {
        // Scripts only ever hold the manager by reference.
        ScriptBinding::registerClass(&cls, "LevelManager", nullptr, 0, kScriptObjectSize, nullptr);
        describeLevelManager(&cls);
        return &cls;
    }();
    return registered;
}
