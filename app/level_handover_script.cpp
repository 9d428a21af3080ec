// The script functions of the wrong-click counter, the fades and the activation script. Each is a
// thin wrapper over the application's own method and returns no values.
#include <lua.hpp>

#include "app/application.h"
#include "script/script_args.h"
#include "script/script_registry.h"

namespace {

using ScriptBinding::getBoolArg;
using ScriptBinding::getStringArg;

Application* app() { return Application::instance(); }

int addWrongClick(lua_State*) {
    if (Application* a = app()) a->applyOverclickPenalty();
    return 0;
}

int retWrongClick(lua_State*) {
    if (Application* a = app()) a->restoreWrongClicks();
    return 0;
}

int resetWrongClick(lua_State*) {
    if (Application* a = app()) a->resetTimer();
    return 0;
}

int setFuncOnActivate(lua_State* L) {
    const char* script = getStringArg(L, 1);
    if (Application* a = app()) a->setOnActivateScript(script ? script : "");
    return 0;
}

int setNeedFade(lua_State* L) {
    if (Application* a = app()) a->setFadesEnabled(getBoolArg(L, 1));
    return 0;
}

int startFadeIn(lua_State*) {
    if (Application* a = app()) a->startFadeIn();
    return 0;
}

int startFadeOut(lua_State*) {
    if (Application* a = app()) a->startFadeOut();
    return 0;
}

int setFadeCbScript(lua_State* L) {
    const char* script = getStringArg(L, 1);
    if (Application* a = app()) a->setFadeScript(script ? script : "");
    return 0;
}

const ScriptFunctionRegistration kFunctions[] = {
    {"add_wrong_click", addWrongClick},     {"ret_wrong_click", retWrongClick},
    {"reset_wrong_click", resetWrongClick}, {"set_func_on_activate", setFuncOnActivate},
    {"set_need_fade", setNeedFade},         {"start_fade_in", startFadeIn},
    {"start_fade_out", startFadeOut},       {"set_fade_cb_script", setFadeCbScript},
};

}  // namespace

// Referenced by the hand-over's own file, so that this one (and its registrations) is linked
// wherever the application is.
bool linkHandoverScriptFunctions() { return sizeof(kFunctions) > 0; }
