// The script class "Console" (print and clear) and the function "console".
#include <lua.hpp>

#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_registry.h"
#include "screens/console.h"

namespace {

using ScriptBinding::ClassDescriptor;

// print(text): one output line (nothing for a missing text).
int consolePrintLine(lua_State* L) {
    Console* console = ScriptBinding::getArg<Console>(L, 1);
    const char* text = ScriptBinding::getStringArg(L, 2);
    if (console && text) console->print(text);
    return 0;
}

// clear(): empties the output.
int consoleClear(lua_State* L) {
    if (Console* console = ScriptBinding::getArg<Console>(L, 1)) console->clear();
    return 0;
}

// console(): the console, or nil while there is none.
int consoleObject(lua_State* L) {
    ScriptBinding::push(L, Console::instance());
    return 1;
}

void describeConsole(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "print", consolePrintLine);
    ScriptBinding::addMethod(cls, "clear", consoleClear);
}

const ScriptFunctionRegistration kConsoleFunction("console", consoleObject);
// The class joins the registry before any script state starts.
ClassDescriptor* const kConsoleClass = Console::scriptClass();

}  // namespace

ClassDescriptor* Console::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = [] {
        ScriptBinding::registerClass(&cls, "Console", BaseRender::scriptClass(), 0, sizeof(Console), nullptr);
        describeConsole(&cls);
        return &cls;
    }();
    return registered;
}
