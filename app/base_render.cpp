#include "app/base_render.h"

#include <lua.hpp>

#include "app/application.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "particles/particle_effect.h"
#include "script/script_args.h"
#include "script/script_binding.h"

BaseRender::BaseRender() = default;

BaseRender::~BaseRender() {
    m_root = nullptr;
    // Trimming the working set has no counterpart here.
    std::vector<particle::fxParticleEffect2D*> effects;
    effects.swap(m_effects);
    for (particle::fxParticleEffect2D* effect : effects) {
        effect->clearStopCallback();
        effect->stopEmission(false);
        effect->stop();
    }
}

void BaseRender::setRoot(flash::root* root) { m_root = root; }

void BaseRender::render(float dt) {
    if (!isVisible()) return;
    Application* app = Application::instance();
    if (app && app->player()) app->player()->set_root(m_root.get());
    m_root->set_display_viewport(0, 0, Application::kGameWidth, Application::kGameHeight);
    m_root->set_background_alpha(1.0f);
    m_root->advance(dt);
    m_root->display();
    for (particle::fxParticleEffect2D* effect : m_effects) effect->draw();
}

bool BaseRender::onMouse(int x, int y, int buttons) {
    if (m_root && isVisible()) {
        int lastX = 0, lastY = 0, lastButtons = 0;
        m_root->get_mouse_state(&lastX, &lastY, &lastButtons);
        if (x <= 0) x = lastX;
        if (y <= 0) y = lastY;
        m_root->notify_mouse_state(x, y, buttons);
    }
    return true;
}

bool BaseRender::onInput(KeyEvent*) { return false; }

bool BaseRender::isVisible() const { return m_root && m_root->get_visible(); }

void BaseRender::setVisible(bool visible) {
    if (m_root) m_root->set_visible(visible);
}

void BaseRender::hide() {
    setVisible(false);
    Application* app = Application::instance();
    if (app && app->modalPanel() == this) app->setActivePanel(nullptr);
}

void BaseRender::update(float dt) {
    for (size_t i = 0; i < m_effects.size();) {
        particle::fxParticleEffect2D* effect = m_effects[i];
        if (effect->isFinished()) {
            removeEffect(effect);  // the last entry now sits at i
            continue;
        }
        effect->update(dt);
        // The post-update tick: an effect that stops being updated releases itself. Its stop
        // callback has unlisted it then, and the entry now at i has not been updated yet.
        if (effect->frameStep()) continue;
        ++i;
    }
}

void BaseRender::addEffect(particle::fxParticleEffect2D* effect) {
    if (!effect) return;
    for (particle::fxParticleEffect2D* listed : m_effects)
        if (listed == effect) return;
    if (m_effects.size() == m_effectCapacity) {
        m_effectCapacity = m_effectCapacity == 0 ? kFirstEffectCapacity : m_effectCapacity * 2;
        m_effects.reserve(m_effectCapacity);
    }
    m_effects.push_back(effect);
    // The effect manager stops a finished effect itself: the list must not keep it then.
    effect->setStopCallback(this, &BaseRender::onListedEffectStopped);
}

void BaseRender::onListedEffectStopped(void* context, particle::fxParticleEffect2D* effect) {
    auto& effects = static_cast<BaseRender*>(context)->m_effects;
    for (size_t i = 0; i < effects.size(); ++i) {
        if (effects[i] != effect) continue;
        effects[i] = effects.back();
        effects.pop_back();
        return;
    }
}

void BaseRender::removeEffect(particle::fxParticleEffect2D* effect) {
    for (size_t i = 0; i < m_effects.size(); ++i) {
        if (m_effects[i] != effect) continue;
        m_effects[i] = m_effects.back();
        m_effects.pop_back();
        break;
    }
    effect->clearStopCallback();
    effect->stopEmission(false);
    effect->stop();
}

void BaseRender::stopEffect(const std::string& name) {
    for (particle::fxParticleEffect2D* effect : m_effects) {
        if (effect->name() == name) {
            removeEffect(effect);
            return;
        }
    }
}

namespace {

// setVisible(object, visible): through the virtual slot, so overrides run.
int baseRenderSetVisible(lua_State* L) {
    if (BaseRender* render = ScriptBinding::getArg<BaseRender>(L, 1)) render->setVisible(lua_toboolean(L, 2) != 0);
    return 0;
}

void describeBaseRender(ScriptBinding::ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "setVisible", baseRenderSetVisible);
}

}  // namespace

ScriptBinding::ClassDescriptor* BaseRender::scriptClass() {
    static ScriptBinding::ClassDescriptor cls;
    static ScriptBinding::ClassDescriptor* registered = [] {
        // Script objects of this class are only ever handles: the script never owns a drawable.
        ScriptBinding::registerClass(&cls, "BaseRender", nullptr, 0, 20, &ScriptBinding::allocateCopy);
        describeBaseRender(&cls);
        return &cls;
    }();
    return registered;
}
