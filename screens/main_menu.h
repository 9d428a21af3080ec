#pragma once
// The main menu, the first screen after start-up: play, options, credits and quit buttons, the
// current player's name and the text that opens the profile chooser, and its ambient sound loop
// while it shows.
#include "app/base_render.h"
#include "core/singleton.h"
#include "flash/base/smart_ptr.h"

namespace flash {
class character;
class edit_text_character;
}  // namespace flash

class MainMenu : public BaseRender, public Tov::Singleton<MainMenu> {
public:
    static constexpr const char* kMovie = "mainmenu.swf";
    static constexpr const char* kClickSound = "mm_arrow_click";
    static constexpr const char* kAmbientSound = "mm_ambient";
    static constexpr int kNoChannel = -1;

    MainMenu();
    ~MainMenu() override;

    // Loads and wires the movie once.
    void init();
    void onEvent(flash::character* ch, int eventCode);
    // The current profile's name into the name field.
    void updateProfileName();
    // Shows the menu with its ambient loop (the sounds before it stopped, the menu's music track).
    void playAmbient();
    // Stops the ambient loop, then hides.
    void hide() override;

    flash::edit_text_character* profileNameField() const { return m_profileNameField.get_ptr(); }
    flash::edit_text_character* changeProfileText() const { return m_changeProfileText.get_ptr(); }
    int ambientChannel() const { return m_ambientChannel; }

private:
    flash::weak_ptr<flash::edit_text_character> m_profileNameField;
    int m_ambientChannel = kNoChannel;
    flash::weak_ptr<flash::edit_text_character> m_changeProfileText;
};
