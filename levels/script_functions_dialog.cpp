// The script functions that start the characters' dialogs.
#include <string>

#include "screens/dialog_panel.h"
#include "script/script_call.h"
#include "script/script_registry.h"

namespace {

// The dialog's end script runs once it is over (at once when it cannot play).
void startDialogEx(const std::string& name, bool flag, const std::string& endScript) {
    if (DialogPanel* panel = DialogPanel::instance()) panel->startDialog(name, flag, endScript);
}

void startDialog(const std::string& name, bool flag) { startDialogEx(name, flag, std::string()); }

const ScriptFunctionRegistration kFunctions[] = {
    {"start_dialog", ScriptBinding::scriptCall<&startDialog>},
    {"start_dialog_ex", ScriptBinding::scriptCall<&startDialogEx>},
};

}  // namespace
