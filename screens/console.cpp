#include "screens/console.h"

#include <algorithm>
#include <cmath>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/profiles.h"
#include "core/cvar.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/scoped_profiler.h"
#include "core/string_utils.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/shape/geometry.h"
#include "graphics/font.h"
#include "graphics/font_manager.h"
#include "script/script_core.h"
#include "vfs/vfs_manager.h"

namespace {

constexpr const char* kInitName = "Console::init";
constexpr const char* kConsoleClip = "console";
constexpr const char* kPanelClip = "auto_complete";
constexpr const char* kInputField = "console_input";
constexpr const char* kOutputField = "console_output";
constexpr const char* kPanelField = "auto_complete_output";
constexpr const char* kChunkName = "console";
// The fields' inner margin, and the line height when the font is missing, in pixels.
constexpr int kFieldMargin = 4;
constexpr int kFallbackLineHeight = 16;
constexpr int kTopAligned = 1;
const flash::rgba kTextColour{255, 255, 255, 255};
// What separates a console variable's name from its value.
constexpr const char* kSeparators = " \t\n";

bool startConsole() {
    new Console();  // it registers itself
    return true;
}

bool deleteConsole() {
    Console* console = Console::instance();
    delete console;
    return console != nullptr;
}

// Start-up step 20, after the fonts: the console follows the cursor on the render list.
const app::PartRegistration kRegistration(20, 1, &startConsole, app::kShutdownConsole, "Console", &deleteConsole);

// A movie's or a font's sizes are input: placements stay within this many pixels.
constexpr float kMaxPixels = 100000.0f;
constexpr int kMaxLineHeight = 1000;

int lineHeight() {
    const Font* font = getFontByName(v_ConsoleFont->text);
    const int height = font ? font->getHeight() : 0;
    return height > 0 ? std::min(height, kMaxLineHeight) : kFallbackLineHeight;
}

int toPixels(float twips) {
    const float pixels = twips * flash::pixels_per_twip;
    return std::isfinite(pixels) ? static_cast<int>(std::clamp(pixels, -kMaxPixels, kMaxPixels)) : 0;
}

void setFieldText(flash::edit_text_character* field, const std::string& text) {
    if (field) field->set_text_value(flash::bx_string(text.c_str()));
}

}  // namespace

Console::Console() {
    scriptClass();
    const std::string movieName = v_ConsoleSwf->text;
    {
        ScopedProfiler profiler(kInitName, "Loaded swf: " + movieName);
        Application* app = Application::instance();
        flash::player* player = app ? app->player() : nullptr;
        // Asked of the file system first: a missing movie is this one error, not the engine's too.
        VFS::VFSManager* files = VFS::VFSManager::instance();
        const bool found = files && files->findFile(movieName, VFS::VFSManager::kByName | VFS::VFSManager::kByPath);
        flash::smart_ptr<flash::root> root = player && found ? player->load_file(movieName.c_str()) : nullptr;
        if (root) {
            setRoot(root.get_ptr());
            buildFields();
        } else {
            Tov::LogLine("ERROR") << kMissingMovie << kInitName;
        }
    }
    // The history is read also without a movie: nothing typed before is lost.
    m_history.load(ConsoleHistory::resolve(Profiles::folder(), v_ConsoleHistory->text));
    script::setConsoleSink(this);
    app::setScreen(app::Screen::Console, this);
    if (Application* app = Application::instance()) app->addToRenderList(this);
}

Console::~Console() {
    if (script::consoleSink() == this) script::setConsoleSink(nullptr);
    if (app::screen(app::Screen::Console) == this) app::setScreen(app::Screen::Console, nullptr);
    if (Application* app = Application::instance()) {
        app->removeFromRenderList(this);
        if (app->modalPanel() == this) app->setActivePanel(nullptr);
    }
}

void Console::buildFields() {
    // The first frame places the clips the fields go into; the player's current root (the
    // screen that has the keyboard) is given back afterwards.
    Application* app = Application::instance();
    flash::player* player = app ? app->player() : nullptr;
    flash::smart_ptr<flash::root> previous = player ? player->get_root() : nullptr;
    if (player) player->set_root(m_root.get_ptr());
    m_root->advance(0.0f);
    if (player) player->set_root(previous.get_ptr());
    m_root->set_visible(false);
    flash::sprite_instance* top = m_root->get_root_sprite();
    if (!top) return;
    auto* console = flash::cast_to<flash::sprite_instance>(top->find_character_by_path(kConsoleClip));
    if (console) {
        m_inputField = makeField(console, kInputField, 1);
        m_outputField = makeField(console, kOutputField, kShownLines);
        if (m_inputField) m_inputField->m_has_focus = true;  // shows the caret
    }
    auto* panel = flash::cast_to<flash::sprite_instance>(top->find_character_by_path(kPanelClip));
    if (panel) {
        m_panelField = makeField(panel, kPanelField, ConsolePanelWindow::kShownEntries);
        panel->set_visible(false);
        m_panelClip = panel;
    }
}

