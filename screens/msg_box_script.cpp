// The script class "MsgBox" (its "show" runs a script text when the box is answered) and the
// function "msgbox".
#include <lua.hpp>

#include "screens/msg_box.h"
#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_registry.h"

namespace {

using ScriptBinding::ClassDescriptor;

// show(box, type, textId, script)
int msgBoxShow(lua_State* L) {
    MsgBox* box = ScriptBinding::getArg<MsgBox>(L, 1);
    const int type = ScriptBinding::getIntArg(L, 2);
    const char* textId = ScriptBinding::getStringArg(L, 3);
    const char* script = ScriptBinding::getStringArg(L, 4);
    if (box) box->showWithScript(type, textId ? textId : "", script ? script : "");
    return 0;
}

// msgbox(): the one message box, by reference.
int msgBoxObject(lua_State* L) {
    ScriptBinding::push(L, MsgBox::instance());
    return 1;
}

void describeMsgBox(ClassDescriptor* cls) { ScriptBinding::addMethod(cls, "show", msgBoxShow); }

const ScriptFunctionRegistration kFunctions[] = {{"msgbox", msgBoxObject}};

// Registered from the start, not only once a box exists: scripts loaded first still see it.
const ClassDescriptor* const kClass = MsgBox::scriptClass();

}  // namespace

ClassDescriptor* MsgBox::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = [] {
        // Script objects of the box are only ever handles: the script never owns it.
        ScriptBinding::registerClass(&cls, "MsgBox", BaseRender::scriptClass(), 0, sizeof(MsgBox), nullptr);
        describeMsgBox(&cls);
        return &cls;
    }();
    return registered;
}
