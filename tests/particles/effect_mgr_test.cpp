#include <gtest/gtest.h>

#include "core/random_tables.h"
#include "particles/effect_mgr.h"
#include "tests/particles/particle_fixture.h"

namespace particletest {
namespace {

using particle::fxParticleEffect2D;
using particle::fxParticleEffectMgr;

struct Calls {
    int stops = 0;
    int completions = 0;
    std::vector<fxParticleEffect2D*> toStop;  // stopped from inside the stop callback
};

void onStop(void* context, fxParticleEffect2D*) {
    Calls* calls = static_cast<Calls*>(context);
    ++calls->stops;
    std::vector<fxParticleEffect2D*> victims;
    victims.swap(calls->toStop);
    for (fxParticleEffect2D* e : victims) e->stop();
}

void onComplete(void* context, fxParticleEffect2D*) { ++static_cast<Calls*>(context)->completions; }

void stopItself(void* context, fxParticleEffect2D* effect) {
    ++static_cast<Calls*>(context)->completions;
    effect->stop();
}

class EffectTest : public ParticleTest {
protected:
    void SetUp() override {
        ParticleTest::SetUp();
        Desc endless;
        endless.emission = 20;
        endless.lifetime = -1;
        writeDescription("endless.xml", endless);
        Desc burst;
        burst.emission = 20;
        burst.lifetime = 0.5f;
        burst.lifeMin = burst.lifeMax = 0.5f;
        writeDescription("burst.xml", burst);
        writeEffect("fire", effectXml({EffectSystem("endless.xml", 5, 6)}));
        writeEffect("pop", effectXml({{"burst.xml"}}));
        writeEffect("pair", effectXml({{"endless.xml"}, {"burst.xml"}}));
    }
};

TEST_F(EffectTest, LoadsEveryKeyOfAnEffectFile) {
    EffectSystem fixed("endless.xml", 1, 2);
    fixed.fixed = true;
    fixed.fixedAt = {300, 400};
    EffectSystem bounded("burst.xml", 10, 20);
    bounded.bounds = {0, 0, 50, 0, 50, 50, 0, 50};
    writeEffect("full", effectXml({fixed, bounded},
                                  "<boolean name=\"autostart\" value=\"true\" />"
                                  "<string name=\"bg\" value=\"back.dds\" />"
                                  "<string name=\"classname\" value=\"fxSingleEffect\" />"
                                  "<object name=\"staticposition\"><float name=\"x\" value=\"70\" />"
                                  "<integer name=\"y\" value=\"80\" /></object>"
                                  "<object name=\"restart\"><float name=\"min\" value=\"1\" />"
                                  "<float name=\"max\" value=\"3\" /></object>"
                                  "<object name=\"managet\"><boolean name=\"drawfrommanager\" value=\"true\" />"
                                  "</object>"));
    fxParticleEffect2D* e = m_manager->getEffect("full", true, false);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(m_manager->getEffectCount(), 1u);
    EXPECT_EQ(e->background(), "back.dds");
    EXPECT_TRUE(e->isRestartable());
    EXPECT_FLOAT_EQ(e->restartMin(), 1);
    EXPECT_FLOAT_EQ(e->restartMax(), 3);
    EXPECT_EQ(e->position().x, 70);
    EXPECT_EQ(e->position().y, 80);
    ASSERT_EQ(e->systems().size(), 2u);
    const auto& first = e->systems()[0];
    const auto& second = e->systems()[1];
    EXPECT_TRUE(first.staticPosition);
    EXPECT_EQ(first.fixedPosition.x, 300);
    EXPECT_EQ(second.offset.y, 20);
    // autostart: both systems run; the fixed one at its own place, the other at position + offset.
    EXPECT_TRUE(first.system->isActive() && second.system->isActive());
    EXPECT_EQ(first.system->basePosition().x, 300);
    EXPECT_EQ(second.system->basePosition().x, 80);
    EXPECT_EQ(second.system->basePosition().y, 100);
    EXPECT_TRUE(second.system->insideQuad(25, 25));
    EXPECT_FALSE(second.system->insideQuad(60, 25));
    EXPECT_EQ(m_manager->getSystemCount(), 2u);
    m_manager->update(0.25f);
    EXPECT_EQ(m_manager->getParticleCount(), 10u);  // 5 + 5
}

TEST_F(EffectTest, StartingTwiceRestartsTheEffectInPlay) {
    fxParticleEffect2D* a = m_manager->startEffect(100, 100, "pop", false, true);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->systems()[0].system->basePosition().x, 100);
    m_manager->update(0.25f);
    fxParticleEffect2D* b = m_manager->startEffect(200, 50, "pop", false, true);
    EXPECT_EQ(a, b);
    EXPECT_EQ(m_manager->getEffectCount(), 1u);
    EXPECT_EQ(b->systems()[0].system->basePosition().x, 200);
    EXPECT_EQ(b->systems()[0].system->age(), 0.0f);
    // A new instance is a second effect.
    fxParticleEffect2D* c = m_manager->startEffect(0, 0, "pop", true, true);
    EXPECT_NE(c, a);
    EXPECT_EQ(m_manager->getEffectCount(), 2u);

