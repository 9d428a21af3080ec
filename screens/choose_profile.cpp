#include "screens/choose_profile.h"

#include <string>
#include <vector>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/profiles.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "screens/enter_name.h"
#include "screens/main_menu.h"
#include "screens/msg_box.h"
#include "screens/screen_wiring.h"

extern CVar* s_LastProfileName;

namespace {

const screens::ScreenMovie kScreenMovie{ChooseProfile::kMovie, "ChooseProfile::init", screens::kLoopForever,
                                        screens::kStopped};
const char* const kButtons[] = {"cn_Btnnew", "cn_Btndelete", "cn_Btndone", "cn_Btnarrowup", "cn_Btnarrowdown",
                                "cn_Btnback", ""};
constexpr const char* kSlotName = "profileName";
constexpr const char* kSelector = "profileSelector";
constexpr const char* kNameText = "cn_Nametext";
constexpr const char* kFirstProfileKey = "ids_firstprofile";
constexpr const char* kMaxProfileKey = "ids_maxprofile";
constexpr const char* kLastProfileKey = "ids_lastprofile";
constexpr const char* kDeleteQuestion = "ids_deleteprofile";
constexpr float kNoLoopDelay = -1.0f;

const app::PartRegistration kRegistration(screens::kScreensStep, app::kStartupChooseProfile,
                                          &screens::createScreen<ChooseProfile>, app::kShutdownChooseProfile,
                                          "ChooseProfile", &screens::destroyScreen<ChooseProfile>);

void showNotice(const char* key) {
    if (app::MessageBox* box = app::messageBox()) box->show(app::MessageBox::kTypeOk, key, nullptr);
}

// What the profiles ask of the screens. The hooks find the screens when they are called, so they
// do nothing while a screen is absent.
bool installProfileHooks() {
    Profiles::setScreenHooks({
        [] {
            if (ChooseProfile* chooser = ChooseProfile::instance()) chooser->show();
        },
        [] {
            if (EnterName* entry = EnterName::instance()) entry->show();
        },
        [] {
            if (MainMenu* menu = MainMenu::instance()) menu->updateProfileName();
        },
        [](const std::string& key) { showNotice(key.c_str()); },
    });
    return true;
}
const app::PartRegistration kHooks(screens::kScreensStep, app::kStartupChooseProfile, &installProfileHooks, 0, nullptr,
                                   nullptr);

}  // namespace

ChooseProfile::ChooseProfile() {
    screens::registerScreen(app::Screen::ChooseProfile, this);
    init();
}

ChooseProfile::~ChooseProfile() { screens::unregisterScreen(app::Screen::ChooseProfile, this); }

void ChooseProfile::init() {
    flash::root* root = screens::loadScreenMovie(*this, kScreenMovie);
    if (!root) return;
    screens::wireButtons(root, kButtons, &screens::forwardEvent<ChooseProfile>);
    for (unsigned i = 0; i < kSlotCount; ++i) {
        const std::string name = kSlotName + std::to_string(i + 1);
        flash::character* slotClip = screens::findDeep(root, name.c_str());
        m_slots[i] = flash::cast_to<flash::edit_text_character>(slotClip);
        if (!slotClip) continue;
        if (auto* sprite = flash::cast_to<flash::sprite_instance>(slotClip))
            sprite->set_loop(screens::kLoopOnce, true, kNoLoopDelay);
        slotClip->set_play_state(flash::character::STOP);
        slotClip->goto_frame(static_cast<int>(i));
        slotClip->set_event_callback(&screens::forwardEvent<ChooseProfile>);
    }
    m_selector = screens::findDeep(root, kSelector);
    if (flash::character* selector = m_selector.get_ptr()) selector->set_visible(false);
    m_nameText = screens::findDeepAs<flash::edit_text_character>(root, kNameText);
    if (flash::edit_text_character* text = m_nameText.get_ptr()) {
        text->set_event_callback(&screens::forwardEvent<ChooseProfile>);
        text->m_event_index = 0;
    }
}

void ChooseProfile::show() {
    // Without its movie the chooser could never be closed again: it does not take the game.
    if (!getRoot()) return;
    setVisible(true);
    if (Application* application = Application::instance()) application->setActivePanel(this);
    m_arrowIndex = 0;
    m_spareIndex = 0;
    refresh();
    if (m_count == 0) showNotice(kFirstProfileKey);
}

void ChooseProfile::refresh() {
    Profiles* profiles = Profiles::instance();
    const std::vector<std::string> none;
    const std::vector<std::string>& names = profiles ? profiles->names : none;
    m_count = static_cast<unsigned>(names.size());
    if (m_count == 0) return;
    m_arrowIndex = 0;
    for (unsigned i = 0; i < m_count; ++i)
        if (names[i] == s_LastProfileName->text) {
            m_arrowIndex = i;
            break;
        }
    for (unsigned i = 0; i < kSlotCount; ++i)
        if (flash::edit_text_character* slotText = m_slots[i].get_ptr())
            slotText->set_text(i < m_count ? names[i].c_str() : "");
    selectProfile(m_arrowIndex);
}

