#include "screens/msg_box.h"

#include <string>

#include "app/application.h"
#include "app/mouse_cursor.h"
#include "audio/media_center.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/string_table.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "flash/shape/geometry.h"
#include "particles/effect_mgr.h"
#include "screens/screen_wiring.h"
#include "script/script_core.h"
#include "script/script_timers.h"

extern CVar* d_msgFrameTask;
extern CVar* d_msgFrameTaskComplete;
extern CVar* d_msgFont;
extern CVar* d_taskCompleteDX;
extern CVar* d_taskCompleteDY;

namespace {

const screens::ScreenMovie kScreenMovie{MsgBox::kMovie, "MsgBox::init", screens::kLoopOnce, screens::kStopped};
constexpr const char* kTextField = "msgbox_text";
// The answer buttons, by their answer index.
const char* const kAnswerButtons[] = {"msg_button_ok", "msg_button_yes", "msg_button_no"};
constexpr int kAnswerCount = 3;
constexpr const char* kStopLabel = "stop";
constexpr const char* kTaskCompleteSound = "task_complete";
constexpr const char* kTaskCompleteEffect = "task_complete";
// The text's look: white, drawn in the text mode 2 (centred between its edges).
constexpr uint8_t kWhite = 0xFF;
constexpr int kTextMode = 2;
constexpr int kWholeRange = -1;
constexpr float kNoLoopDelay = -1.0f;

float g_savedMusicVolume = 0.0f;

const app::PartRegistration kRegistration(screens::kScreensStep, app::kStartupMsgBox, &screens::createScreen<MsgBox>,
                                          app::kShutdownMsgBox, "MsgBox", &screens::destroyScreen<MsgBox>);

void styleText(flash::edit_text_character* field) {
    field->m_font_name = d_msgFont->text.c_str();
    field->m_color = flash::rgba(kWhite, kWhite, kWhite, kWhite);
    field->m_vertical_alignment = kTextMode;
}

void animationDone(flash::character*) {
    if (MsgBox* box = MsgBox::instance()) box->onAnimationDone();
}

}  // namespace

float MsgBox::savedMusicVolume() { return g_savedMusicVolume; }

MsgBox::MsgBox() {
    screens::registerScreen(app::Screen::MsgBox, this);
    app::setMessageBox(this);
    init();
}

MsgBox::~MsgBox() {
    if (app::messageBox() == this) app::setMessageBox(nullptr);
    screens::unregisterScreen(app::Screen::MsgBox, this);
}

void MsgBox::init() {
    flash::root* root = screens::loadScreenMovie(*this, kScreenMovie);
    if (!root) return;
    m_textField = screens::findDeepAs<flash::edit_text_character>(root, kTextField);
    if (!m_textField.get_ptr()) {
        Tov::LogLine("ERROR") << kTextField << " not found in msgbox: " << "MsgBox::init";
        return;
    }
    styleText(m_textField.get_ptr());
}

