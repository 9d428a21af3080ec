// The script functions of the script timers.
#include <lua.hpp>

#include "script/script_args.h"
#include "script/script_registry.h"
#include "script/script_timers.h"

namespace {

int addTimerWith(lua_State* L, bool runsWhenPaused) {
    const char* script = ScriptBinding::getStringArg(L, 1);
    float period = ScriptBinding::getFloatArg(L, 2);  // negative or NaN: no timer
    int count = ScriptBinding::getIntArg(L, 3);
    ScriptTimerManager* timers = ScriptTimerManager::instance();
    if (timers && script && period >= 0) timers->addTimer(script, period, count, runsWhenPaused);
    return 0;
}

int addTimer(lua_State* L) { return addTimerWith(L, false); }
int addPauseTimer(lua_State* L) { return addTimerWith(L, true); }

int deleteTimer(lua_State* L) {
    const char* script = ScriptBinding::getStringArg(L, 1);
    if (ScriptTimerManager* timers = ScriptTimerManager::instance(); timers && script)
        timers->deleteTimer(script, true);
    return 0;
}

int deleteCurrentTimer(lua_State*) {
    if (ScriptTimerManager* timers = ScriptTimerManager::instance()) timers->deleteCurrentTimer();
    return 0;
}

const ScriptFunctionRegistration kFunctions[] = {
    {"add_timer", addTimer},
    {"add_pause_timer", addPauseTimer},
    {"delete_timer", deleteTimer},
    {"delete_current_timer", deleteCurrentTimer},
};

}  // namespace
