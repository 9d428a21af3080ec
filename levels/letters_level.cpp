#include "levels/letters_level.h"

#include <algorithm>
#include <cmath>

#include "app/game_timers.h"
#include "core/attr_access.h"
#include "core/log_stream.h"
#include "flash/runtime/character.h"
#include "levels/level_manager.h"
#include "levels/level_sound.h"
#include "levels/minigame_pieces.h"
#include "script/script_core.h"
#include "script/script_function.h"

namespace {

constexpr const char* kInitInternal = "LettersLevel::initInternal";
constexpr const char* kSelectSound = "page_select";
constexpr const char* kSlideSound = "page_slide";
constexpr const char* kPartsPlaced = "_on_parts_placed";
constexpr const char* kClipSuffix = "_letter";
// A letter that occurs several times has clips named with "_1" to "_8" added.
constexpr int kMaxRepeatedClips = 8;
constexpr float kMinDirection = 1e-6f;

const levels::LevelKindRegistration s_kind("letters", [](BaseLevel* parent) -> BaseLevel* {
    return new LettersLevel(parent);
});

bool isAscii(const std::string& word) {
    return std::all_of(word.begin(), word.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

float sign(float value) { return value > 0.0f ? 1.0f : value < 0.0f ? -1.0f : 0.0f; }

}  // namespace

LetterElement::LetterElement(char letter, bool flyStraight)
    : BaseElement(kKind, std::string(1, letter) + kClipSuffix, ""),
      m_letter(letter),
      m_straight(flyStraight),
      m_direction(flyStraight) {}

void LetterElement::startFlight(const flash::matrix& target, bool upper) {
    m_target = target;
    m_upper = upper;
    m_state = kRising;
    flash::character* ch = getCharacter();
    levels::raiseClip(ch);
    if (m_direction && ch) {
        const flash::matrix& m = ch->get_matrix();
        const float dx = m.m_[0][2] - target.m_[0][2], dy = m.m_[1][2] - target.m_[1][2];
        const float length = std::sqrt(dx * dx + dy * dy);
        if (length > kMinDirection) {
            m_dir[0] = dx / length;
            m_dir[1] = dy / length;
            m_dir[2] = 0.0f;
        }
    }
}

void LetterElement::arrive(flash::character* ch, flash::matrix& m, int settleState) {
    m_settle = kSettleTime;
    m_state = settleState;
    ch->set_matrix(m);
}

void LetterElement::settle(float dt) {
    if (m_settle <= 0.0f) {
        levels::setClipScale(getCharacter(), 1.0f);
        m_state = kIdle;
    } else {
        m_settle -= dt;
    }
}

void LetterElement::fly(float dt) {
    flash::character* ch = getCharacter();
    if (m_state == kIdle) return;
    if (!ch) {
        m_state = kIdle;
        return;
    }
    flash::matrix m = ch->get_matrix();
    float& x = m.m_[0][2];
    float& y = m.m_[1][2];
    const float tx = m_target.m_[0][2], ty = m_target.m_[1][2];
    if (m_straight) {
        if (m_state == kRising) {
            // Within a step the letter lands, so that no frame moves it more than one step.
            if (std::fabs(tx - x) <= kStep && std::fabs(ty - y) <= kStep) {
                x = tx;
                y = ty;
                arrive(ch, m, kAcross);
                return;
            }
            // The direction points from the target to where the letter set out.
            x -= m_dir[0] * kStep;
            y -= m_dir[1] * kStep;
            ch->set_matrix(m);
        } else {
            settle(dt);
        }
        return;
    }
    switch (m_state) {
        case kRising:
            y += m_upper ? -kStep : kStep;
            if (std::fabs(y - ty) >= ch->get_height()) m_state = kAcross;
            break;
        case kAcross:
            if (std::fabs(tx - x) <= kStep) {
                x = tx;
                m_state = kReturning;
            } else {
                x += sign(tx - x) * kStep;
            }
            break;
        case kReturning:
            if (std::fabs(ty - y) <= kStep) {
                y = ty;
                arrive(ch, m, kSettling);
                return;
            }
            y += m_upper ? kStep : -kStep;
            break;
        default: settle(dt); return;
    }
    ch->set_matrix(m);
}

LettersLevel::LettersLevel(BaseLevel* parent) : BaseLevel(parent) { m_levelKind = kKindLetters; }

LettersLevel::~LettersLevel() = default;

LetterElement* LettersLevel::letterAt(int index) const {
    if (index < 0 || index >= m_wordLength || index >= static_cast<int>(m_elements.size())) return nullptr;
    BaseElement* element = m_elements[static_cast<size_t>(index)];
    return element->getKind() == LetterElement::kKind ? static_cast<LetterElement*>(element) : nullptr;
}

bool LettersLevel::initInternal(const Attr::AttributePtr& description) {
    m_placedLatch = false;
    m_finalWord = Attr::stringValueOr(Attr::findAttribute(description, "FinalWord"), std::string());
    m_startWord = Attr::stringValueOr(Attr::findAttribute(description, "StartWord"), std::string());
    m_endMsg = Attr::stringValueOr(Attr::findAttribute(description, "EndMsg"), std::string());
    const bool straight = Attr::boolValueOr(Attr::findAttribute(description, "FlyStraight"), false);
    Attr::boolValueOr(Attr::findAttribute(description, "FlyDiag"), false);  // read; changes nothing
    if (m_finalWord.empty() || m_startWord.size() != m_finalWord.size()) {
        Tov::LogLine("ERROR") << kInitInternal << " FinalWord \"" << m_finalWord << "\" and StartWord \""
                              << m_startWord << "\" must be of one length, not 0";
        return false;
    }
    if (m_finalWord.size() > kMaxWordLength) {
        Tov::LogLine("ERROR") << kInitInternal << " FinalWord of " << m_finalWord.size() << " letters is above "
                              << kMaxWordLength;
        return false;
    }
    // Clip names take one byte per letter: a character of several bytes has no clip.
    if (!isAscii(m_finalWord) || !isAscii(m_startWord)) {
        Tov::LogLine("ERROR") << kInitInternal << " FinalWord and StartWord must be ASCII";
        return false;
    }
    std::string sortedFinal = m_finalWord, sortedStart = m_startWord;
    std::sort(sortedFinal.begin(), sortedFinal.end());
    std::sort(sortedStart.begin(), sortedStart.end());
    if (sortedFinal != sortedStart) {
        Tov::LogLine("ERROR") << kInitInternal << " StartWord \"" << m_startWord
                              << "\" is no reordering of FinalWord \"" << m_finalWord << "\": it can never be spelled";
        return false;
    }
    m_wordLength = static_cast<int>(m_finalWord.size());
    for (char letter : m_startWord) addElement(new LetterElement(letter, straight));
    return true;
}

void LettersLevel::restart() {
    m_forcedWin = false;
    m_selected = nullptr;
    m_completed = false;
    // A restarted or replayed level must be able to complete again.
    m_placedLatch = false;
    std::vector<flash::character*> taken;
    const auto free = [&taken, this](flash::character* ch) {
        if (!ch || std::find(taken.begin(), taken.end(), ch) != taken.end()) return false;
        BaseElement* owner = ClipOwner::elementOf(ch);
        // A clip of another element of this level, not yet taken in this pass, is free again.
        return !owner || owner->getLevel() == this;
    };
    for (int i = 0; i < m_wordLength; ++i) {
        LetterElement* letter = letterAt(i);
        if (!letter) continue;
        flash::character* ch = findCharacter(letter->getName(), true);
        if (!free(ch)) {
            ch = nullptr;
            for (int k = 1; k <= kMaxRepeatedClips && !ch; ++k) {
                flash::character* candidate = findCharacter(letter->getName() + "_" + std::to_string(k), true);
                if (free(candidate)) ch = candidate;
            }
        }
        // The slots are the row's places as the first start found them, one per letter.
        const bool firstStart = m_slots.size() < static_cast<size_t>(m_wordLength);
        if (!ch) {
            if (firstStart) m_slots.emplace_back();
            Tov::LogLine("WARNING") << "LettersLevel::restart" << " not find element " << letter->getName()
                                    << " in " << getName() << ": that letter cannot be pressed";
            continue;
        }
        taken.push_back(ch);
        ch->set_event_callback(&BaseLevel::levelEventCallback);
        letter->setCharacter(ch);
        ch->goto_frame(0);
        if (firstStart) m_slots.push_back(ch->get_matrix());
    }
    if (!m_parent) levels::setSkipButtonShown(true);
}

bool LettersLevel::allPlaced() const {
    if (m_wordLength == 0) return false;
    for (int i = 0; i < m_wordLength; ++i) {
        const LetterElement* letter = letterAt(i);
        if (!letter || letter->letter() != m_finalWord[static_cast<size_t>(i)] || !letter->idle()) return false;
    }
    return true;
}

bool LettersLevel::callPartsPlaced() {
    if (!currentScriptState()) return false;
    script::Function<int> hook;
    hook.bind((getName() + kPartsPlaced).c_str());
    if (!hook.isBound()) return false;
    int result = 0;
    hook.call(result);
    return true;
}

void LettersLevel::update(float dt) {
    BaseLevel::update(dt);
    if (isComplete()) return;
    for (int i = 0; i < m_wordLength; ++i)
        if (LetterElement* letter = letterAt(i)) letter->fly(dt);
    if (m_placedLatch || !allPlaced()) return;
    m_placedLatch = true;
    for (int i = 0; i < m_wordLength; ++i)
        if (LetterElement* letter = letterAt(i); letter && letter->getCharacter())
            letter->getCharacter()->set_event_callback(nullptr);
    if (!callPartsPlaced()) m_completed = true;
}

bool LettersLevel::isComplete() { return m_completed || m_forcedWin; }

bool LettersLevel::handleEvent(flash::character* ch, int eventCode) {
    if (BaseLevel::handleEvent(ch, eventCode)) return true;
    if (eventCode != levels::kPressEvent || levels::gameBusy() || isComplete()) return false;
    BaseElement* owner = ClipOwner::elementOf(ch);
    if (!owner || owner->getLevel() != this || owner->getKind() != LetterElement::kKind) return false;
    auto* clicked = static_cast<LetterElement*>(owner);
    if (!clicked->idle()) return true;
    flash::character* selectedClip = m_selected.get_ptr();
    BaseElement* selectedOwner = selectedClip ? ClipOwner::elementOf(selectedClip) : nullptr;
    auto* selected = selectedOwner && selectedOwner->getLevel() == this && selectedOwner->getKind() == LetterElement::kKind
                         ? static_cast<LetterElement*>(selectedOwner)
                         : nullptr;
    if (!selected) {
        levels::setClipScale(ch, kSelectedScale);
        m_selected = ch;
        levels::playSound(kSelectSound, false);
        return true;
    }
    if (selected == clicked) {
        levels::setClipScale(ch, 1.0f);
        m_selected = nullptr;
        return true;
    }
    if (!selected->idle()) return true;
    auto a = std::find(m_elements.begin(), m_elements.end(), clicked);
    auto b = std::find(m_elements.begin(), m_elements.end(), selected);
    if (a == m_elements.end() || b == m_elements.end()) return true;
    std::iter_swap(a, b);
    levels::setClipScale(clicked->getCharacter(), kSelectedScale);
    levels::setClipScale(selected->getCharacter(), kSelectedScale);
    const flash::matrix clickedAt = clicked->getCharacter()->get_matrix();
    const flash::matrix selectedAt = selected->getCharacter()->get_matrix();
    clicked->startFlight(selectedAt, true);
    selected->startFlight(clickedAt, false);
    m_selected = nullptr;
    levels::playSound(kSlideSound, false);
    return true;
}

bool LettersLevel::skip() {
    for (int i = 0; i < m_wordLength; ++i) {
        LetterElement* letter = letterAt(i);
        if (!letter) continue;
        const bool wasFlying = !letter->idle();
        letter->stop();
        flash::character* ch = letter->getCharacter();
        if (!ch) continue;
        if (letter->letter() == m_finalWord[static_cast<size_t>(i)]) {
            // Already on its place in the row: a flight under way ends there, not in mid-air.
            if (wasFlying) ch->set_matrix(letter->target());
            continue;
        }
        // Repeated letters all land on the place of that letter's last occurrence.
        const size_t slot = m_finalWord.rfind(letter->letter());
        if (slot < m_slots.size()) ch->set_matrix(m_slots[slot]);
    }
    if (flash::character* selectedClip = m_selected.get_ptr()) levels::setClipScale(selectedClip, 1.0f);
    m_selected = nullptr;
    levels::playSound(kSlideSound, false);
    levels::setSkipButtonShown(false);
    if (m_parent) {
        m_completed = true;
    } else if (GameTimerManager* timers = GameTimerManager::instance()) {
        timers->start(this, &LettersLevel::onSkipTimer, nullptr, kSkipDelay);
    }
    return true;
}

void LettersLevel::forceWin() {
    if (!callPartsPlaced()) m_forcedWin = true;
}
