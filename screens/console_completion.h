#pragma once
// What Tab offers in the console, and the panel that lists it (or the history): nine entries at a
// time, the selected one marked.
#include <string>
#include <vector>

namespace console_completion {

// The walk over the script globals stops after this many names.
constexpr int kMaxGlobalNames = 1 << 16;

// Every console variable whose lower-case name contains the lower-case text, in name order, then
// every string key of the script globals that does, in table order. Empty text finds nothing.
void collect(const std::string& text, std::vector<std::string>& out);

}  // namespace console_completion

// The panel's window over a list.
class ConsolePanelWindow {
public:
    static constexpr int kShownEntries = 9;
    static constexpr const char* kSelectedMark = ">>>   ";

    int top() const { return m_top; }
    void reset() { m_top = 0; }
    // Clamps the selection to the list, moves the window so that it shows the selection, and
    // writes the shown entries (each followed by "\n") into `text`.
    void layout(const std::vector<std::string>& list, int& selection, std::string& text);

private:
    int m_top = 0;
};
