// The script class "MainPanel" (a "BaseRender") and the functions "getMainPanel", "main_panel"
// and "hide_main_panel_msg".
#include <lua.hpp>

#include "flash/movie/sprite_instance.h"
#include "screens/main_panel.h"
#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_registry.h"

namespace {

using ScriptBinding::ClassDescriptor;

MainPanel* self(lua_State* L) { return ScriptBinding::getArg<MainPanel>(L, 1); }

std::string stringArg(lua_State* L, int index) {
    const char* text = ScriptBinding::getStringArg(L, index);
    return text ? text : "";
}

int addElement(lua_State* L) {
    if (MainPanel* panel = self(L)) panel->addElement(stringArg(L, 2));
    return 0;
}

int notify(lua_State* L) {
    if (MainPanel* panel = self(L)) panel->releaseEntry(stringArg(L, 2));
    return 0;
}

int showMsgEx(lua_State* L) {
    if (MainPanel* panel = self(L))
        panel->showMsgEx(stringArg(L, 2), ScriptBinding::getIntArg(L, 3), stringArg(L, 4));
    return 0;
}

int setTask(lua_State* L) {
    if (MainPanel* panel = self(L)) panel->showTask(stringArg(L, 2), ScriptBinding::getBoolArg(L, 3));
    return 0;
}

int hideMsg(lua_State* L) {
    if (MainPanel* panel = self(L)) panel->hideMsg(ScriptBinding::getBoolArg(L, 2));
    return 0;
}

int showText(lua_State* L) {
    if (MainPanel* panel = self(L)) panel->_showText(stringArg(L, 2));
    return 0;
}

int playMsgBox(lua_State* L) {
    if (MainPanel* panel = self(L)) panel->playMsgBox(ScriptBinding::getIntArg(L, 2));
    return 0;
}

int showMsg(lua_State* L) {
    if (MainPanel* panel = self(L)) panel->showMsg(stringArg(L, 2), ScriptBinding::getIntArg(L, 3));
    return 0;
}

int setElementDepth(lua_State* L) {
    if (MainPanel* panel = self(L))
        panel->setElementDepth(stringArg(L, 2), stringArg(L, 3), ScriptBinding::getIntArg(L, 4));
    return 0;
}

int setSkipBtnVisible(lua_State* L) {
    if (MainPanel* panel = self(L)) panel->setFlag(MainPanel::kSkipShown, ScriptBinding::getBoolArg(L, 2));
    return 0;
}

int isMsgBoxVisible(lua_State* L) {
    MainPanel* panel = self(L);
    ScriptBinding::pushBool(L, panel && panel->isMsgBoxVisible());
    return 1;
}

int isElementVisible(lua_State* L) {
    MainPanel* panel = self(L);
    ScriptBinding::pushBool(L, panel && panel->isElementVisible(stringArg(L, 2)));
    return 1;
}

// getMainPanel(), main_panel(): the panel, by reference (nil while there is none).
int panelObject(lua_State* L) {
    ScriptBinding::push(L, MainPanel::instance());
    return 1;
}

// hide_main_panel_msg(): the end of the bubble's closing animation hides its clip.
int hideMainPanelMsg(lua_State*) {
    if (MainPanel* panel = MainPanel::instance())
        if (flash::character* anim = panel->findClip("dialog_anim")) anim->set_visible(false);
    return 0;
}

void describeMainPanel(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "addElement", addElement);
    ScriptBinding::addMethod(cls, "notify", notify);
    ScriptBinding::addMethod(cls, "showMsgEx", showMsgEx);
    ScriptBinding::addMethod(cls, "setTask", setTask);
    ScriptBinding::addMethod(cls, "hideMsg", hideMsg);
    ScriptBinding::addMethod(cls, "_showText", showText);
    ScriptBinding::addMethod(cls, "playMsgBox", playMsgBox);
    ScriptBinding::addMethod(cls, "showMsg", showMsg);
    ScriptBinding::addMethod(cls, "setElementDepth", setElementDepth);
    ScriptBinding::addMethod(cls, "setSkipBtnVisible", setSkipBtnVisible);
    ScriptBinding::addMethod(cls, "isMsgBoxVisible", isMsgBoxVisible);
    ScriptBinding::addMethod(cls, "isElementVisible", isElementVisible);
}

const ScriptFunctionRegistration kGetMainPanel("getMainPanel", panelObject);
const ScriptFunctionRegistration kMainPanel("main_panel", panelObject);
const ScriptFunctionRegistration kHideMainPanelMsg("hide_main_panel_msg", hideMainPanelMsg);
// The class joins the registry before the script state starts.
[[maybe_unused]] ClassDescriptor* const kClass = MainPanel::scriptClass();

}  // namespace

ClassDescriptor* MainPanel::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = [] {
        // The panel's BaseRender part starts the object, so base methods see the same address.
        ScriptBinding::registerClass(&cls, "MainPanel", BaseRender::scriptClass(), 0, sizeof(MainPanel), nullptr);
        describeMainPanel(&cls);
        return &cls;
    }();
    return registered;
}
