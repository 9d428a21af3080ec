#include "platform/audio/audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/clock.h"
#include "tests/support/environment.h"
#include "tests/support/ogg_maker.h"

using namespace audiere;

namespace {

RefPtr<SampleSource> sourceFrom(const std::string& bytes) {
    RefPtr<File> file = AdrCreateMemoryFile(bytes.data(), static_cast<int>(bytes.size()));
    return AdrOpenSampleSourceFromFile(file.get(), FF_OGG);
}

RefPtr<OutputStream> soundFrom(AudioDevice* device, const std::string& bytes, bool streaming) {
    return AdrOpenSound(device, sourceFrom(bytes).get(), streaming);
}

std::vector<int16_t> mix(AudioDevice* device, int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    device->mixer().mix(out.data(), frames);
    return out;
}

TEST(AudioDevice, BothNamesOpenUnderTheDummyDriver) {
    testsupport::useHeadlessDrivers();
    testsupport::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    for (const char* name : {"", "directsound"}) {
        RefPtr<AudioDevice> device = AdrOpenDevice(name, "");
        ASSERT_TRUE(device) << name;
        EXPECT_EQ(device->getSampleRate(), 44100);
    }
    RefPtr<AudioDevice> a = AdrOpenDevice("", "");
    RefPtr<AudioDevice> b = AdrOpenDevice("directsound", "");
    EXPECT_TRUE(a && b);  // two open at once
}

TEST(AudioDevice, FailuresGiveNull) {
    testsupport::useHeadlessDrivers();
    {
        testsupport::ScopedEnv driver("SDL_AUDIODRIVER", "no_such_driver");
        EXPECT_FALSE(RefPtr<AudioDevice>(AdrOpenDevice("", "")));
    }
    EXPECT_FALSE(RefPtr<AudioDevice>(AdrOpenDevice("winmm", "")));
    setDeviceOpener([](const char*, const char*) -> AudioDevice* { return nullptr; });
    EXPECT_FALSE(RefPtr<AudioDevice>(AdrOpenDevice("directsound", "")));
    setDeviceOpener(nullptr);
    testsupport::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    EXPECT_TRUE(RefPtr<AudioDevice>(AdrOpenDevice("directsound", "")));
}

// In a reproducible run the output's voices move by the virtual clock's turns alone, so a sound
// ends at the same turn however fast the device's thread runs: 44.1 frames a millisecond, the
// remainder carried from turn to turn.
TEST(AudioDevice, InAReproducibleRunTheClockMovesTheSounds) {
    testsupport::useHeadlessDrivers();
    testsupport::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    platform::useVirtualClock(10);
    platform::useReproducibleThreads(true);
    {
        RefPtr<AudioDevice> device = AdrOpenDevice("", "");
        ASSERT_TRUE(device);
        RefPtr<OutputStream> sound = soundFrom(device.get(), testaudio::makeTone(440, 100000), false);
        ASSERT_TRUE(sound);
        sound->play();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the device's thread gets no say
        EXPECT_EQ(sound->getPosition(), 0);
        for (int turn = 0; turn < 3; ++turn) platform::advanceVirtualClock();
        EXPECT_EQ(sound->getPosition(), 1323);  // 30 ms
        platform::advanceVirtualClockMs(1);
        platform::advanceVirtualClockMs(1);
        EXPECT_EQ(sound->getPosition(), 1411);  // 32 ms: 1411.2 frames, the fifth carried
        platform::advanceVirtualClockMs(3000);
        EXPECT_FALSE(sound->isPlaying());
        EXPECT_EQ(sound->getPosition(), 100000);
    }
    platform::useReproducibleThreads(false);
    platform::useSystemClock();
}

TEST(SampleSource, ReportsExactLengthAndFormat) {
    struct Case {
        int frames, rate, channels;
    } cases[] = {{12345, 44100, 1}, {1, 44100, 1}, {22050, 22050, 2}, {7000, 48000, 2}};
    for (const Case& c : cases) {
        RefPtr<SampleSource> source = sourceFrom(testaudio::makeTone(440, c.frames, c.rate, c.channels));
        ASSERT_TRUE(source) << c.frames;
        int channels = 0, rate = 0;
        source->getFormat(channels, rate);
        EXPECT_EQ(channels, c.channels);
        EXPECT_EQ(rate, c.rate);
        EXPECT_EQ(source->getLength(), c.frames);
        // Decoding yields exactly that many frames.
        std::vector<int16_t> buffer(4096 * 2);
        int64_t total = 0;
        for (int n; (n = source->read(4096, buffer.data())) > 0;) total += n;
        EXPECT_EQ(total, c.frames);
        source->setPosition(c.frames / 2);
        EXPECT_EQ(source->getPosition(), c.frames / 2);
        total = 0;
        for (int n; (n = source->read(4096, buffer.data())) > 0;) total += n;
        EXPECT_EQ(total, c.frames - c.frames / 2);
    }
}

TEST(SampleSource, CorruptOrForeignDataGivesNull) {
    std::string ogg = testaudio::makeTone(440, 4410);
    std::string damagedHeader = ogg;
    for (size_t i = 40; i < 200 && i < damagedHeader.size(); ++i) damagedHeader[i] = static_cast<char>(i * 7);
    std::vector<std::string> bad = {
        "", "RIFF....WAVEfmt ", std::string(1000, '\0'), "OggS", ogg.substr(0, 60), damagedHeader,
    };
    for (const std::string& bytes : bad) EXPECT_FALSE(sourceFrom(bytes)) << bytes.size();
    EXPECT_FALSE(RefPtr<File>(AdrCreateMemoryFile(nullptr, 10)));
    RefPtr<File> file = AdrCreateMemoryFile(ogg.data(), static_cast<int>(ogg.size()));
    EXPECT_FALSE(RefPtr<SampleSource>(AdrOpenSampleSourceFromFile(file.get(), FileFormat(1))));
    EXPECT_FALSE(RefPtr<OutputStream>(AdrOpenSound(nullptr, nullptr, true)));
}

TEST(SampleSource, DamagedBodyDecodesWithoutCrashing) {
    std::string ogg = testaudio::makeTone(440, 44100);
    for (size_t cut : {ogg.size() / 2, ogg.size() - 10}) {
        std::string damaged = ogg.substr(0, cut);
        for (size_t i = damaged.size() / 3; i < damaged.size(); i += 97) damaged[i] ^= 0x5a;
        RefPtr<SampleSource> source = sourceFrom(damaged);
        if (!source) continue;  // refusing it is fine too
        std::vector<int16_t> buffer(4096);
        int64_t total = 0;
        for (int n; (n = source->read(4096, buffer.data())) > 0;) total += n;
        EXPECT_LE(total, 44100);
    }
}

TEST(MemoryFile, OwnsItsBytes) {
    std::string ogg = testaudio::makeTone(440, 5000);
    std::vector<char> buffer(ogg.begin(), ogg.end());
    RefPtr<File> file = AdrCreateMemoryFile(buffer.data(), static_cast<int>(buffer.size()));
    std::fill(buffer.begin(), buffer.end(), 0);
    buffer.clear();
    buffer.shrink_to_fit();
    RefPtr<SampleSource> source = AdrOpenSampleSourceFromFile(file.get(), FF_OGG);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->getLength(), 5000);
}

