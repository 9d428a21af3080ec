#pragma once
// The movie level: a cut scene that plays the level's movie from its first frame until a stop
// action stops it. Escape or the movie's "skip_btn" ends it at once; a held mouse button plays it
// at the engine's highest frame rate until the button is released.
#include <string>

#include "levels/base_level.h"

class MovieLevel : public BaseLevel {
public:
    static constexpr const char* kSkipButton = "skip_btn";
    static constexpr const char* kMoveButton = "move_it_btn";
    static constexpr const char* kMusicKey = "music";
    static constexpr float kFastFrameRate = 240.0f;
    static constexpr int kEscapeScanCode = 1;

    explicit MovieLevel(BaseLevel* parent);
    ~MovieLevel() override;

    void update(float dt) override;
    void onEndLevel() override;
    bool isComplete() override;
    void forceWin() override;
    bool onInputEvent(InputEvent* event) override;
    bool onKey(KeyEvent* event) override;
    bool initInternal(const Attr::AttributePtr& description) override;

    float savedFrameRate() const { return m_savedFrameRate; }
    // The native callback of both buttons: a press on "skip_btn" ends the current level.
    static void buttonCallback(flash::character* ch, int eventCode);

private:
    void restoreFrameRate();

    float m_savedFrameRate = 0.0f;
    // The frame seen at the last update, to tell a movie that wraps around without a stop.
    int m_lastFrame = -1;
    bool m_wrapLogged = false;
};