void ChooseProfile::selectProfile(unsigned index) {
    flash::edit_text_character* slotText = slot(index);
    if (!slotText || slotText->m_text.length() == 0) return;
    if (flash::character* selector = m_selector.get_ptr()) {
        selector->set_visible(true);
        // Over the slot: its translation and second row, the selector's own width terms.
        flash::matrix placed = selector->get_matrix();
        const flash::matrix& at = slotText->get_matrix();
        placed.m_[0][2] = at.m_[0][2];
        placed.m_[1][0] = at.m_[1][0];
        placed.m_[1][1] = at.m_[1][1];
        placed.m_[1][2] = at.m_[1][2];
        selector->set_matrix(placed);
    }
    m_selectedName = slotText->m_text.c_str();
    Tov::LogLine("MESSAGE") << "ChooseProfile::selectProfile" << " " << m_selectedName;
}

void ChooseProfile::showArrowName() {
    Profiles* profiles = Profiles::instance();
    flash::edit_text_character* text = m_nameText.get_ptr();
    if (profiles && text && m_arrowIndex < profiles->names.size()) text->set_text(profiles->names[m_arrowIndex].c_str());
}

void ChooseProfile::showPrevious() {
    // The count of the last refresh, kept within the names still listed.
    Profiles* profiles = Profiles::instance();
    const unsigned known = profiles ? static_cast<unsigned>(profiles->names.size()) : 0;
    const unsigned count = m_count < known ? m_count : known;
    if (count == 0) return;
    if (m_arrowIndex >= count) m_arrowIndex = 0;
    m_arrowIndex = (m_arrowIndex == 0 ? count : m_arrowIndex) - 1;
    showArrowName();
}

void ChooseProfile::showNext() {
    Profiles* profiles = Profiles::instance();
    const unsigned known = profiles ? static_cast<unsigned>(profiles->names.size()) : 0;
    const unsigned count = m_count < known ? m_count : known;
    if (count == 0) return;
    m_arrowIndex = m_arrowIndex + 1 >= count ? 0 : m_arrowIndex + 1;
    showArrowName();
}

void ChooseProfile::onEvent(flash::character* ch, int eventCode) {
    if (eventCode != screens::kClickEvent || !ch) return;
    const std::string name = screens::nameOf(ch);
    Tov::LogLine("MESSAGE") << "ChooseProfile::onEvent" << " " << name;
    if (name.find(kSlotName) != std::string::npos) selectProfile(static_cast<unsigned>(name.back() - '1'));
    Profiles* profiles = Profiles::instance();
    const size_t profileCount = profiles ? profiles->names.size() : 0;
    if (name == "cn_Btnnew") {
        // At four or more (files put there by hand) no further one is made.
        if (profileCount >= kMaxProfiles) {
            showNotice(kMaxProfileKey);
        } else {
            hide();
            if (EnterName* entry = EnterName::instance()) entry->show();
        }
        screens::takeInput();
    } else if (name == "cn_Btndelete") {
        if (m_selectedName.empty()) return;
        if (profileCount <= 1) {
            showNotice(kLastProfileKey);
        } else if (app::MessageBox* box = app::messageBox()) {
            box->show(app::MessageBox::kTypeYesNo, kDeleteQuestion, [](int answer) {
                if (ChooseProfile* chooser = ChooseProfile::instance()) chooser->onDeleteAnswer(answer);
            });
        }
        screens::takeInput();
    } else if (name == "cn_Btndone") {
        // A profile that does not load leaves the chooser open: the game never runs without one.
        if (profiles && profiles->load(m_selectedName)) hide();
        screens::takeInput();
    } else if (name == "cn_Btnback") {
        // Back is refused while no profile is active: there would be nothing to save into.
        if (profiles && !profiles->name.empty()) hide();
        screens::takeInput();
    } else if (name == "cn_Btnarrowup") {
        showPrevious();
        screens::takeInput();
    } else if (name == "cn_Btnarrowdown") {
        showNext();
        screens::takeInput();
    } else if (name == "text") {
        screens::takeInput();
    }
}

void ChooseProfile::onDeleteAnswer(int answer) {
    if (answer != MsgBox::kAnswerYes) return;
    Profiles* profiles = Profiles::instance();
    if (!profiles) return;
    // A copy: the deletion shortens the list.
    const std::string doomed = m_selectedName;
    if (doomed == profiles->name) {
        const std::vector<std::string> names = profiles->names;
        if (names.size() > 1) profiles->load(names[0] == profiles->name ? names[1] : names[0]);
    }
    profiles->deleteProfile(doomed);
    refresh();
}
