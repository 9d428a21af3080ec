#pragma once
// The name entry: a new player's name typed into the movie's edit field (at most ten characters,
// a held key repeating after 300 ms, then every 100 ms), confirmed with OK or Enter, which creates
// the profile. Modal while it shows; before the first profile exists it has no cancel.
#include "app/base_render.h"
#include "core/singleton.h"
#include "flash/base/smart_ptr.h"

namespace flash {
class character;
class edit_text_character;
}  // namespace flash

class EnterName : public BaseRender, public Tov::Singleton<EnterName> {
public:
    static constexpr const char* kMovie = "entername.swf";
    // Characters (code points), not bytes.
    static constexpr size_t kMaxNameCharacters = 10;
    // Key repeat: a held key types again after more than this, then every kRepeatMs.
    static constexpr unsigned kRepeatDelayMs = 300;
    static constexpr unsigned kRepeatMs = 100;
    // Enter and the keypad's Enter.
    static constexpr int kEnterScanCode = 28;
    static constexpr int kPadEnterScanCode = 156;

    EnterName();
    ~EnterName() override;

    void init();
    // An empty name, the field focused, the cancel button only when a profile exists.
    void show();
    // Creates the profile of the typed name; the screen closes when the profile was made.
    void accept();
    void onEvent(flash::character* ch, int eventCode);
    // Enter accepts, typed characters go into the field with key repeat. Always used.
    bool onInput(KeyEvent* event) override;
    // Draws, then keeps the field focused.
    void render(float dt) override;

    flash::edit_text_character* editField() const { return m_editField.get_ptr(); }

private:
    // Puts one typed key into the field: an editing key through the movie, a character at the
    // caret unless the name is full.
    void type(char16_t code, bool editingKey);
    void focusField();

    flash::weak_ptr<flash::edit_text_character> m_editField;
};
