#include "particles/particle_effect.h"

#include "core/attr_access.h"
#include "core/random_tables.h"
#include "particles/internal/attr_read.h"
#include "particles/effect_mgr.h"
#include "particles/particle_system.h"

namespace particle {

fxParticleEffect2D::fxParticleEffect2D(const std::string& name, bool managed) : m_name(name), m_managed(managed) {}

void fxParticleEffect2D::updateAndDraw(float dt) {
    m_watchdog = 0;
    if (m_managed) return;
    draw();
    update(dt);
}

void fxParticleEffect2D::setPosition(const Vector2& point) { m_position = point; }

void fxParticleEffect2D::setIntPosition(int x, int y) {
    m_secondPosition = {static_cast<float>(x), static_cast<float>(y)};
}

void fxParticleEffect2D::setPositionFrom(fxAnimatedSprite2D sprite) {
    setPosition({static_cast<float>(sprite.x), static_cast<float>(sprite.y)});
}

void fxParticleEffect2D::stopEmission(bool flag) {
    m_emissionStopped = flag;
    for (SystemEntry& entry : m_systems) entry.system->stopEmission(false);
}

void fxParticleEffect2D::setEnabled(bool enabled) { m_enabled = enabled; }

void fxParticleEffect2D::start() { m_restartCountdown = -1.0f; }

bool fxParticleEffect2D::load(const Attr::AttributePtr&) {
    m_loaded = true;
    return true;
}

bool fxParticleEffect2D::isDone() const {
    if (m_finished) return true;
    for (const SystemEntry& entry : m_systems) {
        if (entry.system->isActive()) return false;
    }
    return true;
}

bool fxParticleEffect2D::isRestartable() const { return m_restart; }

void fxParticleEffect2D::update(float dt) {
    if (m_stopped) return;
    ++m_busy;
    m_watchdog = 0;
    bool anyActive = false;
    for (size_t i = 0; i < m_systems.size() && !m_stopped; ++i) {
        ParticleSystem* system = m_systems[i].system;
        system->update(dt);
        if (m_completionArmed && system->age() < -1.0f) {
            m_completionArmed = false;
            if (m_completionFunction) {
                m_completionFunction(m_completionContext, this);
                if (m_stopped) break;
            }
        }
        if (system->isActive()) anyActive = true;
    }
    if (!m_stopped) {
        if (m_restart) {
            if (!anyActive && m_restartCountdown < 0.0f) {
                m_restartCountdown = m_restartMin + (m_restartMax - m_restartMin) * randomFloat();
                // A negative minimum would never count down.
                if (!(m_restartCountdown >= 0.0f)) m_restartCountdown = 0.0f;
            }
            if (m_restartCountdown >= 0.0f) {
                m_restartCountdown -= dt;
                if (m_restartCountdown <= 0.0f) start();
            }
        } else if (!anyActive) {
            m_finished = true;
        }
    }
    --m_busy;
    finishIfStopped();
}

void fxParticleEffect2D::draw() {
    fxParticleEffectMgr* manager = fxParticleEffectMgr::instance();
    if (!manager || m_stopped) return;
    for (SystemEntry& entry : m_systems) entry.system->draw(manager->batcher());
}

void fxParticleEffect2D::stop() {
    if (m_stopped) return;
    m_stopped = true;
    ++m_busy;
    if (m_completionArmed && m_completionFunction) {
        m_completionArmed = false;
        m_completionFunction(m_completionContext, this);
    }
    if (m_stopFunction) m_stopFunction(m_stopContext, this);
    releaseSystems();
    if (fxParticleEffectMgr* manager = fxParticleEffectMgr::instance()) manager->removeEffect(this);
    if (m_holder) *m_holder = nullptr;
    --m_busy;
    finishIfStopped();
}

void fxParticleEffect2D::finishIfStopped() {
    if (m_stopped && m_busy == 0) delete this;
}

bool fxParticleEffect2D::frameStep() {
    ++m_watchdog;
    if (m_watchdog <= 3) return false;
    stop();
    return true;
}

void fxParticleEffect2D::setStopCallback(void* context, EffectCallback function) {
    m_stopContext = context;
    m_stopFunction = function;
}

void fxParticleEffect2D::clearStopCallback() {
    m_stopContext = nullptr;
    m_stopFunction = nullptr;
}

void fxParticleEffect2D::setCompletionCallback(void* context, EffectCallback function) {
    m_completionContext = context;
    m_completionFunction = function;
}

void fxParticleEffect2D::writePathPoints(const Vector2& from, const Vector2& to) {
    for (SystemEntry& entry : m_systems) {
        ParticleSystemInfo* info = entry.system->info().get();
        if (!info) continue;
        const float values[2][2] = {{from.x, to.x}, {from.y, to.y}};
        Curve* curves[2] = {&info->curve(CURVE_EMITTER_CENTER_X), &info->curve(CURVE_EMITTER_CENTER_Y)};
        for (int axis = 0; axis < 2; ++axis) {
            Curve& curve = *curves[axis];
            // A curve with fewer points gains them, spanning the whole life.
            if (curve.count < 1) curve.points[0] = {0.0f, 0.0f, 0.0f};
            if (curve.count < 2) curve.points[1] = {100.0f, 0.0f, 0.0f};
            if (curve.count < 2) curve.count = 2;
            curve.points[0].value = values[axis][0];
            curve.points[1].value = values[axis][1];
            curve.computeSlopes();
        }
    }
}

void fxParticleEffect2D::moveBetween(const Vector2& from, const Vector2& to) {
    m_completionArmed = true;
    writePathPoints(from, to);
    for (SystemEntry& entry : m_systems) entry.system->start(0.0f, 0.0f);
}

void fxParticleEffect2D::detach() {
    for (SystemEntry& entry : m_systems) entry.system->stopEmission(false);
    m_managed = true;
}

void fxParticleEffect2D::releaseSystems() {
    std::vector<SystemEntry> systems;
    systems.swap(m_systems);
    for (SystemEntry& entry : systems) entry.system->stop();
}

bool safeStop(fxParticleEffect2D* effect) {
    if (!effect) return false;
    effect->stop();
    return true;
}

fxSingleEffect::fxSingleEffect(const std::string& name, bool managed) : fxParticleEffect2D(name, managed) {}

Vector2 fxSingleEffect::placeOf(const SystemEntry& entry) const {
    if (entry.staticPosition) return entry.fixedPosition;
    return {m_position.x + entry.offset.x, m_position.y + entry.offset.y};
}

void fxSingleEffect::setPosition(const Vector2& point) {
    m_position = point;
    for (SystemEntry& entry : m_systems) {
        const Vector2 at = placeOf(entry);
        entry.system->moveTo(at.x, at.y);
    }
}

void fxSingleEffect::start() {
    fxParticleEffect2D::start();
    for (SystemEntry& entry : m_systems) {
        const Vector2 at = placeOf(entry);
        entry.system->start(at.x, at.y);
    }
}

void fxSingleEffect::setPath(const Vector2& from, const Vector2& to) {
    writePathPoints(from, to);
    for (SystemEntry& entry : m_systems) entry.system->restart();
}

bool fxSingleEffect::load(const Attr::AttributePtr& node) {
    fxParticleEffect2D::load(node);
    const bool autostart = readBool(node, "autostart");
    m_background = readString(node, "bg");
    const Attr::AttributePtr staticPosition = readObject(node, "staticposition");
    if (const Attr::AttributePtr restart = readObject(node, "restart")) {
        m_restart = true;
        m_restartMin = readFloat(restart, "min");
        m_restartMax = readFloat(restart, "max");
    }
    if (const Attr::AttributePtr settings = readObject(node, "managet")) {
        m_drawFromManager = readBool(settings, "drawfrommanager");
    }
    const Attr::AttributePtr list = readObject(node, "effect");
    fxParticleEffectMgr* manager = fxParticleEffectMgr::instance();
    for (auto it = Attr::attributesBegin(list); it != Attr::attributesEnd(list); ++it) {
        const Attr::AttributePtr& item = it->second;
        if (!item || item->typeId() != Attr::TYPE_OBJECT) continue;
        ParticleSystem* system = manager ? manager->CreateParticleSystem() : nullptr;
        if (!system) {
            releaseSystems();
            return false;
        }
        SystemEntry entry;
        entry.system = system;
        m_systems.push_back(entry);
        if (!system->GetParticleSystemInfo(readString(item, "pse"))) {
            releaseSystems();
            return false;
        }
        SystemEntry& added = m_systems.back();
        added.offset = {readFloat(item, "dx"), readFloat(item, "dy")};
        if (const Attr::AttributePtr fixed = readObject(item, "staticposition")) {
            added.fixedPosition = readPoint(fixed);
            added.staticPosition = true;
        }
        if (const Attr::AttributePtr bounds = readObject(item, "BoundsRect")) {
            static const char* const kKeys[8] = {"x1", "y1", "x2", "y2", "x3", "y3", "x4", "y4"};
            Vector2 corners[4];
            for (int i = 0; i < 4; ++i) {
                corners[i] = {static_cast<float>(readInt(bounds, kKeys[2 * i])),
                              static_cast<float>(readInt(bounds, kKeys[2 * i + 1]))};
            }
            system->setBoundsQuad(corners);
        }
    }
    if (staticPosition) setPosition(readPoint(staticPosition));
    if (autostart) start();
    return true;
}

}  // namespace particle
