#pragma once
// The rotate-the-pieces minigame: the pieces of a picture stay in place but start turned by a
// quarter or a half turn; each press turns a piece a further quarter turn with a small
// grow-turn-shrink animation, and the level is complete when every piece is upright and still.
// No hint, no skip.
#include <string>

#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/base_level.h"

class RotatorPart : public BaseElement {
public:
    static constexpr int kKind = 4;
    static constexpr const char* kNamePrefix = "piece";
    // Turn states.
    static constexpr int kIdle = 0;
    static constexpr int kGrowing = 1;
    static constexpr int kTurning = 2;
    static constexpr int kShrinking = 3;
    static constexpr float kGrowRate = 4.0f;    // scale per second
    static constexpr float kTurnRate = 15.0f;   // radians per second
    static constexpr float kGrownScale = 1.2f;
    static constexpr float kPause = 0.05f;      // seconds after growing and after turning

    explicit RotatorPart(int number);

    // Takes the clip; the first time also shows it and keeps its matrix as the home matrix.
    void bind(flash::character* ch);
    // A quarter or a half turn from the shared integer random table (idle pieces only).
    void randomStartTurn();
    // Starts a quarter turn (idle pieces only); false when the piece was busy.
    bool turnByClick();
    // One step; true when the piece is upright and idle. A piece without a clip counts upright.
    bool step(float dt);
    // Upright and still at once, the clip back at its home matrix.
    void goHome();

    int state() const { return m_state; }
    float angle() const { return m_angle; }
    float targetAngle() const { return m_target; }
    float scale() const { return m_scale; }
    float pause() const { return m_pause; }

private:
    void apply();

    flash::matrix m_home;
    float m_scale = 1.0f;
    float m_target = 0.0f;
    int m_state = kIdle;
    float m_pause = 0.0f;
    float m_angle = 0.0f;
    bool m_bound = false;
};

class RotatorLevel : public BaseLevel {
public:
    explicit RotatorLevel(BaseLevel* parent);
    ~RotatorLevel() override;

    void update(float dt) override;
    bool isComplete() override;
    bool handleEvent(flash::character* ch, int eventCode) override;
    void forceWin() override;
    void restart() override;
    bool initInternal(const Attr::AttributePtr& description) override;

    int uprightCount() const { return m_upright; }
    int pieceCount() const { return m_pieceCount; }
    // The piece of that index (the first elements are the pieces); null past them or when a
    // script put another element there.
    RotatorPart* piece(int index) const;

private:
    int m_pieceCount = 0;
    int m_upright = 0;
    bool m_completed = false;
};
