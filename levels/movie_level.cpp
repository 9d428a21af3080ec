#include "levels/movie_level.h"

#include "app/game_layers.h"
#include "audio/media_center.h"
#include "core/attr_access.h"
#include "core/log_stream.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "input/input_event.h"
#include "levels/level_manager.h"

namespace {

constexpr int kPressEvent = 1;
constexpr int kStopped = 1;

const levels::LevelKindRegistration s_kind("movie", [](BaseLevel* parent) -> BaseLevel* {
    return new MovieLevel(parent);
});

void setButtonCallback(flash::sprite_instance* movie, const char* name) {
    if (flash::character* button = movie->get_character_by_name(flash::bx_string(name), true))
        button->set_event_callback(&MovieLevel::buttonCallback);
}

}  // namespace

MovieLevel::MovieLevel(BaseLevel* parent) : BaseLevel(parent) { m_levelKind = kKindMovie; }

MovieLevel::~MovieLevel() = default;

bool MovieLevel::initInternal(const Attr::AttributePtr& description) {
    if (BaseRender* panel = app::screen(app::Screen::MainPanel)) panel->setVisible(false);
    flash::root* root = getRoot();
    if (root) {
        root->goto_frame(0);
        root->set_play_state(0);
        if (flash::sprite_instance* movie = root->get_root_sprite()) {
            setButtonCallback(movie, kSkipButton);
            setButtonCallback(movie, kMoveButton);
        }
        m_savedFrameRate = root->get_frame_rate();
    }
    m_lastFrame = -1;
    m_wrapLogged = false;
    const std::string music = Attr::stringValueOr(Attr::findAttribute(description, kMusicKey), "");
    if (!music.empty())
        if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance()) media->playMusic(music, false);
    return true;
}

void MovieLevel::update(float dt) {
    BaseLevel::update(dt);
    flash::root* root = getRoot();
    if (!root) return;
    const int frame = root->get_current_frame();
    // A movie without a stop never completes by itself: say so once, at its first wrap.
    if (!m_wrapLogged && m_lastFrame >= 0 && m_lastFrame == root->get_frame_count() - 1 && frame < m_lastFrame) {
        Tov::LogLine("WARNING") << "MovieLevel::update" << ": the movie of " << getName()
                                << " went back to its start without stopping; only a skip ends it";
        m_wrapLogged = true;
    }
    m_lastFrame = frame;
}

bool MovieLevel::isComplete() {
    if (m_forcedWin) return true;
    flash::root* root = getRoot();
    flash::sprite_instance* movie = root ? root->get_root_sprite() : nullptr;
    return movie && movie->get_play_state() == kStopped;
}

void MovieLevel::forceWin() {
    m_forcedWin = true;
    restoreFrameRate();
}

void MovieLevel::restoreFrameRate() {
    if (flash::root* root = getRoot()) root->set_frame_rate(m_savedFrameRate);
}

bool MovieLevel::onInputEvent(InputEvent* event) {
    BaseLevel::onInputEvent(event);
    if (!event) return false;
    flash::root* root = getRoot();
    if (!root) return false;
    if (event->type == MOUSE_PRESSED)
        root->set_frame_rate(kFastFrameRate);
    else if (event->type == MOUSE_RELEASED)
        root->set_frame_rate(m_savedFrameRate);
    return false;
}

bool MovieLevel::onKey(KeyEvent* event) {
    if (!event || event->type != KEY_CLICKED || event->scanCode != kEscapeScanCode) return false;
    forceWin();
    return true;
}

void MovieLevel::onEndLevel() {
    restoreFrameRate();
    BaseLevel::onEndLevel();
}

void MovieLevel::buttonCallback(flash::character* ch, int eventCode) {
    if (!ch || eventCode != kPressEvent || ch->get_name() != MovieLevel::kSkipButton) return;
    if (app::GameLevel* level = app::currentLevel()) {
        if (auto* current = dynamic_cast<BaseLevel*>(level)) current->forceWin();
    }
}
