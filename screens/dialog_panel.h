#pragma once
// The characters' dialogs: short scenes of "dialogs.swf" whose speech bubbles advance one click
// at a time, with the bubble's text from the string table, an optional slow zoom of the level
// behind, a skip button, Escape, and a script run once when the dialog is over. While a dialog
// runs the panel is the application's active panel and holds the game: the level and the
// heads-up panel wait, the game timers and particles run on.
//
// The movie's root has one frame labelled with each dialog's name, holding a clip of that name;
// inside it the frame where bubble n stops is labelled "ids_dialog_<name>_<n>" (also the bubble
// text's id), and frames may be labelled "zoom_in" and "zoom_out". The root holds the text field
// "TextPanel", the click area "WorkArea" and the button "skip_btn".
#include <string>

#include "app/base_render.h"
#include "app/game_layers.h"
#include "core/flag_object.h"
#include "core/singleton.h"
#include "flash/base/smart_ptr.h"

namespace flash {
class character;
class sprite_instance;
}  // namespace flash

class DialogPanel : public BaseRender,
                    public Tov::Singleton<DialogPanel>,
                    public Tov::FlagObject<unsigned int>,
                    public app::DialogControl {
public:
    static constexpr const char* kMovie = "dialogs.swf";
    // Flag bits.
    static constexpr unsigned kRunning = 0x01;      // a dialog runs and holds the game
    static constexpr unsigned kEnding = 0x02;       // it finishes once its clip stands still
    static constexpr unsigned kWaiting = 0x04;      // the bubble is complete and waits for a click
    static constexpr unsigned kStartFlag = 0x08;    // the start's flag (read by nothing)
    static constexpr unsigned kLoaded = 0x10;       // init ran
    static constexpr unsigned kZoomingIn = 0x20;
    static constexpr unsigned kZoomingOut = 0x40;
    // The zoom's step per update (not scaled by the time step: the same on every machine's
    // frame, and repeatable on the fixed clock).
    static constexpr float kZoomStep = 0.002f;
    static constexpr int kNoFrame = -1;

    // Registers the panel; the movie is loaded by `init` at the first level start.
    DialogPanel();
    ~DialogPanel() override;

    void init() override;
    bool isLoaded() const override { return anyFlag(kLoaded); }
    bool holdsGame() const override { return anyFlag(kRunning); }
    bool startDialog(const std::string& name, bool flag, const std::string& endScript) override;
    // The next bubble plays; without one (or without a clip) the dialog ends.
    void nextBubble();
    // The dialog ends: the level's zoom back at 1.0, and it finishes once its clip stands still.
    void endDialog();
    // Skip and Escape: the dialog ends and its clip stops where it stands, so that a clip that
    // would never stop by itself still finishes at the next update.
    void skipDialog();
    void setText(const std::string& text);

    void update(float dt) override;
    // Escape ends the dialog; every key is used while the panel holds the input.
    bool onInput(KeyEvent* event) override;
    // The engine's (character, event) of "WorkArea" and "skip_btn".
    static void onClip(flash::character* ch, int eventCode);

    flash::sprite_instance* clip() const { return m_clip.get_ptr(); }
    int bubbleCounter() const { return m_counter; }
    int targetFrame() const { return m_targetFrame; }
    const std::string& bubbleId() const { return m_bubbleId; }
    const std::string& dialogName() const { return m_dialogName; }
    const std::string& endScript() const { return m_endScript; }
    float zoom() const { return m_zoom; }
    int zoomInFrame() const { return m_zoomInFrame; }
    int zoomOutFrame() const { return m_zoomOutFrame; }

private:
    // Runs the end script of a dialog that cannot play.
    bool refuse(const std::string& script);
    void zoomStep();
    // The level's zoom about its centre; nothing without a current level.
    static void scaleLevel(float factor);
    // Back to idle, the script run last (it may start the next dialog).
    void finish();

    flash::weak_ptr<flash::sprite_instance> m_clip;
    int m_counter = 0;
    int m_targetFrame = 0;
    std::string m_bubbleId;
    std::string m_dialogName;
    flash::weak_ptr<flash::character> m_workArea;
    flash::weak_ptr<flash::character> m_skipButton;
    std::string m_endScript;
    float m_zoom = 1.0f;
    int m_zoomInFrame = kNoFrame;
    int m_zoomOutFrame = kNoFrame;
};
