#pragma once
// The pause menu, and in a reduced form the main menu's options: continue, restart, the return to
// the main menu and quit, the full-screen switch, and the music and sound sliders with their knobs
// and minus and plus buttons. Modal while it shows; every volume change goes through the profiles
// object, which writes "config.sta" at once.
#include "app/base_render.h"
#include "app/game_layers.h"
#include "core/singleton.h"
#include "flash/base/smart_ptr.h"

namespace flash {
class character;
class sprite_instance;
}  // namespace flash

class GameMenu : public BaseRender, public Tov::Singleton<GameMenu>, public app::PauseMenu {
public:
    static constexpr const char* kMovie = "pausemenu.swf";
    // The engine's event code of a knob held under the pressed mouse.
    static constexpr int kDragEvent = 8;
    // A knob's travel in game pixels: its left end is position 0, its right end one past the
    // last frame of the slider.
    static constexpr int kKnobLeft = 428;
    static constexpr int kKnobRight = 608;
    // "comand_buttons" frames.
    static constexpr int kPlayCommands = 0;
    static constexpr int kOptionsCommands = 1;
    // The answer of the return-to-menu question that goes.
    static constexpr int kAnswerYes = 1;

    GameMenu();
    ~GameMenu() override;

    // Loads and wires the movie once.
    void init();
    // The full-screen switch and both sliders as the settings stand.
    void refresh();
    // Opens the menu, modal, over the game (false) or as the main menu's options (true). Nothing
    // without its movie.
    void show(bool fromMainMenu) override;
    void onEvent(flash::character* ch, int eventCode);
    // The return-to-menu question's answer (also given at once when opened as options).
    void onMainMenuAnswer(int answer);
    // A knob under the pressed mouse: it follows the cursor and its slider and volume follow it.
    void onSliderDrag(flash::character* knob);

    flash::sprite_instance* musicSlider() const { return m_musicSlider.get_ptr(); }
    flash::sprite_instance* soundSlider() const { return m_soundSlider.get_ptr(); }

    // The volume of slider position p of n frames: p / n x 100, cut to a whole number.
    static int volumeAt(int position, int frames);
    // The slider frame a volume shows: (n - 1) x volume / 100, cut.
    static int frameFor(float volume, int frames);

private:
    // One step of a slider (-1 or +1), kept within its frames; the volume is set again even when
    // the slider cannot move.
    void stepSlider(flash::sprite_instance* slider, int step, bool music);
    static void setVolume(bool music, int volume);

    flash::weak_ptr<flash::sprite_instance> m_musicSlider;
    flash::weak_ptr<flash::sprite_instance> m_soundSlider;
};
