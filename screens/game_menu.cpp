#include "screens/game_menu.h"

#include <cstdint>
#include <string>

#include "app/application.h"
#include "app/mouse_cursor.h"
#include "app/profiles.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "flash/base/numeric.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "flash/shape/geometry.h"
#include "particles/effect_mgr.h"
#include "screens/main_menu.h"
#include "screens/main_panel.h"
#include "screens/screen_wiring.h"
#include "script/script_core.h"

namespace {

const screens::ScreenMovie kScreenMovie{GameMenu::kMovie, "GameMenu::init", screens::kLoopForever, screens::kPlaying};
const char* const kButtons[] = {"mainmenu_btn",    "continue_btn",   "restart_btn",     "quit_btn",
                                "MusicSliderCtrl", "SoundSliderCtrl", "FullScreen",     "music_minus_btn",
                                "music_plus_btn",  "snd_minus_btn",  "snd_plus_btn",    ""};

constexpr const char* kMusicSlider = "MusicSlider";
constexpr const char* kSoundSlider = "SoundSlider";
constexpr const char* kMusicKnob = "MusicSliderCtrl";
constexpr const char* kSoundKnob = "SoundSliderCtrl";
constexpr const char* kFullScreenButton = "FullScreen";
constexpr const char* kCommands = "comand_buttons";
constexpr const char* kQuitQuestion = "ids_surequit";
constexpr const char* kClearLevelScript = "common.clear_level()";
constexpr const char* kClearLevelsScript = "clear_levels()";

constexpr int kFullVolume = 100;
constexpr int kAlphaChannel = 3;
constexpr float kShownAlpha = 1.0f;
constexpr float kHiddenAlpha = 0.0f;

const app::PartRegistration kRegistration(screens::kScreensStep, app::kStartupGameMenu, &screens::createScreen<GameMenu>,
                                          app::kShutdownGameMenu, "GameMenu", &screens::destroyScreen<GameMenu>);

// The root movie's own child of that name (no deeper search).
flash::character* findShallowCharacter(flash::root* root, const char* name) {
    flash::sprite_instance* movie = root ? root->get_root_sprite() : nullptr;
    return movie ? movie->get_character_by_name(flash::bx_string(name), false) : nullptr;
}
flash::sprite_instance* findShallow(flash::root* root, const char* name) {
    return flash::cast_to<flash::sprite_instance>(findShallowCharacter(root, name));
}

// The switch shows the mode by its alpha: opaque in full screen, clear in a window.
void showMode(flash::character* button, bool fullScreen) {
    flash::cxform cx = button->get_cxform();
    flash::finite_assign(cx.m_[kAlphaChannel][0], fullScreen ? kShownAlpha : kHiddenAlpha);
    button->set_cxform(cx);
}

}  // namespace

GameMenu::GameMenu() {
    screens::registerScreen(app::Screen::GameMenu, this);
    app::setPauseMenu(this);
    init();
}

GameMenu::~GameMenu() {
    if (app::pauseMenu() == this) app::setPauseMenu(nullptr);
    screens::unregisterScreen(app::Screen::GameMenu, this);
}

void GameMenu::init() {
    flash::root* root = screens::loadScreenMovie(*this, kScreenMovie);
    if (!root) return;
    screens::wireButtons(root, kButtons, &screens::forwardEvent<GameMenu>);
    m_musicSlider = findShallow(root, kMusicSlider);
    m_soundSlider = findShallow(root, kSoundSlider);
    for (const auto& [slider, name] : {std::pair{m_musicSlider.get_ptr(), kMusicSlider},
                                       std::pair{m_soundSlider.get_ptr(), kSoundSlider}}) {
        // Without it the slider's buttons and knob change nothing.
        if (!slider) Tov::LogLine("ERROR") << name << " not found in " << kMovie << ": " << "GameMenu::init";
        else slider->set_play_state(flash::character::STOP, false);
    }
}

int GameMenu::volumeAt(int position, int frames) {
    if (frames <= 0) return 0;
    return static_cast<int>(static_cast<int64_t>(position) * kFullVolume / frames);
}

int GameMenu::frameFor(float volume, int frames) {
    const int64_t frame = static_cast<int64_t>(frames - 1) * flash::ftrunc(volume) / kFullVolume;
    return static_cast<int>(frame);
}

void GameMenu::refresh() {
    flash::root* root = getRoot();
    if (flash::character* button = findShallowCharacter(root, kFullScreenButton))
        showMode(button, s_fullScreenMode->value.b);
    if (flash::sprite_instance* slider = musicSlider())
        slider->goto_frame(frameFor(s_musicVol->value.f[0], slider->get_frame_count()));
    if (flash::sprite_instance* slider = soundSlider())
        slider->goto_frame(frameFor(s_soundVol->value.f[0], slider->get_frame_count()));
}

