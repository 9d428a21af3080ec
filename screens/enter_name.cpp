#include "screens/enter_name.h"

#include <algorithm>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/profiles.h"
#include "core/string_utils.h"
#include "core/timer.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/event_id.h"
#include "input/input_event.h"
#include "input/keyboard_layout.h"
#include "screens/screen_wiring.h"

namespace {

const screens::ScreenMovie kScreenMovie{EnterName::kMovie, "EnterName::init", screens::kLoopForever,
                                        screens::kPlaying};
constexpr const char* kOkButton = "en_btn_ok";
constexpr const char* kCancelButton = "en_btn_cancel";
constexpr const char* kEditField = "edit_name";
constexpr const char* kCommandButtons = "command_buttons";
constexpr int kNoCancelFrame = 0;
constexpr int kCancelFrame = 1;
// The edit field draws its text from the top (text mode 1).
constexpr int kFieldTextMode = 1;

const app::PartRegistration kRegistration(screens::kScreensStep, app::kStartupEnterName,
                                          &screens::createScreen<EnterName>, app::kShutdownEnterName, "EnterName",
                                          &screens::destroyScreen<EnterName>);

// Typing state of the screen (one screen, one keyboard): the stopwatch made on first use, the
// held key and whether it repeats.
struct Typing {
    std::unique_ptr<CTimer> stopwatch;
    char16_t held = 0;
    bool repeating = false;

    CTimer& clock() {
        if (!stopwatch) stopwatch = std::make_unique<CTimer>();
        return *stopwatch;
    }
};
Typing g_typing;

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t characterCount(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return !isContinuationByte(c); }));
}

bool hasProfiles() {
    Profiles* profiles = Profiles::instance();
    return profiles && !profiles->names.empty();
}

bool profileActive() {
    Profiles* profiles = Profiles::instance();
    return profiles && !profiles->name.empty();
}

}  // namespace

EnterName::EnterName() {
    screens::registerScreen(app::Screen::EnterName, this);
    init();
}

EnterName::~EnterName() { screens::unregisterScreen(app::Screen::EnterName, this); }

void EnterName::init() {
    flash::root* root = screens::loadScreenMovie(*this, kScreenMovie);
    if (!root) return;
    if (flash::character* ok = screens::findDeep(root, kOkButton))
        ok->set_event_callback(&screens::forwardEvent<EnterName>);
    m_editField = screens::findDeepAs<flash::edit_text_character>(root, kEditField);
    flash::edit_text_character* field = m_editField.get_ptr();
    if (!field) return;
    // One line that takes focus and keys, shown as typed.
    if (flash::edit_text_character_def* def = field->get_definition()) {
        def->m_readonly = false;
        def->m_multiline = false;
        def->m_password = false;
        // The field counts its limits in bytes; the screen keeps the name to ten characters.
        def->m_max_length = 0;
    }
    field->m_vertical_alignment = kFieldTextMode;
    field->m_max_chars = 0;
    // Characters go in through the screen, which counts them as characters and never splits one;
    // the field still takes its editing keys.
    field->m_typing_locked = true;
}

void EnterName::focusField() {
    if (flash::edit_text_character* field = m_editField.get_ptr())
        field->on_event(flash::event_id(flash::event_id::SETFOCUS));
}

void EnterName::show() {
    // Without its movie the entry could never be closed again: it does not take the game.
    if (!getRoot()) return;
    if (flash::edit_text_character* field = m_editField.get_ptr()) {
        field->set_text("");
        field->m_cursor = 0;
    }
    setVisible(true);
    Application* application = Application::instance();
    if (application) {
        application->setActivePanel(this);
        if (application->player()) application->player()->set_root(getRoot());
    }
    focusField();
    flash::root* root = getRoot();
    if (flash::character* buttons = screens::findDeep(root, kCommandButtons)) {
        const bool any = hasProfiles();
        buttons->goto_frame(any ? kCancelFrame : kNoCancelFrame);
        if (flash::character* cancel = screens::findDeep(root, kCancelButton))
            cancel->set_event_callback(any ? &screens::forwardEvent<EnterName> : nullptr);
    }
}

void EnterName::render(float dt) {
    BaseRender::render(dt);
    if (isVisible()) focusField();
}

void EnterName::onEvent(flash::character* ch, int eventCode) {
    if (eventCode != screens::kClickEvent || !ch) return;
    const flash::bx_string& name = ch->get_name();
    if (name == kOkButton) {
        accept();
    } else if (name == kCancelButton) {
        // No way back while no profile is active: the game would run with nothing to save into.
        if (profileActive()) hide();
    }
}

void EnterName::accept() {
    flash::edit_text_character* field = m_editField.get_ptr();
    Profiles* profiles = Profiles::instance();
    if (!field || !profiles || field->m_text.length() == 0) return;
    if (profiles->createProfile(field->m_text.c_str())) hide();
}

bool EnterName::onInput(KeyEvent* event) {
    if (!event) return true;
    CTimer& clock = g_typing.clock();
    switch (event->type) {
        case KEY_CLICKED:
            if (event->modifiers == 0 && (event->scanCode == kEnterScanCode || event->scanCode == kPadEnterScanCode))
                accept();
            return true;
        case KEY_PRESSED: {
            char16_t code = event->character;
            if (code >= kNoKeyChar) code = KeyTables::getChar(event->scanCode, (event->modifiers & MODIFIER_SHIFT) != 0);
            bool editingKey = false;
            if (code >= kNoKeyChar) {
                // Keys without a character that edit the text: backspace, delete, home, end, arrows.
                code = static_cast<char16_t>(scanCodeToVirtualKey(event->scanCode, true));
                editingKey = code != 0;
            }
            if (g_typing.held) {
                const uint32_t elapsed = clock.getElapsedMs();
                if (elapsed < kRepeatMs) return true;
                if (!g_typing.repeating) {
                    if (elapsed <= kRepeatDelayMs) return true;
                    g_typing.repeating = true;
                }
            } else {
                g_typing.held = code;
            }
            if (code) type(code, editingKey);
            clock.restart();
            return true;
        }
        case KEY_RELEASED:
            g_typing.held = 0;
            g_typing.repeating = false;
            return true;
        default: clock.restart(); return true;
    }
}

void EnterName::type(char16_t code, bool editingKey) {
    flash::edit_text_character* field = m_editField.get_ptr();
    flash::root* root = getRoot();
    if (!field || !root) return;
    if (editingKey) {
        Application* application = Application::instance();
        root->notify_key_event(application ? application->player() : nullptr, code, true);
        return;
    }
    // A lone half of a surrogate pair is no character.
    if (code >= 0xD800 && code <= 0xDFFF) return;
    std::string text = field->m_text.c_str();
    if (characterCount(text) >= kMaxNameCharacters) return;
    size_t at = static_cast<size_t>(std::clamp(field->m_cursor, 0, static_cast<int>(text.size())));
    while (at > 0 && at < text.size() && isContinuationByte(text[at])) --at;
    const std::string typed = wstringToUtf8(std::u16string(1, code));
    text.insert(at, typed);
    field->set_text(text.c_str());
    field->m_cursor = static_cast<int>(at + typed.size());
}
