#include "screens/console_completion.h"

#include <algorithm>

#include "core/cvar.h"
#include "core/string_utils.h"
#include "script/script_core.h"

namespace console_completion {

void collect(const std::string& text, std::vector<std::string>& out) {
    out.clear();
    if (text.empty()) return;
    std::string wanted;
    toLower(text, wanted);
    std::string folded;
    const int count = CVar::getCount();
    for (int i = 0; i < count; ++i) {
        const CVar* var = CVar::getByIndex(i);
        if (var && toLower(var->name, folded).find(wanted) != std::string::npos) out.emplace_back(var->name);
    }
    int walked = 0;
    for (const char* name = ScriptBinding::topGlobalName(); name && walked < kMaxGlobalNames;
         name = ScriptBinding::globalNameOf(), ++walked) {
        if (toLower(name, folded).find(wanted) != std::string::npos) out.emplace_back(name);
    }
}

}  // namespace console_completion

void ConsolePanelWindow::layout(const std::vector<std::string>& list, int& selection, std::string& text) {
    const int count = static_cast<int>(list.size());
    selection = std::clamp(selection, 0, std::max(0, count - 1));
    if (selection < m_top) m_top = selection;
    if (selection > m_top + kShownEntries - 1) m_top = selection - (kShownEntries - 1);
    text.clear();
    for (int i = m_top; i < count && i < m_top + kShownEntries; ++i) {
        if (i == selection) text += kSelectedMark;
        text += list[static_cast<size_t>(i)];
        text += '\n';
    }
}