void GameMenu::show(bool fromMainMenu) {
    flash::root* root = getRoot();
    if (!root) return;
    refresh();
    setVisible(true);
    if (Application* application = Application::instance()) application->setActivePanel(this);
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->hideConnected();
    auto* commands = screens::findDeepAs<flash::sprite_instance>(root, kCommands);
    if (!commands) return;
    commands->goto_frame(fromMainMenu ? kOptionsCommands : kPlayCommands);
    // Each form of the commands holds buttons of its own: the frame change makes new instances,
    // which get the menu's callback afresh (the options form's own return button too).
    screens::wireButtons(root, kButtons, &screens::forwardEvent<GameMenu>);
}

void GameMenu::onEvent(flash::character* ch, int eventCode) {
    if (!ch) return;
    const flash::bx_string& name = ch->get_name();
    if (eventCode == kDragEvent) {
        Tov::LogLine("MESSAGE") << "drag :" << name.c_str();
        if (name == kSoundKnob || name == kMusicKnob) onSliderDrag(ch);
        return;
    }
    if (eventCode != screens::kClickEvent) return;
    if (name == "mainmenu_btn") {
        if (MainPanel* panel = MainPanel::instance()) panel->hideMsg(false);
        BaseRender* mainMenu = app::screen(app::Screen::MainMenu);
        if (mainMenu && mainMenu->isVisible()) {
            onMainMenuAnswer(kAnswerYes);
        } else if (app::MessageBox* box = app::messageBox()) {
            box->show(app::MessageBox::kTypeYesNo, kQuitQuestion, [](int answer) {
                if (GameMenu* menu = GameMenu::instance()) menu->onMainMenuAnswer(answer);
            });
        }
        screens::takeInput();
    } else if (name == "continue_btn") {
        hide();
        if (MouseCursor* cursor = MouseCursor::instance()) cursor->restoreConnected();
        screens::takeInput();
    } else if (name == "quit_btn") {
        if (app::MessageBox* box = app::messageBox())
            box->show(app::MessageBox::kTypeYesNo, kQuitQuestion, [](int answer) {
                if (Application* application = Application::instance()) application->requestQuit(answer);
            });
        screens::takeInput();
    } else if (name == "restart_btn") {
        if (app::LevelControl* levels = app::levelControl()) levels->restartCurrentLevel();
        hide();
        screens::takeInput();
    } else if (name == kFullScreenButton) {
        showMode(ch, !s_fullScreenMode->value.b);
        if (Application* application = Application::instance()) application->switchWindowMode();
    } else if (name == "music_minus_btn") {
        stepSlider(musicSlider(), -1, true);
    } else if (name == "music_plus_btn") {
        stepSlider(musicSlider(), +1, true);
    } else if (name == "snd_minus_btn") {
        stepSlider(soundSlider(), -1, false);
    } else if (name == "snd_plus_btn") {
        stepSlider(soundSlider(), +1, false);
    }
}

void GameMenu::stepSlider(flash::sprite_instance* slider, int step, bool music) {
    if (!slider) return;
    const int frames = slider->get_frame_count();
    const int position = slider->get_current_frame() + step;
    if (position >= 0 && position < frames) slider->goto_frame(position);
    setVolume(music, volumeAt(slider->get_current_frame(), frames));
}

void GameMenu::setVolume(bool music, int volume) {
    Profiles* profiles = Profiles::instance();
    if (!profiles) return;
    if (music) profiles->setMusicVolume(static_cast<float>(volume));
    else profiles->setSoundVolume(static_cast<float>(volume));
}

void GameMenu::onSliderDrag(flash::character* knob) {
    flash::sprite_instance* frameSource = soundSlider();
    if (!knob || !frameSource) return;
    MouseCursor* cursor = MouseCursor::instance();
    const int x = flash::iclamp(cursor ? cursor->x() : 0, kKnobLeft, kKnobRight);
    flash::matrix m = knob->get_matrix();
    flash::finite_assign(m.m_[0][2], static_cast<double>(x) * flash::twips_per_pixel);
    knob->set_matrix(m);
    // Both knobs count positions by the sound slider's frames.
    const int frames = frameSource->get_frame_count();
    const int position = frames * (x - kKnobLeft) / (kKnobRight - kKnobLeft);
    const bool music = knob->get_name() == kMusicKnob;
    flash::sprite_instance* slider = music ? musicSlider() : soundSlider();
    if (!slider) return;
    // Position n, one past the last frame, leaves the slider where it is; the volume is full.
    slider->goto_frame(position);
    setVolume(music, volumeAt(position, frames));
}

void GameMenu::onMainMenuAnswer(int answer) {
    if (answer != kAnswerYes) return;
    BaseRender* mainMenu = app::screen(app::Screen::MainMenu);
    if (mainMenu && mainMenu->isVisible()) {
        hide();
        return;
    }
    runScriptBuffer(kClearLevelScript, 0, "GameMenu::onMainMenuAnswer");
    if (app::LevelControl* levels = app::levelControl()) levels->waitLoader();
    hide();
    if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance()) effects->clearEffects();
    runScriptBuffer(kClearLevelsScript, 0, "GameMenu::onMainMenuAnswer");
    if (MainMenu* menu = MainMenu::instance()) menu->playAmbient();
}
