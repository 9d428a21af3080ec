#pragma once
// The word minigame: the letters of a start word stand in a row of clips, and the player swaps two
// at a time, by pressing one and then another, until the row spells the final word. Swapped
// letters fly past each other, 15 pixels a frame, then settle for a tenth of a second.
#include <string>
#include <vector>

#include "flash/base/smart_ptr.h"
#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/base_level.h"

class LetterElement : public BaseElement {
public:
    static constexpr int kKind = 11;
    // Flight states.
    static constexpr int kIdle = 0;
    static constexpr int kRising = 1;    // three-leg path: away from the row (straight: flying)
    static constexpr int kAcross = 2;    // three-leg path: along it (straight: settling)
    static constexpr int kReturning = 3;
    static constexpr int kSettling = 4;
    static constexpr float kStep = 300.0f;  // twips a frame, whatever the frame's time
    static constexpr float kSettleTime = 0.1f;

    LetterElement(char letter, bool flyStraight);

    // Sets out for the target: the upper letter of a swap goes over the row, the other under it.
    void startFlight(const flash::matrix& target, bool upper);
    // One frame of the flight.
    void fly(float dt);
    void stop() { m_state = kIdle; }

    char letter() const { return m_letter; }
    int state() const { return m_state; }
    bool idle() const { return m_state == kIdle; }
    bool upper() const { return m_upper; }
    bool straight() const { return m_straight; }
    const flash::matrix& target() const { return m_target; }
    float settleTime() const { return m_settle; }

private:
    void settle(float dt);
    void arrive(flash::character* ch, flash::matrix& m, int settleState);

    char m_letter;
    bool m_upper = false;
    bool m_straight;
    bool m_direction;
    int m_state = kIdle;
    flash::matrix m_target;
    float m_settle = 0.0f;
    float m_dir[3] = {0.0f, 0.0f, 0.0f};
};

class LettersLevel : public BaseLevel {
public:
    static constexpr float kSelectedScale = 1.1f;
    static constexpr float kSkipDelay = 2.0f;
    // No row of clips is longer; a longer word is refused.
    static constexpr size_t kMaxWordLength = 256;

    explicit LettersLevel(BaseLevel* parent);
    ~LettersLevel() override;

    void update(float dt) override;
    bool isComplete() override;
    bool handleEvent(flash::character* ch, int eventCode) override;
    void forceWin() override;
    void restart() override;
    bool skip() override;
    bool initInternal(const Attr::AttributePtr& description) override;

    const std::string& finalWord() const { return m_finalWord; }
    const std::string& startWord() const { return m_startWord; }
    const std::string& endMessage() const { return m_endMsg; }
    int wordLength() const { return m_wordLength; }
    const std::vector<flash::matrix>& slotPositions() const { return m_slots; }
    flash::character* selected() const { return m_selected.get_ptr(); }
    bool placedLatch() const { return m_placedLatch; }
    // The letter standing at list position i (null past the word or for another element).
    LetterElement* letterAt(int index) const;
    // The row spells the final word and no letter moves.
    bool allPlaced() const;

private:
    // The game timer's call after a skip.
    void onSkipTimer(void*) { forceWin(); }
    // Runs "<name>_on_parts_placed" when the script defines it; false when it does not.
    bool callPartsPlaced();

    std::vector<flash::matrix> m_slots;
    int m_wordLength = 0;
    std::string m_finalWord;
    std::string m_startWord;
    std::string m_endMsg;
    flash::weak_ptr<flash::character> m_selected;
    bool m_completed = false;
    // Set once the letters were all in place: the event is raised once per start.
    bool m_placedLatch = false;
};