TEST(MemoryFile, SeeksStayInsideTheBytes) {
    const char bytes[10] = {};
    RefPtr<File> file = AdrCreateMemoryFile(bytes, sizeof bytes);
    struct Case {
        int64_t from;  // position before the seek
        int64_t offset;
        SeekMode mode;
        bool ok;
        int64_t after;
    };
    const Case cases[] = {
        {0, 4, BEGIN, true, 4},          {4, 3, CURRENT, true, 7},       {7, -2, END, true, 8},
        {8, 10, BEGIN, true, 10},        {10, 1, CURRENT, false, 10},    {10, -11, END, false, 10},
        {10, INT64_MAX, CURRENT, false, 10}, {10, INT64_MIN, END, false, 10}, {10, -1, BEGIN, false, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        ASSERT_EQ(file->tell(), c.from);
        EXPECT_EQ(file->seek(c.offset, c.mode), c.ok);
        EXPECT_EQ(file->tell(), c.after);
    }
}

TEST(OutputStream, PlayStopResetRepeatVolume) {
    RefPtr<AudioDevice> device = openManualDevice(44100);
    for (bool streaming : {false, true}) {
        SCOPED_TRACE(streaming ? "streamed" : "whole");
        RefPtr<OutputStream> sound = soundFrom(device.get(), testaudio::makeTone(440, 10000), streaming);
        ASSERT_TRUE(sound);
        EXPECT_EQ(sound->getLength(), 10000);
        EXPECT_FALSE(sound->isPlaying());
        mix(device.get(), 100);
        EXPECT_EQ(sound->getPosition(), 0);  // nothing moves before play

        sound->play();
        EXPECT_TRUE(sound->isPlaying());
        mix(device.get(), 3000);
        EXPECT_EQ(sound->getPosition(), 3000);

        sound->stop();
        EXPECT_FALSE(sound->isPlaying());
        std::vector<int16_t> quiet = mix(device.get(), 500);
        EXPECT_EQ(sound->getPosition(), 3000);  // stop keeps the position
        for (int16_t s : quiet) ASSERT_EQ(s, 0);

        sound->play();
        mix(device.get(), 1000);
        EXPECT_EQ(sound->getPosition(), 4000);  // and play goes on from it

        sound->reset();
        EXPECT_EQ(sound->getPosition(), 0);
        EXPECT_TRUE(sound->isPlaying());  // reset does not stop

        // A one-shot stops at its end and stays there; the rest of the buffer is silent.
        std::vector<int16_t> out = mix(device.get(), 12000);
        EXPECT_FALSE(sound->isPlaying());
        EXPECT_EQ(sound->getPosition(), 10000);
        for (size_t i = 2 * 10000; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
        sound->play();
        for (int16_t s : mix(device.get(), 500)) ASSERT_EQ(s, 0);
        EXPECT_FALSE(sound->isPlaying());
        sound->reset();

        // Repeating wraps round without a stop.
        sound->setRepeat(true);
        EXPECT_TRUE(sound->getRepeat());
        sound->play();
        mix(device.get(), 25000);
        EXPECT_TRUE(sound->isPlaying());
        EXPECT_EQ(sound->getPosition(), 5000);

        // Volume is clamped to 0..1 and 0 is silent.
        sound->setVolume(2.0f);
        EXPECT_FLOAT_EQ(sound->getVolume(), 1.0f);
        sound->setVolume(-1.0f);
        EXPECT_FLOAT_EQ(sound->getVolume(), 0.0f);
        for (int16_t s : mix(device.get(), 1000)) ASSERT_EQ(s, 0);
        sound->stop();
    }
}

TEST(OutputStream, StreamedAndWholeSoundsMixIdentically) {
    std::string ogg = testaudio::makeStereoPiece();
    std::vector<int16_t> outputs[2];
    for (bool streaming : {false, true}) {
        RefPtr<AudioDevice> device = openManualDevice(44100);
        RefPtr<OutputStream> sound = soundFrom(device.get(), ogg, streaming);
        ASSERT_TRUE(sound);
        sound->play();
        outputs[streaming] = mix(device.get(), 90000);
        EXPECT_FALSE(sound->isPlaying());
    }
    EXPECT_EQ(outputs[0], outputs[1]);
}

TEST(OutputStream, OutlivesItsDeviceReference) {
    RefPtr<OutputStream> sound;
    {
        RefPtr<AudioDevice> device = openManualDevice(44100);
        sound = soundFrom(device.get(), testaudio::makeTone(440, 1000), true);
    }
    ASSERT_TRUE(sound);
    sound->play();
    EXPECT_EQ(sound->getLength(), 1000);
}

}  // namespace