    // Once both have played out and been removed, the next start reads the file again.
    for (int i = 0; i < 20 && m_manager->getEffectCount() > 0; ++i) m_manager->update(0.25f);
    EXPECT_EQ(m_manager->getEffectCount(), 0u);
    EXPECT_EQ(m_manager->freeSystemCount(), fxParticleEffectMgr::kPoolSize);
    writeEffect("pop", effectXml({{"burst.xml"}, {"burst.xml"}}));
    fxParticleEffect2D* d = m_manager->startEffect(0, 0, "pop", false, true);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->systems().size(), 2u);
    // Both systems share one description, and so does every other effect that names it.
    EXPECT_EQ(d->systems()[0].system->info().get(), d->systems()[1].system->info().get());
    fxParticleEffect2D* other = m_manager->startEffect(0, 0, "pair", true, true);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->systems()[1].system->info().get(), d->systems()[0].system->info().get());
    EXPECT_EQ(m_registry->count(), 2u);  // burst.xml and endless.xml, each once
}

TEST_F(EffectTest, UnknownNamesAndClassesGiveNothing) {
    EXPECT_EQ(m_manager->startEffect(0, 0, "nosuch", false, true), nullptr);
    EXPECT_EQ(m_manager->getEffect("nosuch", true, false), nullptr);
    EXPECT_EQ(logCount("fxParticleEffectMgr::getEffect : file not found nosuch.effect"), 2);

    writeEffect("other", effectXml({{"endless.xml"}}, "<string name=\"classname\" value=\"fxMultiEffect\" />"));
    EXPECT_EQ(m_manager->getEffect("other", true, false), nullptr);
    writeEffect("badpse", effectXml({{"endless.xml"}, {"nothing.xml"}}));
    EXPECT_EQ(m_manager->getEffect("badpse", true, false), nullptr);
    EXPECT_EQ(logCount("GetParticleSystemInfo(nothing.xml) FAILED."), 1);
    EXPECT_EQ(logCount("error in fxParticleEffect2D::create badpse"), 1);
    testsupport::writeFile(m_dir.path() / "junk.effect", "\x01\x02<<<");
    EXPECT_EQ(m_manager->getEffect("junk", true, false), nullptr);
    EXPECT_EQ(m_manager->getEffectCount(), 0u);
    EXPECT_EQ(m_manager->freeSystemCount(), fxParticleEffectMgr::kPoolSize);
}

TEST_F(EffectTest, ThePoolRunsOutAtTheThreeHundredAndFirstSystem) {
    // A failing load returns what it took: 300 failures later the pool is whole.
    writeEffect("badpse", effectXml({{"endless.xml"}, {"nothing.xml"}}));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(m_manager->getEffect("badpse", true, true), nullptr);
    EXPECT_EQ(m_manager->freeSystemCount(), 300u);

    for (int i = 0; i < 150; ++i) ASSERT_NE(m_manager->startEffect(0, 0, "pair", true, true), nullptr) << i;
    EXPECT_EQ(m_manager->freeSystemCount(), 0u);
    EXPECT_EQ(m_manager->usedSystemCount(), 300u);
    EXPECT_EQ(m_manager->startEffect(0, 0, "fire", true, true), nullptr);
    EXPECT_EQ(logCount("allocMemory FAILED. Out of memory"), 1);
    EXPECT_EQ(logCount("particle::fxParticleEffectMgr::CreateParticleSystem Couldn't allocate memory."), 1);
    EXPECT_EQ(logCount("error in fxParticleEffect2D::create fire"), 1);

    // One system free: an effect of two takes it, fails and gives it back.
    m_manager->effectAt(0)->stop();
    EXPECT_EQ(m_manager->freeSystemCount(), 2u);
    ASSERT_NE(m_manager->startEffect(0, 0, "fire", true, true), nullptr);
    EXPECT_EQ(m_manager->startEffect(0, 0, "pair", true, true), nullptr);
    EXPECT_EQ(m_manager->freeSystemCount(), 1u);

    m_manager->clearEffects();
    EXPECT_EQ(m_manager->getEffectCount(), 0u);
    EXPECT_EQ(m_manager->freeSystemCount(), 300u);
    EXPECT_NE(m_manager->startEffect(0, 0, "pair", true, true), nullptr);
}

