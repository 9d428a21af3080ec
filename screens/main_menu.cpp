#include "screens/main_menu.h"

#include <cmath>

#include "app/application.h"
#include "app/profiles.h"
#include "audio/media_center.h"
#include "core/log_stream.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/shape/geometry.h"
#include "input/text_utils.h"
#include "screens/choose_profile.h"
#include "screens/screen_wiring.h"

namespace {

const screens::ScreenMovie kScreenMovie{MainMenu::kMovie, "MainMenu::init", screens::kLoopForever,
                                        screens::kPlaying};
const char* const kButtons[] = {"mm_quit_btn", "change_profile_text_t", "mm_play_btn", "mm_options_btn",
                                "mm_credits_btn", ""};

constexpr const char* kProfileNameLabel = "profile_name_text";
constexpr const char* kProfileNameField = "profile_name_text_t";
constexpr const char* kChangeProfileClip = "change_profile_text";
constexpr const char* kChangeProfileText = "change_profile_text_t";
constexpr const char* kChangeProfileKey = "ids_changeuser";
constexpr const char* kQuitQuestion = "ids_yesno";

// The change-profile text: blue, 40 high, broken only at line feeds, never typed into.
constexpr uint32_t kChangeProfileColour = 0xFF0000FF;
constexpr int kChangeProfileFontHeight = 40;

// The ambient loop: looping, not transient, a slot of its own sound reused.
constexpr bool kAmbientLoops = true;
constexpr bool kAmbientTransient = false;
constexpr bool kAmbientReuse = true;
constexpr int kMenuTrack = 0;
constexpr int kEverySound = -1;

const app::PartRegistration kRegistration(screens::kScreensStep, app::kStartupMainMenu,
                                          &screens::createScreen<MainMenu>, app::kShutdownMainMenu, "MainMenu",
                                          &screens::destroyScreen<MainMenu>);

}  // namespace

MainMenu::MainMenu() {
    screens::registerScreen(app::Screen::MainMenu, this);
    init();
}

MainMenu::~MainMenu() { screens::unregisterScreen(app::Screen::MainMenu, this); }

void MainMenu::init() {
    flash::root* root = screens::loadScreenMovie(*this, kScreenMovie);
    if (!root) return;
    screens::wireButtons(root, kButtons, &screens::forwardEvent<MainMenu>);
    // Every button of the menu clicks alike.
    for (const char* const* name = kButtons; **name; ++name)
        if (flash::character* ch = screens::findDeep(root, *name)) ch->m_sound_names[flash::SOUND_PRESS] = kClickSound;

    (void)screens::findDeep(root, kProfileNameLabel);
    m_profileNameField = screens::findDeepAs<flash::edit_text_character>(root, kProfileNameField);

    flash::character* changeClip = screens::findDeep(root, kChangeProfileClip);
    if (!changeClip) {
        Tov::LogLine("ERROR") << "not find element change_profile_text in mainmenu!!!";
        return;
    }
    const int width = static_cast<int>(std::trunc(changeClip->get_width() / flash::twips_per_pixel));
    const int height = static_cast<int>(std::trunc(changeClip->get_height() / flash::twips_per_pixel));
    TextUtils::TextFieldStyle style;
    style.width = 2 * width;
    style.height = height;
    style.lineFeedsOnly = true;
    style.colour = kChangeProfileColour;
    style.fontHeight = kChangeProfileFontHeight;
    style.typingLocked = true;
    flash::edit_text_character* text = TextUtils::createTextField(changeClip, kChangeProfileText, style);
    m_changeProfileText = text;
    if (!text) return;
    text->set_event_callback(&screens::forwardEvent<MainMenu>);
    text->m_sound_names[flash::SOUND_PRESS] = kClickSound;
    TextUtils::utf8ToWide(text, kChangeProfileKey);
}

void MainMenu::onEvent(flash::character* ch, int eventCode) {
    if (eventCode != screens::kClickEvent || !ch) return;
    const flash::bx_string& name = ch->get_name();
    if (name == "mm_play_btn") {
        // The profile's level, or the first one of a new game, through the loading screen.
        Profiles* profiles = Profiles::instance();
        if (Application* application = Application::instance())
            application->startLoading(profiles ? profiles->CurrentLevel : std::string());
        screens::takeInput();
    } else if (name == "mm_quit_btn") {
        if (app::MessageBox* box = app::messageBox())
            box->show(app::MessageBox::kTypeYesNo, kQuitQuestion, [](int answer) {
                if (Application* application = Application::instance()) application->requestQuit(answer);
            });
        screens::takeInput();
    } else if (name == "mm_options_btn") {
        if (app::PauseMenu* menu = app::pauseMenu()) menu->show(true);
        screens::takeInput();
    } else if (name == "mm_credits_btn") {
        // No credits: the click stays with the next receiver.
    } else if (name == kChangeProfileText) {
        if (ChooseProfile* chooser = ChooseProfile::instance()) chooser->show();
        screens::takeInput();
    }
}

void MainMenu::updateProfileName() {
    Profiles* profiles = Profiles::instance();
    flash::edit_text_character* field = m_profileNameField.get_ptr();
    if (profiles && field) field->set_text(profiles->name.c_str());
}

void MainMenu::playAmbient() {
    setVisible(true);
    MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
    if (!media) return;
    media->stopSound(kEverySound);
    if (m_ambientChannel != kNoChannel) media->stopSound(m_ambientChannel);
    if (media->getMusicIndex() != kMenuTrack) media->playMusicTrack(kMenuTrack, false);
    m_ambientChannel = media->playSound(kAmbientSound, kAmbientLoops, kAmbientTransient, kAmbientReuse);
}

void MainMenu::hide() {
    if (m_ambientChannel != kNoChannel)
        if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance()) media->stopSound(m_ambientChannel);
    BaseRender::hide();
}