flash::edit_text_character* Console::makeField(flash::sprite_instance* clip, const char* name, int lines) {
    // The clip's own box: its bounds in the parent, taken back through its placement.
    flash::rect box;
    clip->get_bound(&box);
    clip->get_matrix().transform_by_inverse(&box);
    const int left = toPixels(box.m_x_min);
    const int top = toPixels(box.m_y_min);
    const int right = toPixels(box.m_x_max);
    const int bottom = toPixels(box.m_y_max);
    const int height = lineHeight();
    const int width = std::max(0, right - left - 2 * kFieldMargin);
    // One line sits at the clip's bottom; several start at its top.
    const int y = lines == 1 ? bottom - kFieldMargin - height : top + kFieldMargin;
    flash::edit_text_character* field =
        clip->create_text_field(name, clip->get_next_highest_depth(), left + kFieldMargin, y, width, height * lines);
    if (!field) return nullptr;
    field->m_font_name = v_ConsoleFont->text.c_str();
    field->m_line_feeds_only = true;
    // The console edits its input itself: the field takes neither focus changes nor typing.
    field->get_definition()->m_readonly = true;
    field->m_typing_locked = true;
    field->m_vertical_alignment = kTopAligned;
    field->m_color = kTextColour;
    return field;
}

void Console::print(const char* line) {
    std::string text = line ? line : "";
    if (text.size() > kMaxLineBytes) text.resize(ConsoleLine::boundaryBefore(text, kMaxLineBytes));
    m_output.push_back(std::move(text));
    while (m_output.size() > kMaxOutputLines) m_output.pop_front();
    m_scroll = maxScroll();
    redrawOutput();
}

void Console::clear() {
    m_output.clear();
    m_scroll = 0;
    redrawOutput();
}

int Console::maxScroll() const { return std::max(0, static_cast<int>(m_output.size()) - kShownLines); }

void Console::redrawOutput() {
    m_outputText.clear();
    const int count = static_cast<int>(m_output.size());
    for (int i = m_scroll; i < count && i < m_scroll + kShownLines; ++i) {
        m_outputText += m_output[static_cast<size_t>(i)];
        m_outputText += '\n';
    }
    setFieldText(m_outputField.get_ptr(), m_outputText);
}

void Console::redrawInput() {
    if (!m_inputField) return;
    setFieldText(m_inputField.get_ptr(), m_input.text());
    m_inputField->m_cursor = static_cast<int>(m_input.cursor());
}

void Console::setVisible(bool visible) {
    if (!m_root) return;  // without its movie the console cannot be shown
    Application* app = Application::instance();
    if (visible) {
        m_root->set_visible(true);
        hidePanel();
        if (app) app->setActivePanel(this);
        return;
    }
    m_root->set_visible(false);
    if (app && app->modalPanel() == this) app->setActivePanel(nullptr);
}

const std::vector<std::string>& Console::panelList() const {
    return m_panelMode == PanelMode::Completions ? m_completions : m_history.entries();
}

void Console::redrawPanel() {
    if (m_panelMode == PanelMode::Completions) {
        m_window.layout(m_completions, m_selection, m_panelText);
    } else {
        int position = m_history.index();
        m_window.layout(m_history.entries(), position, m_panelText);
        m_history.setIndex(position);
    }
    setFieldText(m_panelField.get_ptr(), m_panelText);
}

void Console::showPanel(PanelMode mode) {
    if (m_panelClip) m_panelClip->set_visible(true);
    m_panelShown = true;
    m_selection = 0;
    m_window.reset();
    m_panelMode = mode;
    redrawPanel();
}

void Console::hidePanel() {
    if (m_panelClip) m_panelClip->set_visible(false);
    m_panelShown = false;
    m_panelText.clear();
    setFieldText(m_panelField.get_ptr(), m_panelText);
}

void Console::scroll(int lines) {
    if (!m_panelShown) {
        m_scroll = std::clamp(m_scroll + lines, 0, maxScroll());
        redrawOutput();
        return;
    }
    // The selection stays on an entry (the window's top moves to show it).
    const int last = std::max(0, static_cast<int>(panelList().size()) - 1);
    if (m_panelMode == PanelMode::Completions)
        m_selection = std::clamp(m_selection + lines, 0, last);
    else
        m_history.setIndex(std::clamp(m_history.index() + lines, 0, last));
    redrawPanel();
}

void Console::complete() {
    std::string wanted;
    toLower(m_input.text(), wanted);
    if (wanted.empty()) return;
    console_completion::collect(wanted, m_completions);
    if (m_completions.empty())
        hidePanel();
    else
        showPanel(PanelMode::Completions);
}

void Console::runLine(const std::string& line) {
    if (line.empty()) return;  // nothing to keep or run
    m_history.add(line, v_ConsoleHistoryUnique->value.b);
    const size_t nameEnd = line.find_first_of(kSeparators);
    const std::string name = line.substr(0, nameEnd);
    if (CVar* var = name.empty() ? nullptr : CVar::find(name.c_str())) {
        const size_t valueStart = nameEnd == std::string::npos ? std::string::npos : line.find_first_not_of(kSeparators, nameEnd);
        if (valueStart == std::string::npos) {
            m_input.set(name + " " + var->toString());
            redrawInput();
        } else {
            var->setFromString(line.c_str() + valueStart);
        }
        return;
    }
    runScriptBuffer(line.c_str(), line.size(), kChunkName);
}
