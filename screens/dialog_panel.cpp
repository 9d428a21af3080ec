#include "screens/dialog_panel.h"

#include <cstring>
#include <string>

#include "app/application.h"
#include "app/mouse_cursor.h"
#include "audio/media_center.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "input/input_event.h"
#include "screens/screen_wiring.h"
#include "script/script_core.h"

extern CVar* d_DialogsFont;
extern CVar* d_DialogsLevelZoom;

namespace {

const screens::ScreenMovie kScreenMovie{DialogPanel::kMovie, "DialogPanel::init", screens::kLoopOnce,
                                        screens::kStopped};
constexpr const char* kWorkArea = "WorkArea";
constexpr const char* kSkipButton = "skip_btn";
constexpr const char* kTextPanel = "TextPanel";
constexpr const char* kZoomInLabel = "zoom_in";
constexpr const char* kZoomOutLabel = "zoom_out";
constexpr const char* kBubblePrefix = "ids_dialog_";
constexpr const char* kBubbleSound = "dialog_bubble_click_ph";
constexpr int kEscapeScanCode = 1;
constexpr int kLastFrame = -1;
constexpr float kNoLoopDelay = -1.0f;
// The level's own size, and the centre the zoom keeps in place.
constexpr float kLevelSize = 1.0f;
constexpr uint8_t kWhite = 0xFF;
// Flags a finished dialog clears; the movie stays loaded.
constexpr unsigned kDialogFlags = DialogPanel::kRunning | DialogPanel::kEnding | DialogPanel::kWaiting |
                                  DialogPanel::kStartFlag | DialogPanel::kZoomingIn | DialogPanel::kZoomingOut;

const app::PartRegistration kRegistration(screens::kScreensStep, app::kStartupDialogPanel,
                                          &screens::createScreen<DialogPanel>, app::kShutdownDialogPanel,
                                          "DialogPanel", &screens::destroyScreen<DialogPanel>);

void runScript(const std::string& script) {
    if (!script.empty()) runScriptBuffer(script.c_str(), 0, "DialogPanel");
}

}  // namespace

DialogPanel::DialogPanel() {
    screens::registerScreen(app::Screen::DialogPanel, this);
    app::setDialogControl(this);
}

DialogPanel::~DialogPanel() {
    if (app::dialogControl() == this) app::setDialogControl(nullptr);
    screens::unregisterScreen(app::Screen::DialogPanel, this);
}

void DialogPanel::init() {
    if (anyFlag(kLoaded)) return;
    setFlag(kLoaded, true);
    flash::root* root = screens::loadScreenMovie(*this, kScreenMovie);
    if (!root) return;
    m_workArea = screens::findDeep(root, kWorkArea);
    if (flash::character* area = m_workArea.get_ptr())
        area->set_event_callback(&DialogPanel::onClip);
    else
        // Bubbles then wait for skip or Escape.
        Tov::LogLine("ERROR") << kWorkArea << " not found in " << kMovie;
    m_clip = nullptr;
    m_targetFrame = 0;
    m_counter = 0;
}

bool DialogPanel::refuse(const std::string& script) {
    runScript(script);
    return false;
}

bool DialogPanel::startDialog(const std::string& name, bool flag, const std::string& endScript) {
    m_skipButton = nullptr;
    Tov::LogLine("MESSAGE") << "Starting dialog: " << name;
    if (d_DisableDialogs->value.b) return refuse(endScript);
    flash::root* root = getRoot();
    flash::sprite_instance* movie = root ? root->get_root_sprite() : nullptr;
    const int frame = movie ? movie->getLabeledFrame(name.c_str()) : kNoFrame;
    if (frame < 0) {
        Tov::LogLine("ERROR") << "Not found frame" << name << " in " << kMovie;
        return refuse(endScript);
    }
    movie->goto_frame(frame);
    auto* clip = screens::findDeepAs<flash::sprite_instance>(root, name.c_str());
    if (!clip) {
        Tov::LogLine("ERROR") << "Not found movie clip" << name << " in " << kMovie;
        return refuse(endScript);
    }
    m_clip = clip;
    clip->goto_frame(0);
    // Clips loop unless told otherwise: each bubble's range stops at its target.
    clip->set_loop(screens::kLoopOnce, true, kNoLoopDelay);
    m_counter = 1;
    setText("");
    m_dialogName = name;
    setFlag(kRunning, true);
    setVisible(true);
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->hideConnected();
    // Once: a second registration would make the panel its own previous panel.
    if (Application* application = Application::instance(); application && application->modalPanel() != this)
        application->setActivePanel(this);
    setFlag(kStartFlag, flag);
    m_endScript = endScript;
    nextBubble();
    m_zoomInFrame = clip->getLabeledFrame(kZoomInLabel);
    m_zoomOutFrame = clip->getLabeledFrame(kZoomOutLabel);
    return true;
}

