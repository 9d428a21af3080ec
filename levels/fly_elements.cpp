#include "levels/fly_elements.h"

#include <cmath>

#include "app/mouse_cursor.h"
#include "core/log_stream.h"
#include "flash/movie/sprite_instance.h"
#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/clip_owner.h"

namespace {

constexpr int kTranslation = 2;  // the matrix column of tx and ty
// A clip needs more frames than this to pause at its label.
constexpr int kMinAnimatedFrames = 2;
constexpr int kFrameHome = 1;


void setAlpha(flash::character* clip, float alpha) {
    flash::cxform cx = clip->get_cxform();
    cx.m_[3][0] = flash::finite_or_zero(alpha);
    clip->set_cxform(cx);
}

}  // namespace

namespace levels {

FlyElement::FlyElement(flash::character* clip) : m_clip(clip) {}

flash::sprite_instance* FlyElement::sprite() const { return flash::cast_to<flash::sprite_instance>(clip()); }

// AnimElement

AnimElement::AnimElement(flash::character* clip) : FlyElement(clip) {
    if (flash::sprite_instance* s = sprite()) {
        s->set_play_state(flash::character::PLAY, true);
        m_lastFrame = s->get_current_frame();
    }
}

bool AnimElement::update(float) {
    flash::sprite_instance* s = sprite();
    if (!s || s->get_play_state() == flash::character::STOP) return false;
    const int frame = s->get_current_frame();
    if (frame < m_lastFrame) {
        Tov::LogLine("WARNING") << "AnimElement::update" << ": " << s->get_name().c_str()
                                << " loops; its animation ends at its wrap";
        return false;
    }
    m_lastFrame = frame;
    return true;
}

// TurnFlyElement

TurnFlyElement::TurnFlyElement(flash::character* clip, bool rotate) : FlyElement(clip), m_rotate(rotate) {
    m_saved = clip->get_matrix();
    flash::sprite_instance* s = sprite();
    if (!s) return;
    s->set_play_state(flash::character::STOP, true);
    const int label = s->getLabeledFrame(kPauseLabel);
    if (s->get_frame_count() > kMinAnimatedFrames && label >= 0) {
        m_animated = true;
        m_rotate = false;
        s->goto_frame(0);
        s->setFramesForPlay(0, label);
        playOnce(s);
    }
}

TurnFlyElement::~TurnFlyElement() {
    flash::character* c = clip();
    c->set_visible(false);
    c->set_matrix(m_saved);
    setAlpha(c, 1.0f);
    if (BaseElement* owner = ClipOwner::elementOf(c))
        if (flash::character* ownerClip = owner->getCharacter()) ownerClip->set_visible(false);
}

void TurnFlyElement::playOnce(flash::sprite_instance* s) {
    // Clips loop by default; this one must stop at the end of its range.
    s->set_loop(0, true, 0.0f);
    s->set_play_state(flash::character::PLAY, true);
}

bool TurnFlyElement::update(float dt) {
    flash::character* c = clip();
    if (m_animated) {
        flash::sprite_instance* s = sprite();
        return s->get_current_frame() != s->get_frame_count() - 1;
    }
    if (m_t > kDuration) return false;
    // The scale grows with or without the turn; only the turn depends on rotate.
    const float swell = std::fabs(std::sin(m_t));
    flash::matrix m = c->get_matrix();
    const float angle = m.get_rotation() + (m_rotate ? dt : 0.0f);
    m.set_scale_rotation(m_saved.get_x_scale() + swell, m_saved.get_y_scale() + swell, angle);
    c->set_matrix(m);
    setAlpha(c, 1.0f - m_t);
    m_t += dt;
    return true;
}

void TurnFlyElement::continueBlocking() {
    flash::sprite_instance* s = sprite();
    if (!m_animated || !s || s->get_play_state() != flash::character::STOP) return;
    s->setFramesForPlay(-1, -1);
    playOnce(s);
}

// ContourFlyElement

namespace {
float distanceFrom(const flash::matrix& m, const flash::matrix& home) {
    return std::hypot(m.m_[0][kTranslation] - home.m_[0][kTranslation], m.m_[1][kTranslation] - home.m_[1][kTranslation]);
}
}  // namespace

ContourFlyElement::ContourFlyElement(flash::character* clip, bool rotate) : FlyElement(clip), m_rotate(rotate) {
    m_home = clip->get_world_matrix();
    m_start = clip->get_matrix();
    // Without a cursor clip the piece starts where it belongs.
    m_cursor = m_home;
    if (MouseCursor* cursor = MouseCursor::instance())
        if (flash::character* pointer = cursor->cursorClip()) m_cursor = pointer->get_world_matrix();
    flash::matrix m = m_start;
    for (int row = 0; row < 2; ++row)
        m.m_[row][kTranslation] =
            flash::finite_or_zero(m_cursor.m_[row][kTranslation] - m_home.m_[row][kTranslation] + m_start.m_[row][kTranslation]);
    clip->set_matrix(m);
    clip->set_visible(true);
    m_lastDistance = distanceFrom(clip->get_world_matrix(), m_home);
}

ContourFlyElement::~ContourFlyElement() {
    flash::character* c = clip();
    c->set_matrix(m_start);
    c->set_visible(true);
    c->goto_frame(kFrameHome);
}

bool ContourFlyElement::update(float dt) {
    flash::character* c = clip();
    flash::matrix m = c->get_matrix();
    if (m_rotate)
        m.set_scale_rotation(m.get_x_scale(), m.get_y_scale(), m.get_rotation() + kTurnSpeed * dt);
    for (int row = 0; row < 2; ++row) {
        const float step = (m_home.m_[row][kTranslation] - m_cursor.m_[row][kTranslation]) * kStepShare;
        m.m_[row][kTranslation] = flash::finite_or_zero(m.m_[row][kTranslation] + flash::finite_or_zero(step));
    }
    c->set_matrix(m);
    const flash::matrix world = c->get_world_matrix();
    const bool arrived = std::fabs(world.m_[0][kTranslation] - m_home.m_[0][kTranslation]) <= kArrivedTwips &&
                         std::fabs(world.m_[1][kTranslation] - m_home.m_[1][kTranslation]) <= kArrivedTwips;
    if (arrived || ++m_steps >= kMaxSteps) return false;
    // A step that brings it no closer means it cannot get there (a scaled or turned parent).
    const float distance = distanceFrom(world, m_home);
    if (!(distance < m_lastDistance)) return false;
    m_lastDistance = distance;
    return true;
}

}  // namespace levels

