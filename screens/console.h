#pragma once
// The developer console drawn over the game: a scrolling output of the lines printed to it (the
// game's print sink: script errors, printTable and the levels' messages), an input line, the
// history of typed lines and a panel listing completions or the history. A typed line shows or
// sets a console variable when its first word names one, else it runs as Lua.
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "app/base_render.h"
#include "core/singleton.h"
#include "flash/base/smart_ptr.h"
#include "script/console_sink.h"
#include "screens/console_completion.h"
#include "screens/console_history.h"
#include "screens/console_line.h"

namespace flash {
class character;
class edit_text_character;
class sprite_instance;
}  // namespace flash

class Console : public BaseRender, public Tov::Singleton<Console>, public script::ConsoleSink {
public:
    static constexpr int kShownLines = 16;
    // The output keeps this many lines; the oldest go first.
    static constexpr size_t kMaxOutputLines = 10000;
    // A longer printed line is cut (on a character boundary).
    static constexpr size_t kMaxLineBytes = 4096;
    static constexpr const char* kMissingMovie = "console.swf not found in ";

    enum class PanelMode { Completions = 0, History = 1 };

    // Loads the movie of `v_ConsoleSwf`, makes the fields, reads the history; becomes the sink.
    Console();
    ~Console() override;

    // A printed line; the output shows its end.
    void print(const char* line) override;
    void clear();

    void setVisible(bool visible) override;
    // Keys while the console is the active panel; true when the key was used.
    bool onInput(KeyEvent* event) override;
    bool onKey(KeyEvent* event) { return onInput(event); }

    // Runs a typed line as Enter does.
    void runLine(const std::string& line);
    // Scrolls the output, or moves the panel's selection while the panel is shown.
    void scroll(int lines);
    // Tab.
    void complete();
    void showPanel(PanelMode mode);
    void hidePanel();

    // State, for the screens and tests.
    bool hasMovie() const { return m_root.get_ptr() != nullptr; }
    const std::deque<std::string>& output() const { return m_output; }
    int outputScroll() const { return m_scroll; }
    // The shown output as the field holds it.
    const std::string& shownOutput() const { return m_outputText; }
    const ConsoleLine& input() const { return m_input; }
    ConsoleLine& editInput() { return m_input; }
    const ConsoleHistory& history() const { return m_history; }
    const std::vector<std::string>& completions() const { return m_completions; }
    bool isPanelShown() const { return m_panelShown; }
    PanelMode panelMode() const { return m_panelMode; }
    int completionSelection() const { return m_selection; }
    int panelTop() const { return m_window.top(); }
    const std::string& shownPanel() const { return m_panelText; }

    static ScriptBinding::ClassDescriptor* scriptClass();

private:
    void buildFields();
    flash::edit_text_character* makeField(flash::sprite_instance* clip, const char* name, int lines);
    void redrawOutput();
    void redrawPanel();
    void redrawInput();
    int maxScroll() const;
    const std::vector<std::string>& panelList() const;
    bool handleKey(int scanCode, int modifiers, char16_t character);

    flash::smart_ptr<flash::edit_text_character> m_inputField;
    flash::smart_ptr<flash::edit_text_character> m_outputField;
    flash::smart_ptr<flash::edit_text_character> m_panelField;
    flash::smart_ptr<flash::character> m_panelClip;
    std::deque<std::string> m_output;
    int m_scroll = 0;
    ConsoleHistory m_history;
    std::vector<std::string> m_completions;
    ConsolePanelWindow m_window;
    int m_selection = 0;
    PanelMode m_panelMode = PanelMode::Completions;
    bool m_panelShown = false;
    ConsoleLine m_input;
    std::string m_outputText;
    std::string m_panelText;
};
