#include "levels/rotator_level.h"

#include "core/attr_access.h"
#include "core/log_stream.h"
#include "core/random_tables.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"
#include "levels/level_manager.h"
#include "levels/minigame_pieces.h"

namespace {

constexpr const char* kInitInternal = "RotatorLevel::initInternal";

const levels::LevelKindRegistration s_kind("rotator", [](BaseLevel* parent) -> BaseLevel* {
    return new RotatorLevel(parent);
});

}  // namespace

RotatorPart::RotatorPart(int number) : BaseElement(kKind, kNamePrefix + std::to_string(number), "") {}

void RotatorPart::bind(flash::character* ch) {
    if (!ch) return;
    if (!m_bound) {
        ch->set_visible(true);
        m_home = ch->get_matrix();
        m_bound = true;
    }
    setCharacter(ch);
}

void RotatorPart::randomStartTurn() {
    if (m_state != kIdle) return;
    // Only a quarter or a half turn: a piece never starts upright, nor one press from it.
    const float angle = static_cast<float>((randomInt() & 1) + 1) * levels::kHalfPi;
    m_target = angle;
    m_angle = angle >= levels::kTwoPi ? 0.0f : angle;
    levels::setClipRotation(getCharacter(), m_angle);
}

bool RotatorPart::turnByClick() {
    if (m_state != kIdle) return false;
    m_state = kGrowing;
    m_target = m_angle + levels::kHalfPi;
    levels::raiseClip(getCharacter());
    return true;
}

bool RotatorPart::step(float dt) {
    if (m_pause > 0.0f) {
        m_pause -= dt;
        return false;
    }
    switch (m_state) {
        case kIdle: return m_angle == 0.0f || !getCharacter();
        case kGrowing:
            m_scale += kGrowRate * dt;
            if (m_scale >= kGrownScale) {
                m_state = kTurning;
                m_pause = kPause;
            }
            break;
        case kTurning:
            m_angle += kTurnRate * dt;
            if (m_angle >= levels::kTwoPi) m_target = m_angle = 0.0f;
            if (m_angle >= m_target) {
                m_angle = m_target;
                m_state = kShrinking;
                m_pause = kPause;
            }
            break;
        case kShrinking:
            m_scale -= kGrowRate * dt;
            if (m_scale <= 1.0f) {
                m_scale = 1.0f;
                m_state = kIdle;
            }
            break;
        default: m_state = kIdle; break;
    }
    apply();
    return m_state == kIdle && (m_angle == 0.0f || !getCharacter());
}

void RotatorPart::apply() {
    flash::character* ch = getCharacter();
    if (!ch) return;
    flash::matrix m = ch->get_matrix();
    m.set_scale_rotation(flash::finite_or_zero(m_scale), flash::finite_or_zero(m_scale), flash::finite_or_zero(m_angle));
    ch->set_matrix(m);
}

void RotatorPart::goHome() {
    m_angle = m_target = 0.0f;
    m_state = kIdle;
    m_pause = 0.0f;
    m_scale = 1.0f;
    if (flash::character* ch = getCharacter(); ch && m_bound) ch->set_matrix(m_home);
}

RotatorLevel::RotatorLevel(BaseLevel* parent) : BaseLevel(parent) { m_levelKind = kKindRotator; }

RotatorLevel::~RotatorLevel() = default;

RotatorPart* RotatorLevel::piece(int index) const {
    if (index < 0 || index >= m_pieceCount || index >= static_cast<int>(m_elements.size())) return nullptr;
    BaseElement* element = m_elements[static_cast<size_t>(index)];
    return element->getKind() == RotatorPart::kKind ? static_cast<RotatorPart*>(element) : nullptr;
}

bool RotatorLevel::initInternal(const Attr::AttributePtr& description) {
    const int claimed = Attr::scalarValueOr(Attr::findAttribute(description, "PiecesNumber"), int32_t{0});
    if (claimed <= 0) {
        Tov::LogLine("ERROR") << kInitInternal << " PiecesNumber <= 0";
        return false;
    }
    if (!levels::piecesFit(this, kInitInternal, RotatorPart::kNamePrefix, claimed)) return false;
    for (int number = 1; number <= claimed; ++number) addElement(new RotatorPart(number));
    m_pieceCount = claimed;
    restart();
    return true;
}

void RotatorLevel::restart() {
    m_forcedWin = false;
    m_completed = false;
    m_upright = 0;
    for (int i = 0; i < pieceCount(); ++i) {
        RotatorPart* part = piece(i);
        if (!part) continue;
        flash::character* ch = findCharacter(part->getName(), true);
        if (!ch) {
            // Counted upright, so that the other pieces still win the level.
            Tov::LogLine("WARNING") << "RotatorLevel::restart" << " not find element " << part->getName();
            continue;
        }
        ch->set_event_callback(&BaseLevel::levelEventCallback);
        part->bind(ch);
        part->randomStartTurn();
    }
}

void RotatorLevel::update(float dt) {
    BaseLevel::update(dt);
    int upright = 0;
    for (int i = 0; i < pieceCount(); ++i)
        if (RotatorPart* part = piece(i); !part || part->step(dt)) ++upright;
    m_upright = upright;
    if (m_forcedWin || m_upright == pieceCount()) m_completed = true;
}

bool RotatorLevel::isComplete() { return m_completed; }

bool RotatorLevel::handleEvent(flash::character* ch, int eventCode) {
    if (BaseLevel::handleEvent(ch, eventCode)) return true;
    if (levels::gameBusy() || eventCode != levels::kPressEvent || isComplete()) return false;
    BaseElement* owner = ClipOwner::elementOf(ch);
    if (!owner || owner->getLevel() != this || owner->getKind() != RotatorPart::kKind) return false;
    static_cast<RotatorPart*>(owner)->turnByClick();
    return true;
}

void RotatorLevel::forceWin() {
    m_forcedWin = true;
    m_upright = pieceCount();
    for (int i = 0; i < pieceCount(); ++i)
        if (RotatorPart* part = piece(i)) part->goHome();
}