// FlyElementsManager

namespace {

bool createFlyElements() {
    new FlyElementsManager();
    return true;
}

bool destroyFlyElements() {
    if (!FlyElementsManager::instance()) return false;
    delete FlyElementsManager::instance();
    return true;
}

const app::PartRegistration s_registration(13, app::kStartupFlyElements, &createFlyElements,
                                           app::kShutdownFlyElements, "FlyElementsManager", &destroyFlyElements);

}  // namespace

FlyElementsManager::FlyElementsManager() { app::setFlyElements(this); }

FlyElementsManager::~FlyElementsManager() {
    clear();
    if (app::flyElements() == this) app::setFlyElements(nullptr);
}

void FlyElementsManager::update(float dt) {
    for (size_t i = 0; i < m_elements.size();) {
        if (m_elements[i]->update(dt)) {
            ++i;
            continue;
        }
        // Unlinked before its destructor runs, so the list is whole whatever that touches.
        std::unique_ptr<levels::FlyElement> done = std::move(m_elements[i]);
        m_elements.erase(m_elements.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

bool FlyElementsManager::isBusy() const { return !m_elements.empty() && m_elements.back()->isBlocking(); }

void FlyElementsManager::continueBlocking() {
    if (isBusy()) m_elements.back()->continueBlocking();
}

bool FlyElementsManager::accepts(flash::character* clip, bool force) const {
    if (!clip) {
        Tov::LogLine("WARNING") << "FlyElementsManager" << ": no clip to fly";
        return false;
    }
    return force || !isBusy();
}

bool FlyElementsManager::addTurnFly(flash::character* clip, bool rotate, bool force) {
    if (!accepts(clip, force)) return false;
    m_elements.push_back(std::make_unique<levels::TurnFlyElement>(clip, rotate));
    return true;
}

bool FlyElementsManager::addContourFly(flash::character* clip, bool rotate, bool force) {
    if (!accepts(clip, force)) return false;
    m_elements.push_back(std::make_unique<levels::ContourFlyElement>(clip, rotate));
    return true;
}

bool FlyElementsManager::addAnimFly(flash::character* clip, bool force) {
    if (!accepts(clip, force)) return false;
    m_elements.push_back(std::make_unique<levels::AnimElement>(clip));
    return true;
}

void FlyElementsManager::clear() {
    // Taken out first: a destructor must never meet a half-emptied list.
    std::vector<std::unique_ptr<levels::FlyElement>> gone;
    gone.swap(m_elements);
    gone.clear();
    m_elements.swap(gone);  // keeps the capacity for the next level
}