void MsgBox::show(int type, const std::string& textId, AnswerCallback callback) {
    if (StringTable::translate(textId).empty()) return;
    flash::root* root = getRoot();
    if (!root) {
        // Without its movie the box cannot be answered: the caller's answer never comes.
        Tov::LogLine("WARNING") << "MsgBox::show" << ": no movie for \"" << textId << "\"";
        return;
    }
    // Open and still showing (a box hidden by other means is shown afresh).
    const bool alreadyOpen = m_open && isVisible();
    setVisible(true);
    root->goto_frame(type);
    root->set_loop(screens::kLoopOnce);
    if (flash::sprite_instance* movie = root->get_root_sprite()) {
        movie->set_play_state(flash::character::STOP, false);
        movie->set_loop(screens::kLoopOnce, false, kNoLoopDelay);
    }

    m_callback = std::move(callback);
    // A box shown over an open one keeps the volume from before the first: the music may be
    // dipped by now.
    if (!alreadyOpen) {
        if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance())
            g_savedMusicVolume = media->getMusicVolume();
    }
    m_open = true;
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->hideConnected();

    for (int index = 0; index < kAnswerCount; ++index) {
        if (flash::character* button = screens::findDeep(root, kAnswerButtons[index])) {
            button->set_event_callback(&screens::forwardEvent<MsgBox>);
            button->m_event_index = index;
        }
    }
    if (Application* application = Application::instance()) application->setActivePanel(this);

    if (flash::edit_text_character* field = m_textField.get_ptr()) {
        styleText(field);
        field->set_text(textId.c_str());
    }

    const char* clipName = type == kTypeTask ? d_msgFrameTask->text.c_str() : d_msgFrameTaskComplete->text.c_str();
    auto* clip = screens::findDeepAs<flash::sprite_instance>(root, clipName);
    if (!clip) return;
    if (type == kTypeTaskComplete) m_taskComplete = true;
    const int stopFrame = clip->getLabeledFrame(kStopLabel);
    clip->goto_frame(0);
    // Clips loop unless told otherwise: this one stops at the end of its range.
    clip->set_loop(screens::kLoopOnce, false, kNoLoopDelay);
    clip->setFramesForPlay(0, stopFrame);
    clip->set_play_state(flash::character::PLAY, false);
    if (type == kTypeTaskComplete) {
        const std::string dip = std::string("add_timer(\"") + kDipStep + "\", " + std::to_string(kDipPeriod) + ", " +
                                std::to_string(kDipSteps) + ")";
        runScriptBuffer(dip.c_str(), 0, "MsgBox::show");
        if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance())
            media->playSound(kTaskCompleteSound, false, false, false);
        const flash::matrix world = clip->get_world_matrix();
        const Vector2 at{world.m_[0][2] * flash::pixels_per_twip + d_taskCompleteDX->value.f[0],
                         world.m_[1][2] * flash::pixels_per_twip + d_taskCompleteDY->value.f[0]};
        if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance()) {
            if (particle::fxParticleEffect2D* effect = effects->getEffect(kTaskCompleteEffect, false, true)) {
                // The box alone updates, draws and ends it: the manager would end a finished
                // effect the box still lists.
                effects->removeEffect(effect);
                effect->setPosition(at);
                addEffect(effect);
                effect->start();
            }
        }
    }
    clip->m_stop_callback = nullptr;
}

void MsgBox::showWithScript(int type, const std::string& textId, const std::string& script) {
    m_script = script;
    show(type, textId, nullptr);
}

void MsgBox::onEvent(flash::character* ch, int eventCode) {
    if (eventCode != screens::kClickEvent || !ch) return;
    const int answerIndex = ch->m_event_index;
    if (answerIndex > kAnswerNo) {
        Tov::LogLine("WARNING") << "WTF?! " << "MsgBox::onEvent";
        return;
    }
    // The box closes (or starts closing) before the answer goes out: an answer that shows the
    // next box finds this one done.
    Pending pending = takePending();
    auto* clip = screens::findDeepAs<flash::sprite_instance>(getRoot(), d_msgFrameTask->text.c_str());
    if (clip) {
        clip->setFramesForPlay(0, kWholeRange);
        clip->set_play_state(flash::character::PLAY, false);
        clip->m_stop_callback = &animationDone;
    } else if (!m_taskComplete) {
        close();
    }
    m_taskComplete = false;
    screens::takeInput();
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->restoreConnected();
    deliver(pending, answerIndex);
}

void MsgBox::answer(int answerIndex) { deliver(takePending(), answerIndex); }

MsgBox::Pending MsgBox::takePending() {
    Pending pending{std::move(m_callback), std::move(m_script)};
    m_callback = nullptr;
    m_script.clear();
    return pending;
}

void MsgBox::deliver(const Pending& pending, int answerIndex) {
    if (pending.callback) pending.callback(answerIndex);
    if (!pending.script.empty()) runScriptBuffer(pending.script.c_str(), 0, "MsgBox::answer");
}

void MsgBox::onAnimationDone() {
    if (auto* clip = screens::findDeepAs<flash::sprite_instance>(getRoot(), d_msgFrameTask->text.c_str()))
        clip->m_stop_callback = nullptr;
    close();
    answer(kAnswerOk);
}

void MsgBox::close() {
    hide();
    restoreMusic();
}

void MsgBox::restoreMusic() {
    if (!m_open) return;
    m_open = false;
    // Dip steps still pending would lower the music again after the restore.
    if (ScriptTimerManager* timers = ScriptTimerManager::instance()) timers->deleteTimer(kDipStep, false);
    if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance())
        media->setMusicVolume(g_savedMusicVolume);
}