void DialogPanel::nextBubble() {
    setFlag(kWaiting, false);
    flash::sprite_instance* clip = m_clip.get_ptr();
    if (!clip || m_counter == 0) {
        endDialog();
        return;
    }
    if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance())
        media->playSound(kBubbleSound, false, false, false);
    m_bubbleId = kBubblePrefix + m_dialogName + "_" + std::to_string(m_counter);
    m_targetFrame = clip->getLabeledFrame(m_bubbleId.c_str());
    if (m_targetFrame < 0) {
        m_counter = -1;
        m_targetFrame = clip->get_frame_count() - 1;
    }
    clip->setFramesForPlay(clip->get_current_frame(), m_targetFrame);
    clip->set_play_state(flash::character::PLAY, false);
    ++m_counter;
    setText("");
}

void DialogPanel::endDialog() {
    m_zoom = kLevelSize;
    scaleLevel(kLevelSize);
    // Zooming in stops too: a step after this one would leave the level off its size.
    setFlag(kZoomingIn | kZoomingOut | kWaiting, false);
    setFlag(kRunning | kEnding, true);
}

void DialogPanel::skipDialog() {
    if (!anyFlag(kRunning)) return;
    endDialog();
    if (flash::sprite_instance* clip = m_clip.get_ptr()) clip->set_play_state(flash::character::STOP, false);
}

void DialogPanel::setText(const std::string& text) {
    auto* field = screens::findDeepAs<flash::edit_text_character>(getRoot(), kTextPanel);
    if (!field) return;
    field->m_font_name = d_DialogsFont->text.c_str();
    field->m_color = flash::rgba(kWhite, kWhite, kWhite, kWhite);
    field->set_text(text.c_str());
}

void DialogPanel::scaleLevel(float factor) {
    if (app::GameLevel* level = app::currentLevel()) level->scale(factor);
}

void DialogPanel::zoomStep() {
    const int frame = m_clip.get_ptr()->get_current_frame();
    if (frame == m_zoomInFrame && !anyFlag(kZoomingIn)) {
        setFlag(kZoomingIn, true);
        m_zoom = kLevelSize;
    }
    if (frame == m_zoomOutFrame && !anyFlag(kZoomingOut)) setFlag(kZoomingOut, true);
    if (anyFlag(kZoomingIn)) {
        m_zoom += kZoomStep;
        scaleLevel(m_zoom);
        if (m_zoom > d_DialogsLevelZoom->value.f[0]) setFlag(kZoomingIn, false);
    }
    if (anyFlag(kZoomingOut)) {
        m_zoom -= kZoomStep;
        scaleLevel(m_zoom);
        if (m_zoom < kLevelSize) {
            m_zoom = kLevelSize;
            setFlag(kZoomingOut, false);
            endDialog();
        }
    }
}

void DialogPanel::update(float dt) {
    BaseRender::update(dt);
    if (!anyFlag(kRunning)) return;
    flash::sprite_instance* clip = m_clip.get_ptr();
    // A dialog whose clip went, or one running when dialogs were switched off, lets the game go.
    if (!clip || d_DisableDialogs->value.b) {
        finish();
        return;
    }
    // An ending dialog zooms no more: its level stays at its own size.
    if (!anyFlag(kEnding)) zoomStep();
    if (!m_skipButton.get_ptr()) {
        m_skipButton = screens::findDeep(getRoot(), kSkipButton);
        if (flash::character* skip = m_skipButton.get_ptr()) skip->set_event_callback(&DialogPanel::onClip);
    }
    if (clip->get_current_frame() == m_targetFrame && !anyFlag(kEnding | kWaiting)) {
        if (m_counter == 0) {
            endDialog();
            return;
        }
        {
            setFlag(kWaiting, true);
            setText(m_bubbleId);
        }
    }
    if (anyFlag(kEnding) && clip->get_play_state() == flash::character::STOP) finish();
}

void DialogPanel::finish() {
    hide();
    m_clip = nullptr;
    m_targetFrame = 0;
    m_counter = 0;
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->restoreConnected();
    const std::string script = std::move(m_endScript);
    m_endScript.clear();
    setFlag(kDialogFlags, false);
    runScript(script);
}

bool DialogPanel::onInput(KeyEvent* event) {
    if (event && event->scanCode == kEscapeScanCode) skipDialog();
    return true;
}

void DialogPanel::onClip(flash::character* ch, int eventCode) {
    DialogPanel* panel = DialogPanel::instance();
    if (!panel || !ch || eventCode != screens::kClickEvent) return;
    if (std::strcmp(screens::nameOf(ch), kSkipButton) == 0)
        panel->skipDialog();
    else if (panel->anyFlag(kWaiting))
        panel->nextBubble();
}
