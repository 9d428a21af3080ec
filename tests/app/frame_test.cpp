// The frame's pacing, time step, rate window, start-up pictures and fades, on the fixed clock.
// The application runs here without devices: nothing is drawn, the rules are the same.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/application.h"
#include "core/cvar_catalogue.h"
#include "platform/clock.h"
#include "script/script_core.h"
#include "tests/support/temp_dir.h"

namespace {

struct SavedVar {
    CVar* var;
    std::string text;
    explicit SavedVar(CVar* v) : var(v), text(v->toString()) {}
    ~SavedVar() { var->setFromString(text.c_str()); }
};

class Frame : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    SavedVar fps{d_FPSCount}, noLimit{d_NoLimitFPS}, speed{d_UpdateSpeed}, most{d_DTMax};
    Application* app = nullptr;

    void SetUp() override {
        platform::useVirtualClock(1);
        app = new Application();
    }
    void TearDown() override {
        delete app;
        platform::useSystemClock();
    }
    // Moves the clock by ms and runs a frame.
    bool after(unsigned ms) {
        platform::advanceVirtualClockMs(ms);
        return app->frame();
    }
    void passLogos() {
        d_NoLimitFPS->setFromString("true");
        for (int i = 0; i < 1000 && app->logoPhase(); ++i) after(100);
        d_NoLimitFPS->setFromString("false");
        ASSERT_FALSE(app->logoPhase());
    }
};

TEST_F(Frame, PacingAt60SkipsFramesBelowTheIntervalAndKeepsTheTimerRunning) {
    struct Case {
        unsigned ms;
        bool runs;
    };
    // 1000 / 60 = 16.67 ms: a skipped frame does not restart the timer, so its time counts.
    const Case cases[] = {{10, false}, {6, false}, {1, true}, {16, false}, {1, true}, {17, true}, {30, true}};
    for (const Case& c : cases) EXPECT_EQ(after(c.ms), c.runs) << c.ms;
    EXPECT_EQ(app->frameCount(), 4u);
}

TEST_F(Frame, TheStepFollowsTheAverageRateAndStaysWithinTheLargestStep) {
    after(20);  // one sample of 50 per second
    EXPECT_FLOAT_EQ(app->lastStep(), 1.0f / 50);
    // A stall of two seconds: a sample of 0.5, an average of 25, still within 0.1.
    after(2000);
    EXPECT_EQ(app->getAverageFps(), 25);
    EXPECT_FLOAT_EQ(app->lastStep(), 1.0f / 25);
    for (int i = 0; i < 40; ++i) after(2000);
    EXPECT_EQ(app->getAverageFps(), 0);
    EXPECT_FLOAT_EQ(app->lastStep(), 0.1f);
}

