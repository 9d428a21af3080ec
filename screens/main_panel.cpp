#include "screens/main_panel.h"

#include <cmath>

#include "app/application.h"
#include "app/game_layers.h"
#include "audio/media_center.h"
#include "core/cvar.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "graphics/d3d_application.h"
#include "particles/effect_mgr.h"
#include "platform/clock.h"
#include "screens/main_panel_notice.h"
#include "screens/screen_wiring.h"
#include "script/console_sink.h"
#include "script/script_core.h"
#include "script/script_timers.h"

namespace {

constexpr const char* kButtons[] = {"mp_hint_btn", "mp_menu_btn", "mp_task_btn", "mp_skip_btn", ""};
constexpr const char* kDialogAnim = "dialog_anim";
constexpr const char* kDialogText = "DialogText";
constexpr const char* kHeroAvatar = "heroava";
constexpr const char* kObjectField = "ObjField";
constexpr const char* kTextPlace = "TextPlace";
constexpr const char* kSkipReadyLabel = "fade_out";

constexpr int kClickEvent = screens::kClickEvent;
// The bubble's ranges: opening, closing, and the short box of playMsgBox.
constexpr int kOpenFirst = 0, kOpenLast = 7;
constexpr int kCloseFirst = 13, kCloseLast = 19;
constexpr int kBoxFirst = 22, kBoxLast = 28;
constexpr float kShowTextDelay = 0.2f;
constexpr float kHideDelay = 0.3f;
// Effects of the panel start in the middle of the screen.
constexpr float kEffectX = 512.0f, kEffectY = 384.0f;
constexpr int kDialogVerticalPlacement = 2;
// One play of a range, no wait between loops.
constexpr int kPlayOnce = 0;
constexpr float kNoLoopDelay = -1.0f;

uint32_t tickCount() { return static_cast<uint32_t>(platform::monotonicMs()); }

void onDialogFontChanged(CVar*) {
    if (MainPanel* panel = MainPanel::instance())
        if (flash::character* ch = panel->findClip(kDialogText))
            if (auto* field = flash::cast_to<flash::edit_text_character>(ch)) field->m_font_name = d_MFSFFont->text.c_str();
}

std::string g_pendingTask;
bool g_pendingTaskCentred = false;

// Made at start-up step 16, first of the screens: it heads the render list.
const app::PartRegistration kRegistration(screens::kScreensStep, app::kStartupMainPanel,
                                          &screens::createScreen<MainPanel>, app::kShutdownMainPanel, "MainPanel",
                                          &screens::destroyScreen<MainPanel>);

}  // namespace

std::string luaQuoted(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\\n"; break;
            case '\r': out += "\\r"; break;
            case '\0': {
                // A digit after it must not join the escape.
                out += "\\000";
                break;
            }
            default: out += c;
        }
    }
    out += '"';
    return out;
}

const std::string& MainPanel::pendingTask() { return g_pendingTask; }
bool MainPanel::pendingTaskCentred() { return g_pendingTaskCentred; }
void MainPanel::setPendingTask(const std::string& text, bool centred) {
    g_pendingTask = text;
    g_pendingTaskCentred = centred;
}

MainPanel::MainPanel() {
    setFlagCallback(this, &MainPanel::onFlagsChanged);
    screens::registerScreen(app::Screen::MainPanel, this);
    init();
    if (flash::character* place = findClip(kTextPlace)) {
        m_textPlaceWidth = static_cast<int>(place->get_width());
        m_textPlaceHeight = static_cast<int>(place->get_height());
    }
    m_hintButton = flash::cast_to<flash::sprite_instance>(findClip(kButtons[0]));
    m_skipButton = flash::cast_to<flash::sprite_instance>(findClip(kButtons[3]));
    if (flash::sprite_instance* skip = m_skipButton.get_ptr()) m_skipReadyFrame = skip->getLabeledFrame(kSkipReadyLabel);
    m_dialogText = flash::cast_to<flash::edit_text_character>(findClip(kDialogText));
    d_MFSFFont->setCallback(&onDialogFontChanged, true);
    if (flash::edit_text_character* field = m_dialogText.get_ptr()) {
        field->m_color = flash::rgba(255, 255, 255, 255);
        field->m_vertical_alignment = kDialogVerticalPlacement;
        field->set_visible(false);
    }
}

MainPanel::~MainPanel() {
    d_MFSFFont->setCallback(nullptr, false);
    destroyEntries();
    delete m_taskNotice;
    m_taskNotice = nullptr;
    m_onHideScript.clear();
    screens::unregisterScreen(app::Screen::MainPanel, this);
}

void MainPanel::init() {
    static const screens::ScreenMovie kMovie{kMovieName, "MainPanel::init", screens::kLoopForever, screens::kStopped};
    flash::root* root = screens::loadScreenMovie(*this, kMovie);
    if (!root) return;
    screens::wireButtons(root, kButtons, &MainPanel::buttonCallback);
    if (flash::character* bubble = findClip(kDialogAnim)) bubble->set_event_callback(&MainPanel::buttonCallback);
    m_heroAvatar = findClip(kHeroAvatar);
    if (flash::character* hero = m_heroAvatar.get_ptr())
        hero->set_play_state(flash::character::STOP);
    else
        Tov::LogLine("ERROR") << "not found persons in mainpanel";
    m_objectField = findClip(kObjectField);
}

