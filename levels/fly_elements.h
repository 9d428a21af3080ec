#pragma once
// Short self-running animations of one clip that a level starts when the player has served an
// object: a used target fades and swells away (`TurnFlyElement`), a contour piece travels from the
// cursor to its place (`ContourFlyElement`), an object plays its own animation where it stands
// (`AnimElement`). `FlyElementsManager` owns them, advances all of them once per frame (right
// after the cursor, before the level), deletes each as soon as it is done, and tells the levels
// whether a blocking flight is in progress, during which presses on objects are not served.
#include <cstddef>
#include <memory>
#include <vector>

#include "app/game_layers.h"
#include "core/singleton.h"
#include "flash/base/smart_ptr.h"
#include "flash/shape/geometry.h"

namespace flash {
class character;
class sprite_instance;
}  // namespace flash

namespace levels {

class FlyElement {
public:
    virtual ~FlyElement() = default;
    // Advances by dt seconds; false means done.
    virtual bool update(float dt) = 0;
    // While true the manager reports busy.
    virtual bool isBlocking() const { return false; }
    // Asked to go on after a pause.
    virtual void continueBlocking() {}

protected:
    explicit FlyElement(flash::character* clip);
    flash::character* clip() const { return m_clip.get_ptr(); }
    // The clip as a sprite; null for any other character.
    flash::sprite_instance* sprite() const;

private:
    // A counted reference: a clip that leaves its display list mid-flight stays valid.
    flash::smart_ptr<flash::character> m_clip;
};

// Plays the clip where it stands until the clip stops. A clip that loops never stops: it ends
// when it wraps back to an earlier frame, with a WARNING.
class AnimElement : public FlyElement {
public:
    explicit AnimElement(flash::character* clip);
    bool update(float dt) override;

private:
    int m_lastFrame = 0;
};

// Fades and swells the clip over one second (turning it with rotate), then hides it and its
// owning element's clip. A clip of more than 2 frames with a "start_hide" label instead plays to
// the label, waits there (blocking) until asked to go on, and plays to its last frame.
class TurnFlyElement : public FlyElement {
public:
    static constexpr const char* kPauseLabel = "start_hide";
    static constexpr float kDuration = 1.0f;

    TurnFlyElement(flash::character* clip, bool rotate);
    // Hides the clip (and its owner's), restores its matrix and its alpha.
    ~TurnFlyElement() override;
    bool update(float dt) override;
    bool isBlocking() const override { return m_animated; }
    void continueBlocking() override;

    bool animated() const { return m_animated; }
    bool rotates() const { return m_rotate; }

private:
    // Playback to the current range's end, stopping there instead of starting over.
    void playOnce(flash::sprite_instance* clip);

    flash::matrix m_saved;
    float m_t = 0.0f;
    bool m_rotate;
    bool m_animated = false;
};

// Shows the clip at the cursor and moves it home by 1/25 of the way per frame; it lands exactly
// home and shows frame 1. Under a scaled or rotated parent the fixed step can miss home: the
// flight also ends once its distance to home stops shrinking, or after 25 steps.
class ContourFlyElement : public FlyElement {
public:
    static constexpr float kStepShare = 0.04f;
    static constexpr int kMaxSteps = 25;
    static constexpr float kArrivedTwips = 100.0f;
    static constexpr float kTurnSpeed = 3.0f;  // radians per second

    ContourFlyElement(flash::character* clip, bool rotate);
    // Lands the clip home, visible, on frame 1.
    ~ContourFlyElement() override;
    bool update(float dt) override;

private:
    flash::matrix m_home;
    flash::matrix m_cursor;
    flash::matrix m_start;
    float m_lastDistance = 0.0f;
    int m_steps = 0;
    bool m_rotate;
};

}  // namespace levels

class FlyElementsManager : public Tov::Singleton<FlyElementsManager>, public app::FlyElements {
public:
    FlyElementsManager();
    // Clears every flight (their clips restored).
    ~FlyElementsManager() override;

    // Advances every flight by dt; a finished one is deleted at once.
    void update(float dt) override;
    // The last queued flight is blocking.
    bool isBusy() const;
    // Lets the last flight go on when it is blocking.
    void continueBlocking();
    // Each queues a flight on the clip unless the last flight blocks (force queues anyway) or the
    // clip is null; true when queued.
    bool addTurnFly(flash::character* clip, bool rotate, bool force);
    bool addContourFly(flash::character* clip, bool rotate, bool force);
    bool addAnimFly(flash::character* clip, bool force);
    // Deletes every flight; each restores its clip.
    void clear();
    size_t count() const { return m_elements.size(); }

private:
    bool accepts(flash::character* clip, bool force) const;

    std::vector<std::unique_ptr<levels::FlyElement>> m_elements;
};
