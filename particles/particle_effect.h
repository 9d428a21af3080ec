#pragma once
// Effects: named, positioned groups of particle systems, started by name and played by the
// effect manager until they finish or are stopped.
#include <cstdint>
#include <string>
#include <vector>

#include "core/attr_tree.h"
#include "core/flag_object.h"
#include "core/math_utils.h"

namespace particle {

class ParticleSystem;
class fxParticleEffect2D;
class fxParticleEffectMgr;

// Both callbacks take (context value, effect).
using EffectCallback = void (*)(void* context, fxParticleEffect2D* effect);

// A frame-animated sprite; effects can take their position from one.
class fxAnimatedSprite2D : public Tov::FlagObjectCB<fxAnimatedSprite2D, unsigned char> {
public:
    int x = 0;
    int y = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    int frame = 0;
    bool finished = false;
};

class fxParticleEffect2D {
public:
    struct SystemEntry {
        ParticleSystem* system = nullptr;
        Vector2 offset;          // from the effect's position
        Vector2 fixedPosition;
        bool staticPosition = false;
    };

    fxParticleEffect2D(const std::string& name, bool managed);
    fxParticleEffect2D(const fxParticleEffect2D&) = delete;
    fxParticleEffect2D& operator=(const fxParticleEffect2D&) = delete;

    // The owner of an unmanaged effect calls this once a frame: draw, then update.
    virtual void updateAndDraw(float dt);
    virtual void setPosition(const Vector2& point);
    virtual void setIntPosition(int x, int y);
    virtual void setPositionFrom(fxAnimatedSprite2D sprite);
    // Ends the emission of every system; the living particles play out.
    virtual void stopEmission(bool flag);
    virtual void setEnabled(bool enabled);
    virtual void start();
    virtual bool load(const Attr::AttributePtr& node);
    virtual bool isDone() const;
    virtual bool isRestartable() const;
    virtual void update(float dt);
    virtual void draw();
    // Fires the armed completion callback and the stop callback, returns the systems to the pool,
    // leaves the manager's list, nulls the holder and destroys the effect. Only the first call
    // does anything.
    virtual void stop();

    // One manager frame: true when the watchdog stopped the effect (it is gone then).
    bool frameStep();

    void setHolder(fxParticleEffect2D** holder) { m_holder = holder; }
    void setStopCallback(void* context, EffectCallback function);
    void clearStopCallback();
    void setCompletionCallback(void* context, EffectCallback function);
    // Arms the completion callback and sends every system from `from` to `to` over the
    // description's absolute lifetime (the description is shared by every effect using it).
    void moveBetween(const Vector2& from, const Vector2& to);
    // Ends every emission and hands the effect to the manager to play out.
    void detach();

    const std::string& name() const { return m_name; }
    bool isManaged() const { return m_managed; }
    bool isFinished() const { return m_finished; }
    bool isEnabled() const { return m_enabled; }
    bool isLoaded() const { return m_loaded; }
    Vector2 position() const { return m_position; }
    float restartCountdown() const { return m_restartCountdown; }
    float restartMin() const { return m_restartMin; }
    float restartMax() const { return m_restartMax; }
    int32_t watchdog() const { return m_watchdog; }
    const std::vector<SystemEntry>& systems() const { return m_systems; }
    const std::string& background() const { return m_background; }

protected:
    friend class fxParticleEffectMgr;
    // Only stop destroys an effect.
    virtual ~fxParticleEffect2D() = default;
    // Writes the two points into points 0 and 1 of every system's emitter-centre curves.
    void writePathPoints(const Vector2& from, const Vector2& to);
    // Returns the systems taken so far to the pool (a load that failed).
    void releaseSystems();

    bool m_enabled = true;
    bool m_emissionStopped = false;
    bool m_loaded = false;
    bool m_completionArmed = false;
    Vector2 m_secondPosition;
    Vector2 m_position;
    std::vector<SystemEntry> m_systems;
    float m_restartMin = 0.0f;
    float m_restartMax = 0.0f;
    bool m_restart = false;
    bool m_finished = false;
    void* m_stopContext = nullptr;
    EffectCallback m_stopFunction = nullptr;
    void* m_completionContext = nullptr;
    EffectCallback m_completionFunction = nullptr;
    std::string m_name;
    float m_restartCountdown = -1.0f;
    fxParticleEffect2D** m_holder = nullptr;
    int32_t m_watchdog = 0;
    bool m_managed = false;
    std::string m_background;
    bool m_drawFromManager = false;

private:
    // Callbacks may stop this effect while it is updating: it is destroyed once the update ends.
    int m_busy = 0;
    bool m_stopped = false;
    void finishIfStopped();
};

// The effect made from one effect file.
class fxSingleEffect : public fxParticleEffect2D {
public:
    fxSingleEffect(const std::string& name, bool managed);

    void setPosition(const Vector2& point) override;
    void start() override;
    bool load(const Attr::AttributePtr& node) override;
    // The same curve writes as moveBetween; restarts each system's age and cursors in place.
    void setPath(const Vector2& from, const Vector2& to);

private:
    Vector2 placeOf(const SystemEntry& entry) const;
};

// Stops an effect; false when there is none.
bool safeStop(fxParticleEffect2D* effect);

}  // namespace particle