flash::character* MainPanel::findClip(const char* name, bool deep) const {
    if (deep) return screens::findDeep(m_root.get(), name);
    flash::sprite_instance* top = m_root ? m_root->get_root_sprite() : nullptr;
    return top ? top->get_character_by_name(name, false) : nullptr;
}

flash::sprite_instance* MainPanel::hintButton() const { return m_hintButton.get_ptr(); }
flash::sprite_instance* MainPanel::skipButton() const { return m_skipButton.get_ptr(); }
flash::character* MainPanel::heroAvatar() const { return m_heroAvatar.get_ptr(); }
flash::character* MainPanel::objectField() const { return m_objectField.get_ptr(); }
flash::sprite_instance* MainPanel::dialogAnim() const {
    return flash::cast_to<flash::sprite_instance>(findClip(kDialogAnim));
}
flash::edit_text_character* MainPanel::dialogText() const { return m_dialogText.get_ptr(); }

void MainPanel::playSound(const char* name) const {
    if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance()) media->playSound(name, false, true, true);
}

void MainPanel::startEffect(const char* name, float x, float y) {
    if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance())
        effects->startEffect(x, y, name, true, true, 0);
}

void MainPanel::buttonCallback(flash::character* ch, int event) {
    if (event == kClickEvent)
        if (Application* app = Application::instance()) app->resetTimer();
    if (MainPanel* panel = MainPanel::instance()) panel->onEvent(ch, event);
}

void MainPanel::onEvent(flash::character* ch, int event) {
    if (event != kClickEvent || !ch) return;
    const std::string name = ch->get_name().c_str();
    const bool debug = d_DebugMode->value.b;
    if (name == "mp_hint_btn") {
        screens::takeInput();
        if (anyFlag(kHintReady) || debug) {
            app::GameLevel* level = app::currentLevel();
            if (level && level->hint()) {
                playSound("use_help");
                setFlag(kHintReady, false);
            }
        }
    } else if (name == "mp_skip_btn") {
        screens::takeInput();
        if (anyFlag(kSkipReady) || debug)
            if (app::GameLevel* level = app::currentLevel()) level->skip();
    } else if (name == "mp_menu_btn") {
        if (app::PauseMenu* menu = app::pauseMenu()) menu->show(false);
        screens::takeInput();
    } else if (name == "mp_task_btn") {
        screens::takeInput();
    } else if (name == kDialogAnim) {
        const uint32_t now = tickCount();
        m_msgClickTime = now;
        if (m_msgOpen && static_cast<int64_t>(now - m_msgOpenTime) > d_msgBoxTimeDelta->value.i) hideMsg(false);
    }
}

void MainPanel::onFlagsChanged(unsigned mask, bool on) {
    if (mask & kHintReady) {
        if (flash::sprite_instance* hint = hintButton()) hint->goto_frame(on ? hint->get_frame_count() - 1 : 0);
        if (on && !anyFlag(kHintSilent)) playSound("help");
    }
    if (mask & kSkipShown) _setSkipBtnVisible(on);
}

void MainPanel::_setSkipBtnVisible(bool visible) {
    Tov::LogLine("MESSAGE") << "MainPanel::_setSkipBtnVisible " << (visible ? 1 : 0);
    setFlag(kSkipReady, false);
    flash::sprite_instance* skip = skipButton();
    if (!skip) return;
    skip->goto_frame(visible ? 0 : m_skipReadyFrame);
    skip->set_loop(kPlayOnce, false, kNoLoopDelay);
    skip->set_play_state(flash::character::PLAY);
    if (visible) {
        skip->set_visible(true);
        m_skipClock = 0.0f;
    }
}

void MainPanel::update(float dt) {
    // Hint recharge.
    m_hintClock += dt;
    if (m_hintClock > d_hintFrameTime->value.f[0]) {
        m_hintClock = 0.0f;
        flash::sprite_instance* hint = hintButton();
        const int frame = hint ? hint->get_current_frame() : 0;
        const int frames = hint ? hint->get_frame_count() : 0;
        const int step = d_hintFrameUpdate->value.i;
        if (!anyFlag(kHintReady) && frame < frames - step) {
            hint->goto_frame(frame + step);
        } else {
            if (!anyFlag(kHintReady)) startEffect("lupa_ready_runningsparkle", kEffectX, kEffectY);
            setFlag(kHintReady, true);
        }
    }
    // Skip readiness.
    if (anyFlag(kSkipShown) && !anyFlag(kSkipReady)) {
        m_skipClock += dt;
        if (m_skipClock > d_skipFrameTime->value.f[0]) {
            m_skipClock = 0.0f;
            flash::sprite_instance* skip = skipButton();
            const int frame = skip ? skip->get_current_frame() : 0;
            const int step = d_skipFrameUpdate->value.i;
            if (skip && frame < m_skipReadyFrame - step) {
                skip->goto_frame(frame + step);
            } else {
                startEffect("skip_minigame_ready", kEffectX, kEffectY);
                setFlag(kSkipReady, true);
                Tov::LogLine("MESSAGE") << "SkipMinigameAvailable";
            }
        }
    }
    if (m_taskNotice) m_taskNotice->update(dt);
    if (anyFlag(kListHasEntries) && updateEntries(dt)) {
        setFlag(kListHasEntries, false);
        if (!g_pendingTask.empty()) {
            showTask(g_pendingTask, g_pendingTaskCentred);
            return;
        }
        if (m_taskNotice) m_taskNotice->setFlag(NotificationElement::kFadingOut, true);
    }
}

