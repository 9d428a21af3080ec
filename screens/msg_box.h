#pragma once
// The game's one modal message box: a string-table text with an OK button or yes and no buttons,
// and two animated task forms (the task message, and the task complete with its sound, effect and
// a short dip of the music). The caller gets the answer through a callback or a script text run
// once when the box is answered. While open it is the application's active panel.
#include <string>

#include "app/base_render.h"
#include "app/game_layers.h"
#include "core/singleton.h"
#include "flash/base/smart_ptr.h"

namespace flash {
class character;
class edit_text_character;
}  // namespace flash
namespace ScriptBinding {
struct ClassDescriptor;
}

class MsgBox : public BaseRender, public Tov::Singleton<MsgBox>, public app::MessageBox {
public:
    static constexpr const char* kMovie = "msgbox.swf";
    // Answers, the index each answer button carries.
    static constexpr int kAnswerOk = 0;
    static constexpr int kAnswerYes = 1;
    static constexpr int kAnswerNo = 2;
    // The script text of the task-complete form's music dip: three steps 0.05 s apart, each
    // lowering the music by a third.
    static constexpr const char* kDipStep = "set_volume(false, get_volume(false)-get_volume(false)/3)";
    static constexpr float kDipPeriod = 0.05f;
    static constexpr int kDipSteps = 3;

    MsgBox();
    ~MsgBox() override;

    void init();
    void show(int type, const std::string& textId, AnswerCallback callback) override;
    void showWithScript(int type, const std::string& textId, const std::string& script) override;
    void onEvent(flash::character* ch, int eventCode);
    // Delivers the answer once: the callback, then the script; both are cleared.
    void answer(int answerIndex);
    // The closing clip ended.
    void onAnimationDone();

    flash::edit_text_character* textField() const { return m_textField.get_ptr(); }
    bool taskComplete() const { return m_taskComplete; }
    // Shown and not yet closed (a closing animation still counts as open).
    bool isOpen() const { return m_open; }
    bool hasCallback() const { return static_cast<bool>(m_callback); }
    const std::string& script() const { return m_script; }
    // The music volume saved at the last show.
    static float savedMusicVolume();

    static ScriptBinding::ClassDescriptor* scriptClass();

private:
    struct Pending {
        AnswerCallback callback;
        std::string script;
    };
    // Takes the callback and the script out of the box: each answer is delivered once.
    Pending takePending();
    static void deliver(const Pending& pending, int answerIndex);
    // Hides, ends a pending dip and puts the music back where the show found it.
    void close();
    void restoreMusic();

    AnswerCallback m_callback;
    std::string m_script;
    flash::weak_ptr<flash::edit_text_character> m_textField;
    bool m_taskComplete = false;
    bool m_open = false;
};
