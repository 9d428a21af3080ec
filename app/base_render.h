#pragma once
// The common base of everything the game draws through a Flash movie: levels, screens and the
// mouse cursor. It holds one movie root and the particle effects drawn over it; the application
// keeps drawables in its render list and offers them the mouse and keys each frame.
#include <cstdint>
#include <string>
#include <vector>

#include "flash/base/smart_ptr.h"
#include "script/bound_object.h"

struct KeyEvent;

namespace flash {
class root;
}
namespace particle {
class fxParticleEffect2D;
}
namespace ScriptBinding {
struct ClassDescriptor;
}

class BaseRender : public script::BoundObject {
public:
    // The effect array's first capacity; it doubles from there.
    static constexpr uint32_t kFirstEffectCapacity = 10;

    BaseRender();
    // Not copyable: a copy would list the same effects twice and release them twice.
    BaseRender(const BaseRender&) = delete;
    BaseRender& operator=(const BaseRender&) = delete;
    // Releases the root and the effects still listed (a level deleted without its end step
    // would otherwise leak the effects handed to it).
    ~BaseRender() override;

    // Plays and draws one frame while visible: the movie advances only here.
    virtual void render(float dt);
    // Hands the mouse to the movie; a coordinate at 0 or below resends the last one. Always true.
    virtual bool onMouse(int x, int y, int buttons);
    // A keyboard event; true when it was used.
    virtual bool onInput(KeyEvent* event);
    virtual bool isVisible() const;
    virtual void setVisible(bool visible);
    // Hides (through setVisible) and gives up the active-panel place when this held it.
    virtual void hide();
    // Updates the listed effects and drops the finished ones.
    virtual void update(float dt);
    virtual void addEffect(particle::fxParticleEffect2D* effect);
    // Unlists (the last entry fills the gap), switches off and releases a live effect.
    virtual void removeEffect(particle::fxParticleEffect2D* effect);
    // Removes the first listed effect whose name is exactly `name`.
    virtual void stopEffect(const std::string& name);

    flash::root* getRoot() const { return m_root.get(); }
    void setRoot(flash::root* root);
    uint32_t effectCount() const { return static_cast<uint32_t>(m_effects.size()); }
    uint32_t effectCapacity() const { return m_effectCapacity; }
    particle::fxParticleEffect2D* effectAt(uint32_t index) const {
        return index < m_effects.size() ? m_effects[index] : nullptr;
    }

    static ScriptBinding::ClassDescriptor* scriptClass();

protected:
    flash::smart_ptr<flash::root> m_root;

private:
    static void onListedEffectStopped(void* context, particle::fxParticleEffect2D* effect);

    std::vector<particle::fxParticleEffect2D*> m_effects;
    uint32_t m_effectCapacity = 0;
};