TEST_F(Frame, StepRulesTable) {
    struct Case {
        const char* noLimit;
        const char* fps;
        const char* speed;
        const char* most;
        unsigned ms;
        int average;
        float step;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    (void)nan;
    const Case cases[] = {
        {"true", "60", "1", "0.1", 5, 0, 0.005f},      // unpaced: the real time
        {"true", "60", "2", "0.1", 40, 0, 0.08f},      // times the speed
        {"true", "60", "1", "0.1", 2000, 0, 0.1f},     // a stall: the largest step
        {"false", "60", "1", "0.1", 17, 60, 1.0f / 60},
        {"false", "60", "0", "0.1", 17, 60, 0.0f},     // game speed 0: no time passes
        {"false", "60", "-3", "0.1", 17, 60, 0.0f},    // never backwards
        {"false", "60", "1", "0.1", 17, 0, 0.1f},      // no rate yet: the largest step
        {"false", "60", "1000", "0.1", 17, 60, 0.1f},
        {"false", "60", "1", "-1", 17, 60, 0.0f},      // a negative largest step gives 0
    };
    for (const Case& c : cases) {
        d_NoLimitFPS->setFromString(c.noLimit);
        d_FPSCount->setFromString(c.fps);
        d_UpdateSpeed->setFromString(c.speed);
        d_DTMax->setFromString(c.most);
        EXPECT_FLOAT_EQ(Application::stepFor(c.ms, c.average), c.step)
            << c.noLimit << " " << c.speed << " " << c.most << " " << c.ms << " " << c.average;
    }
    d_UpdateSpeed->setFromString("1");
    d_UpdateSpeed->value.f[0] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(Application::stepFor(17, 60), 0.0f);
}

TEST_F(Frame, UnusableTargetRatesRunUnpacedWithOneWarning) {
    for (const char* rate : {"0", "-5"}) {
        d_FPSCount->setFromString(rate);
        EXPECT_TRUE(after(1)) << rate;
        EXPECT_TRUE(after(0)) << rate;
    }
    d_FPSCount->value.f[0] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(after(1));
    EXPECT_TRUE(after(1));
    const std::string log = testsupport::readFile("megalog.log");
    size_t warnings = 0;
    for (size_t at = log.find("is no frame rate"); at != std::string::npos; at = log.find("is no frame rate", at + 1))
        ++warnings;
    EXPECT_EQ(warnings, 1u) << log;
    d_FPSCount->setFromString("60");
    EXPECT_FALSE(after(1));
}

TEST_F(Frame, NoLimitRunsEveryTurn) {
    d_NoLimitFPS->setFromString("true");
    EXPECT_TRUE(after(0));
    EXPECT_TRUE(after(1));
    EXPECT_EQ(app->fpsSamples().front(), 1000.0f);  // 0 ms counts as 1000 per second
}

TEST_F(Frame, TheRateWindowHoldsTheLast30Samples) {
    for (int i = 0; i < 40; ++i) after(20);
    EXPECT_EQ(app->fpsSamples().size(), 30u);
    EXPECT_EQ(app->getAverageFps(), 50);
    for (int i = 0; i < 15; ++i) after(40);  // 15 samples of 25 and 15 of 50
    EXPECT_EQ(app->fpsSamples().size(), 30u);
    EXPECT_EQ(app->getAverageFps(), 37);
}

struct Counter {
    int fired = 0;
    void fire() { ++fired; }
};

TEST_F(Frame, AFadeOutEndsOnceWithItsScriptAndCallback) {
    ASSERT_NO_FATAL_FAILURE(passLogos());
    ASSERT_TRUE(startScriptState());
    Counter counter;
    app->setFadeScript("fade_ends = (fade_ends or 0) + 1");
    app->setFadeCallback(new app_helpers::CallBack<Counter>(&counter, &Counter::fire));
    app->startFadeOut();
    EXPECT_FLOAT_EQ(app->fadeColour()[3], 1.0f);
    // The opacity falls by twice the step a frame.
    std::vector<float> alphas, steps;
    for (int i = 0; i < 30 && app->anyFlag(Application::kFadeOut); ++i) {
        after(20);
        alphas.push_back(app->fadeColour()[3]);
        steps.push_back(app->lastStep());
    }
    ASSERT_GE(alphas.size(), 3u);
    EXPECT_NEAR(alphas[0], 1.0f - 2 * steps[0], 1e-5);
    EXPECT_NEAR(alphas[1], alphas[0] - 2 * steps[1], 1e-5);
    EXPECT_EQ(alphas.back(), 0.0f);
    EXPECT_FALSE(app->anyFlag(Application::kFadeOut));
    EXPECT_EQ(counter.fired, 1);
    for (int i = 0; i < 5; ++i) after(20);
    EXPECT_EQ(counter.fired, 1);
    lua_State* L = currentScriptState();
    lua_getglobal(L, "fade_ends");
    EXPECT_EQ(lua_tointeger(L, -1), 1);
    lua_pop(L, 1);
    closeScriptState();
}

TEST_F(Frame, AFadeInRisesToFullAndDisabledFadesDoNothing) {
    ASSERT_NO_FATAL_FAILURE(passLogos());
    app->startFadeIn();
    EXPECT_EQ(app->fadeColour()[3], 0.0f);
    for (int i = 0; i < 40; ++i) after(20);
    EXPECT_EQ(app->fadeColour()[3], 1.0f);
    EXPECT_FALSE(app->anyFlag(Application::kFadeIn));

    Counter counter;
    app->setFlag(Application::kFadesDisabled, true);
    app->setFadeCallback(new app_helpers::CallBack<Counter>(&counter, &Counter::fire));
    app->startFadeOut();
    EXPECT_FALSE(app->anyFlag(Application::kFadeOut));
    for (int i = 0; i < 40; ++i) after(20);
    EXPECT_EQ(counter.fired, 0);
}

}  // namespace
