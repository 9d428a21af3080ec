#include "platform/audio/mixer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "tests/support/environment.h"
#include "tests/support/ogg_maker.h"

using namespace audiere;

namespace {

RefPtr<OutputStream> soundFrom(AudioDevice* device, const std::string& bytes, bool streaming) {
    RefPtr<File> file = AdrCreateMemoryFile(bytes.data(), static_cast<int>(bytes.size()));
    RefPtr<SampleSource> source = AdrOpenSampleSourceFromFile(file.get(), FF_OGG);
    return AdrOpenSound(device, source.get(), streaming);
}

struct Level {
    double peak = 0, rms = 0;
};

// Level of one channel over frames [from, to).
Level levelOf(const std::vector<int16_t>& stereo, size_t from, size_t to, int channel) {
    Level l;
    double sum = 0;
    for (size_t i = from; i < to; ++i) {
        double s = stereo[2 * i + channel];
        l.peak = std::max(l.peak, std::fabs(s));
        sum += s * s;
    }
    l.rms = std::sqrt(sum / static_cast<double>(to - from));
    return l;
}

int zeroCrossings(const std::vector<int16_t>& stereo, size_t from, size_t to) {
    int n = 0;
    for (size_t i = from + 1; i < to; ++i)
        if ((stereo[2 * (i - 1)] < 0) != (stereo[2 * i] < 0)) ++n;
    return n;
}

TEST(Mixer, ToneAtHalfVolumeHasExpectedPeakAndRms) {
    RefPtr<AudioDevice> device = openManualDevice(44100);
    RefPtr<OutputStream> sound = soundFrom(device.get(), testaudio::makeTone(440, 44100, 44100, 1, 0.8f), false);
    ASSERT_TRUE(sound);
    sound->setVolume(0.5f);
    sound->play();
    std::vector<int16_t> out(2 * 50000);
    device->mixer().mix(out.data(), 50000);
    const double amplitude = 0.8 * 0.5 * 32767;
    for (int channel : {0, 1}) {
        Level l = levelOf(out, 2000, 42000, channel);
        EXPECT_NEAR(l.peak, amplitude, amplitude * 0.03);
        EXPECT_NEAR(l.rms, amplitude / std::sqrt(2.0), amplitude * 0.02);
    }
    EXPECT_NEAR(zeroCrossings(out, 0, 44100), 880, 4);
    // A one-shot stops at its end: silence after it.
    EXPECT_FALSE(sound->isPlaying());
    EXPECT_EQ(levelOf(out, 44100, 50000, 0).peak, 0);
    EXPECT_EQ(device->mixer().playingCount(), 0);
}

TEST(Mixer, ResamplesToTheDeviceRateKeepingTheEnd) {
    // A 22,050 Hz tone of one second fills one second at 44,100 Hz, its last frames included.
    struct Case {
        int rate;
        bool streaming;
    } cases[] = {{22050, false}, {22050, true}, {48000, true}, {32000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        RefPtr<AudioDevice> device = openManualDevice(44100);
        RefPtr<OutputStream> sound = soundFrom(device.get(), testaudio::makeTone(440, c.rate, c.rate), c.streaming);
        ASSERT_TRUE(sound);
        sound->play();
        std::vector<int16_t> out(2 * 46000);
        device->mixer().mix(out.data(), 46000);
        EXPECT_FALSE(sound->isPlaying());
        size_t last = 0;
        for (size_t i = 0; i < 46000; ++i)
            if (out[2 * i] != 0) last = i;
        EXPECT_NEAR(static_cast<double>(last), 44100.0, 3.0);
        EXPECT_GT(levelOf(out, 43100, 44090, 0).rms, 0.8 * 32767 * 0.6);  // the last ~1,000 frames sound
        EXPECT_NEAR(zeroCrossings(out, 0, 44100), 880, 6);                 // pitch kept
    }
}

TEST(Mixer, SumsVoicesAndClips) {
    RefPtr<AudioDevice> device = openManualDevice(44100);
    std::string ogg = testaudio::makeTone(440, 8000, 44100, 2, 0.8f);
    std::vector<RefPtr<OutputStream>> sounds;
    for (int i = 0; i < 30; ++i) {
        sounds.push_back(soundFrom(device.get(), ogg, false));
        sounds.back()->play();
    }
    EXPECT_EQ(device->mixer().playingCount(), 30);
    std::vector<int16_t> out(2 * 4000);
    device->mixer().mix(out.data(), 4000);
    Level l = levelOf(out, 0, 4000, 1);
    EXPECT_EQ(l.peak, 32768);  // thirty in phase: clipped, never wrapped
    for (int16_t s : out) ASSERT_GE(s, -32768);
    sounds.clear();
    EXPECT_EQ(device->mixer().voiceCount(), 0);
}

// The real device path writes byte-exactly what the mixer makes when driven by hand.
TEST(Mixer, DiskDriverOutputMatchesHandMixing) {
    std::filesystem::path file = std::filesystem::temp_directory_path() /
                                 ("tov_audio_disk_" + std::to_string(testsupport::processId()) + ".raw");
    std::string ogg = testaudio::makeStereoPiece();
    {
        RefPtr<AudioDevice> device;
        {
            testsupport::ScopedEnv driver("SDL_AUDIODRIVER", "disk");
            testsupport::ScopedEnv output("SDL_DISKAUDIOFILE", file.string());
            testsupport::ScopedEnv delay("SDL_DISKAUDIODELAY", "0");
            device = AdrOpenDevice("directsound", "");
        }
        ASSERT_TRUE(device);
        RefPtr<OutputStream> sound = soundFrom(device.get(), ogg, true);
        sound->play();
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (sound->isPlaying() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_FALSE(sound->isPlaying());
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(file);
    std::vector<int16_t> disk(bytes.size() / 2);
    std::memcpy(disk.data(), bytes.data(), disk.size() * 2);

    RefPtr<AudioDevice> manual = openManualDevice(44100);
    RefPtr<OutputStream> sound = soundFrom(manual.get(), ogg, false);
    sound->play();
    std::vector<int16_t> hand(2 * 88200);
    manual->mixer().mix(hand.data(), 88200);

    auto firstSound = [](const std::vector<int16_t>& v) {
        size_t i = 0;
        while (i < v.size() && v[i] == 0) ++i;
        return i & ~size_t(1);
    };
    size_t d = firstSound(disk), h = firstSound(hand);
    ASSERT_LT(h, hand.size());
    size_t n = hand.size() - h;
    ASSERT_GE(disk.size() - d, n);
    EXPECT_TRUE(std::equal(hand.begin() + h, hand.end(), disk.begin() + d));
}

}  // namespace
