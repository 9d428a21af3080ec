#include "flash/base/log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Captured {
    std::mutex lock;
    std::vector<std::pair<bool, std::string>> lines;
};
Captured* g_captured = nullptr;

void capture(bool is_error, const char* text) {
    std::lock_guard<std::mutex> guard(g_captured->lock);
    g_captured->lines.emplace_back(is_error, text);
}

class EngineLog : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = flash::get_log_callback();
        g_captured = &m_captured;
        flash::register_log_callback(capture);
    }
    void TearDown() override {
        flash::register_log_callback(m_previous);
        g_captured = nullptr;
    }
    Captured m_captured;
    flash::log_callback m_previous = nullptr;
};

TEST_F(EngineLog, MessagesAndErrorsReachTheCallback) {
    flash::log_msg("Playing %s, swf version %d\n", "menu.swf", 8);
    flash::log_error("error: file opener can't open '%s'\n", "x.swf");
    ASSERT_EQ(m_captured.lines.size(), 2u);
    EXPECT_FALSE(m_captured.lines[0].first);
    EXPECT_EQ(m_captured.lines[0].second, "Playing menu.swf, swf version 8\n");
    EXPECT_TRUE(m_captured.lines[1].first);
    EXPECT_EQ(m_captured.lines[1].second, "error: file opener can't open 'x.swf'\n");
}

TEST_F(EngineLog, LongTextsAreCutAt499Characters) {
    const std::string text(600, 'w');
    flash::log_msg("%s", text.c_str());
    flash::log_error("%s", text.c_str());
    ASSERT_EQ(m_captured.lines.size(), 2u);
    EXPECT_EQ(m_captured.lines[0].second, text.substr(0, 499));
    EXPECT_EQ(m_captured.lines[1].second, text.substr(0, 499));
}

// A %n conversion would write through its argument: without a callback nothing is formatted.
TEST_F(EngineLog, NothingIsFormattedWithoutACallback) {
    flash::register_log_callback(nullptr);
    int written = -1;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
    flash::log_msg("abc%n", &written);
#pragma GCC diagnostic pop
    EXPECT_EQ(written, -1);
    EXPECT_TRUE(m_captured.lines.empty());
    EXPECT_EQ(flash::get_log_callback(), nullptr);
}

TEST_F(EngineLog, ConcurrentLoggingKeepsEveryMessageWhole) {
    constexpr int threads = 4;
    constexpr int per_thread = 500;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t] {
            for (int i = 0; i < per_thread; ++i) {
                if (i % 2) {
                    flash::log_msg("thread %d message %d %s\n", t, i, "payload-payload-payload");
                } else {
                    flash::log_error("error: thread %d message %d\n", t, i);
                }
                if (i == per_thread / 2) flash::set_verbose_parse(t % 2 == 0);
                (void)flash::get_verbose_parse();
            }
        });
    }
    for (auto& w : workers) w.join();
    flash::set_verbose_parse(false);
    ASSERT_EQ(m_captured.lines.size(), static_cast<size_t>(threads * per_thread));
    for (const auto& [is_error, text] : m_captured.lines) {
        int t = -1, i = -1;
        if (is_error) {
            ASSERT_EQ(std::sscanf(text.c_str(), "error: thread %d message %d\n", &t, &i), 2) << text;
            EXPECT_EQ(i % 2, 0);
        } else {
            char tail[64] = {};
            ASSERT_EQ(std::sscanf(text.c_str(), "thread %d message %d %63s", &t, &i, tail), 3) << text;
            EXPECT_STREQ(tail, "payload-payload-payload");
        }
    }
}

TEST(EngineFlags, VerboseFlagsStartFalseAndAreEngineWide) {
    EXPECT_FALSE(flash::get_verbose_action());
    EXPECT_FALSE(flash::get_verbose_parse());
    EXPECT_FALSE(flash::get_verbose_debug());
    flash::set_verbose_action(true);
    EXPECT_TRUE(flash::get_verbose_action());
    EXPECT_FALSE(flash::get_verbose_parse());
    flash::set_verbose_action(false);
    EXPECT_FALSE(flash::get_verbose_action());
}

}  // namespace