TEST_F(EffectTest, WatchdogStopsAnUnmanagedEffectLeftAlone) {
    Calls calls;
    fxParticleEffect2D* kept = m_manager->startEffect(0, 0, "fire", true, false);
    fxParticleEffect2D* left = m_manager->startEffect(0, 0, "fire", true, false);
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(left, nullptr);
    fxParticleEffect2D* holder = left;
    left->setHolder(&holder);
    left->setStopCallback(&calls, &onStop);
    for (int frame = 0; frame < 3; ++frame) {
        kept->updateAndDraw(0.1f);
        m_manager->update(0.1f);
    }
    EXPECT_TRUE(m_manager->isActive(left));
    EXPECT_EQ(left->watchdog(), 3);
    kept->updateAndDraw(0.1f);
    m_manager->update(0.1f);  // the fourth frame without its owner
    EXPECT_EQ(holder, nullptr);
    EXPECT_EQ(calls.stops, 1);
    EXPECT_EQ(m_manager->getEffectCount(), 1u);
    EXPECT_TRUE(m_manager->isActive(kept));
    EXPECT_GT(kept->systems()[0].system->particleCount(), 0u);  // updated by its owner
    // The manager neither updates nor draws unmanaged effects.
    m_device.draws.clear();
    m_manager->draw();
    EXPECT_TRUE(m_device.draws.empty());
}

TEST_F(EffectTest, RemovalMovesTheLastEffectIntoThePlace) {
    fxParticleEffect2D* a = m_manager->startEffect(0, 0, "fire", true, true);
    fxParticleEffect2D* b = m_manager->startEffect(0, 0, "fire", true, true);
    fxParticleEffect2D* c = m_manager->startEffect(0, 0, "fire", true, true);
    a->stop();
    ASSERT_EQ(m_manager->getEffectCount(), 2u);
    EXPECT_EQ(m_manager->effectAt(0), c);
    EXPECT_EQ(m_manager->effectAt(1), b);
    EXPECT_EQ(m_manager->getLastEffect(), b);
    m_manager->removeEffect(a);  // not in the list: nothing changes
    EXPECT_EQ(m_manager->getEffectCount(), 2u);
    m_manager->stopEffectByName("fire");
    EXPECT_EQ(m_manager->getEffectCount(), 1u);
    EXPECT_EQ(m_manager->effectAt(0), b);
    EXPECT_FALSE(particle::safeStop(nullptr));
    EXPECT_TRUE(particle::safeStop(b));
    EXPECT_EQ(m_manager->getLastEffect(), nullptr);
}

TEST_F(EffectTest, RestartWaitsBetweenMinimumAndMaximum) {
    writeEffect("again", effectXml({{"burst.xml"}}, "<object name=\"restart\"><float name=\"min\" value=\"1\" />"
                                                    "<float name=\"max\" value=\"2\" /></object>"));
    fxParticleEffect2D* e = m_manager->startEffect(0, 0, "again", false, true);
    ASSERT_NE(e, nullptr);
    particle::ParticleSystem* s = e->systems()[0].system;
    // Play the burst out: 0.5 s of emission and 0.5 s of life.
    int frames = 0;
    while (s->isActive() && frames < 100) {
        m_manager->update(0.1f);
        ++frames;
    }
    ASSERT_FALSE(s->isActive());
    // The frame that found no active system drew the delay and already counted 0.1 s of it.
    const float delay = e->restartCountdown() + 0.1f;
    EXPECT_FLOAT_EQ(delay, 1.0f + g_randomFloats[g_randomFloatIndex]);
    EXPECT_GE(delay, 1.0f);
    EXPECT_LE(delay, 2.0f);
    float waited = 0.1f;
    while (!s->isActive() && waited < 3.0f) {
        m_manager->update(0.1f);
        waited += 0.1f;
        ASSERT_FALSE(e->isFinished());
    }
    EXPECT_TRUE(s->isActive());
    EXPECT_NEAR(waited, delay, 0.1001f);
    EXPECT_EQ(e->restartCountdown(), -1.0f);
    EXPECT_TRUE(m_manager->isActive(e));
}