void MainPanel::render(float dt) {
    if (!d_RenderMainPanel->value.b) {
        // Not drawn, but the movie still plays, so its buttons still take clicks.
        if (!isVisible()) return;
        Application* app = Application::instance();
        if (app && app->player()) app->player()->set_root(m_root.get());
        m_root->advance(dt);
        return;
    }
    CMyD3DApplication* frameApp = CMyD3DApplication::instance();
    IDirect3DDevice9* device = frameApp ? frameApp->getDevice() : nullptr;
    DWORD minFilter = D3DTEXF_NONE, magFilter = D3DTEXF_NONE;
    if (device) {
        device->GetSamplerState(0, D3DSAMP_MINFILTER, &minFilter);
        device->GetSamplerState(0, D3DSAMP_MAGFILTER, &magFilter);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_NONE);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_NONE);
    }
    BaseRender::render(dt);
    if (device) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, minFilter);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, magFilter);
    }
}

void MainPanel::playRange(flash::sprite_instance* clip, int from, int to) {
    clip->goto_frame(from);
    clip->set_play_state(flash::character::PLAY);
    clip->setFramesForPlay(from, to);
    clip->set_visible(true);
    clip->set_loop(kPlayOnce, false, kNoLoopDelay);
}

void MainPanel::showMsg(const std::string& text, int) {
    const uint32_t now = tickCount();
    const uint32_t sinceClick = now - m_msgClickTime;
    if (static_cast<int64_t>(sinceClick) < d_msgBoxTimeDelta->value.i || m_msgOpen) return;
    script::consolePrint(("Showing msg " + std::to_string(sinceClick)).c_str());
    if (flash::sprite_instance* anim = dialogAnim()) playRange(anim, kOpenFirst, kOpenLast);
    if (flash::edit_text_character* field = dialogText()) field->set_visible(false);
    m_msgOpenTime = now;
    m_msgOpen = true;
    if (ScriptTimerManager* timers = ScriptTimerManager::instance())
        timers->addTimer("getMainPanel():_showText(" + luaQuoted(text) + ")", kShowTextDelay, 1, false);
}

void MainPanel::showMsgEx(const std::string& text, int number, const std::string& onHideScript) {
    m_onHideScript = onHideScript;
    showMsg(text, number);
}

void MainPanel::_showText(const std::string& text) {
    if (flash::edit_text_character* field = dialogText()) {
        field->set_text(text.c_str());
        field->set_visible(true);
    }
}

void MainPanel::hideMsg(bool immediately) {
    flash::sprite_instance* anim = dialogAnim();
    if (!anim || (!immediately && !m_msgOpen)) return;
    m_msgOpen = false;
    flash::edit_text_character* field = dialogText();
    if (!immediately) {
        playRange(anim, kCloseFirst, kCloseLast);
        if (field) field->set_visible(false);
        if (ScriptTimerManager* timers = ScriptTimerManager::instance())
            timers->addTimer("hide_main_panel_msg()", kHideDelay, 1, false);
    } else {
        anim->set_visible(false);
    }
    if (field) field->set_visible(false);
    if (!m_onHideScript.empty()) {
        // Taken before it runs: the script may store the next one.
        const std::string script = std::move(m_onHideScript);
        m_onHideScript.clear();
        runScriptBuffer(script.c_str(), script.size(), "MainPanel::hideMsg");
    }
}

void MainPanel::playMsgBox(int) {
    if (flash::sprite_instance* anim = dialogAnim()) playRange(anim, kBoxFirst, kBoxLast);
}

void MainPanel::setElementDepth(const std::string& elementName, const std::string& clipName, int depth) {
    app::GameLevel* level = app::currentLevel();
    if (!level) return;
    flash::character* element = level->elementClip(elementName);
    if (!element) return;
    flash::character* clip = findClip(clipName.c_str(), false);
    if (!clip) return;
    flash::character* parent = clip->get_parent();
    flash::display_list* list = parent && parent->cast_to_sprite() ? parent->get_display_list() : nullptr;
    if (list) list->set_character_depth(element, depth);
}

void MainPanel::reset() {
    destroyEntries();
    setFlag(kListLive, false);
    m_columnCount[0] = m_columnCount[1] = 0;
    m_columnLast[0] = m_columnLast[1] = nullptr;
    buildTaskList();
    setFlag(kListLive, true);
    m_msgOpen = false;
    setFlag(kHintSilent, true);
    setFlag(kHintReady, true);
    setFlag(kHintSilent, false);
    setFlag(kSkipShown, false);
}
