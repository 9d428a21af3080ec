// The console's keys: editing the input line, the history, scrolling, completion and the panel.
#include "core/string_utils.h"
#include "input/clipboard.h"
#include "input/input_event.h"
#include "platform/input/clipboard.h"
#include "screens/console.h"

namespace {

// DirectInput scan codes of the keys the console uses.
enum ConsoleKey : int {
    kKeyEscape = 1,
    kKeyBackspace = 14,
    kKeyTab = 15,
    kKeyEnter = 28,
    kKeyGrave = 41,
    kKeyPadEnter = 156,
    kKeyHome = 199,
    kKeyUp = 200,
    kKeyPageUp = 201,
    kKeyLeft = 203,
    kKeyRight = 205,
    kKeyEnd = 207,
    kKeyDown = 208,
    kKeyPageDown = 209,
    kKeyInsert = 210,
    kKeyDelete = 211,
};

// Ctrl+Home and Ctrl+End scroll this far: to the output's first or last lines.
constexpr int kScrollToEnd = 100000;

// A key's character as it goes into the line; control characters have no place in it.
bool isTypedCharacter(char16_t character) { return character >= 0x20 && character != 0x7F && character != kNoKeyChar; }

}  // namespace

bool Console::onInput(KeyEvent* event) {
    if (!event || (event->type != KEY_CLICKED && event->type != KEY_PRESSED)) return false;
    return handleKey(event->scanCode, event->modifiers, event->character);
}

bool Console::handleKey(int scanCode, int modifiers, char16_t character) {
    const bool ctrl = (modifiers & MODIFIER_CONTROL) != 0;
    const bool shift = (modifiers & MODIFIER_SHIFT) != 0;
    const int page = m_panelShown ? ConsolePanelWindow::kShownEntries : kShownLines;
    switch (scanCode) {
        case kKeyEscape: hidePanel(); return true;
        case kKeyBackspace: m_input.backspace(); break;
        case kKeyTab: complete(); return true;
        case kKeyEnter:
        case kKeyPadEnter:
            if (m_panelShown) {
                const std::vector<std::string>& list = panelList();
                const int selected = m_panelMode == PanelMode::Completions ? m_selection : m_history.index();
                if (selected >= 0 && selected < static_cast<int>(list.size())) m_input.set(list[static_cast<size_t>(selected)]);
                hidePanel();
            } else {
                const std::string line = m_input.text();
                m_input.clear();
                redrawInput();
                runLine(line);
                return true;
            }
            break;
        // The application's own handling of the key hides the console.
        case kKeyGrave: return false;
        case kKeyHome:
            m_input.home();
            if (ctrl) scroll(-kScrollToEnd);
            break;
        case kKeyEnd:
            m_input.end();
            if (ctrl) scroll(kScrollToEnd);
            break;
        case kKeyUp:
            if (m_panelShown) {
                scroll(-1);
            } else if (!m_history.empty()) {
                m_history.setIndex(std::max(0, m_history.index() - 1));
                m_input.set(m_history.entries()[static_cast<size_t>(m_history.index())]);
            }
            break;
        case kKeyDown:
            if (m_panelShown) {
                scroll(1);
            } else if (ctrl) {
                showPanel(PanelMode::History);
            } else if (!m_history.empty()) {
                const int last = static_cast<int>(m_history.size()) - 1;
                m_history.setIndex(std::min(last, m_history.index() + 1));
                m_input.set(m_history.entries()[static_cast<size_t>(m_history.index())]);
            }
            break;
        case kKeyPageUp: scroll(-page); return true;
        case kKeyPageDown: scroll(page); return true;
        case kKeyLeft: m_input.left(); break;
        case kKeyRight: m_input.right(); break;
        case kKeyInsert:
            if (shift) {
                std::string clipboard;
                // The clipboard's text is Windows-1252; the line is UTF-8.
                if (Clipboard::getText(clipboard)) m_input.insert(platform::cp1252ToUtf8(clipboard), false);
            }
            break;
        case kKeyDelete:
            if (ctrl)
                m_input.clear();
            else
                m_input.deleteForward();
            break;
        default:
            if (!isTypedCharacter(character)) return false;
            m_input.insert(wstringToUtf8(std::u16string(1, character)), true);
            break;
    }
    redrawInput();
    return true;
}