TEST_F(EffectTest, HolderAndCallbacksFireExactlyOnce) {
    Calls calls;
    fxParticleEffect2D* e = m_manager->startEffect(0, 0, "fire", true, true);
    fxParticleEffect2D* holder = e;
    e->setHolder(&holder);
    e->setStopCallback(&calls, &onStop);
    e->setCompletionCallback(&calls, &onComplete);
    m_manager->update(0.1f);
    EXPECT_EQ(calls.completions, 0);  // set, not armed
    e->moveBetween({10, 10}, {90, 10});
    e->stop();
    EXPECT_EQ(holder, nullptr);
    EXPECT_EQ(calls.stops, 1);
    EXPECT_EQ(calls.completions, 1);
    m_manager->update(0.1f);
    m_manager->clearEffects();
    EXPECT_EQ(calls.stops, 1);
    EXPECT_EQ(calls.completions, 1);

    // A completion callback that stops its own effect inside the update.
    Calls own;
    fxParticleEffect2D* p = m_manager->startEffect(0, 0, "pop", true, true);
    fxParticleEffect2D* slot = p;
    p->setHolder(&slot);
    p->setStopCallback(&own, &onStop);
    p->setCompletionCallback(&own, &stopItself);
    p->moveBetween({0, 0}, {50, 50});
    for (int i = 0; i < 10; ++i) m_manager->update(0.1f);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(own.completions, 1);
    EXPECT_EQ(own.stops, 1);
    EXPECT_EQ(m_manager->getEffectCount(), 0u);
}

TEST_F(EffectTest, StopCallbacksMayStopOtherEffectsDuringTheWalk) {
    Calls calls;
    fxParticleEffect2D* a = m_manager->startEffect(0, 0, "pop", true, true);
    fxParticleEffect2D* b = m_manager->startEffect(0, 0, "fire", true, true);
    fxParticleEffect2D* c = m_manager->startEffect(0, 0, "fire", true, true);
    fxParticleEffect2D* d = m_manager->startEffect(0, 0, "fire", true, true);
    a->setStopCallback(&calls, &onStop);
    calls.toStop = {d, b};
    // a finishes first; its stop takes b and d with it while the manager walks.
    for (int i = 0; i < 20 && m_manager->isActive(c) && m_manager->getEffectCount() > 1; ++i) m_manager->update(0.1f);
    EXPECT_EQ(calls.stops, 1);
    EXPECT_EQ(m_manager->getEffectCount(), 1u);
    EXPECT_TRUE(m_manager->isActive(c));
    EXPECT_EQ(m_manager->freeSystemCount(), 299u);
}

TEST_F(EffectTest, AnUnloadedDescriptionEndsItsSystems) {
    fxParticleEffect2D* e = m_manager->startEffect(0, 0, "fire", false, true);
    ASSERT_NE(e, nullptr);
    m_manager->update(0.5f);
    EXPECT_GT(m_manager->getParticleCount(), 0u);
    m_registry->unloadAll();
    m_device.draws.clear();
    m_manager->draw();
    EXPECT_TRUE(m_device.draws.empty());
    m_manager->update(0.1f);
    m_manager->update(0.1f);
    EXPECT_EQ(m_manager->getEffectCount(), 0u);
}

TEST_F(EffectTest, MoveBetweenExtendsShortCurvesAndDetachPlaysOut) {
    Desc plain;
    plain.emission = 10;
    plain.lifetime = -1;
    plain.lifeMin = plain.lifeMax = 0.3f;
    plain.absoluteLifetime = 2;
    writeDescription("plain.xml", plain);
    writeEffect("mover", effectXml({{"plain.xml"}}));
    fxParticleEffect2D* e = m_manager->startEffect(0, 0, "mover", true, false);
    ASSERT_NE(e, nullptr);
    e->moveBetween({100, 0}, {300, 40});
    const auto& info = *e->systems()[0].system->info();
    ASSERT_EQ(info.curve(particle::CURVE_EMITTER_CENTER_X).count, 2u);
    EXPECT_EQ(info.curve(particle::CURVE_EMITTER_CENTER_X).points[1].time, 100.0f);
    e->updateAndDraw(1.0f);
    EXPECT_NEAR(e->systems()[0].system->position().x, 200, 1e-3);
    EXPECT_NEAR(e->systems()[0].system->position().y, 20, 1e-3);

    auto* single = static_cast<particle::fxSingleEffect*>(e);
    single->setPath({0, 0}, {10, 10});
    EXPECT_EQ(info.curve(particle::CURVE_EMITTER_CENTER_X).points[1].value, 10.0f);

    e->detach();
    EXPECT_TRUE(e->isManaged());
    for (int i = 0; i < 10 && m_manager->getEffectCount() > 0; ++i) m_manager->update(0.1f);
    EXPECT_EQ(m_manager->getEffectCount(), 0u);
}

}  // namespace
}  // namespace particletest
