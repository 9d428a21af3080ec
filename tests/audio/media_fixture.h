#pragma once
// A media world for tests: sound files served from memory, devices mixed by hand and a clock
// moved by the test. The log goes to a file in a fresh working folder.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "audio/media_center.h"
#include "platform/audio/audio.h"
#include "tests/support/temp_dir.h"

namespace mediatest {

struct World {
    static std::map<std::string, std::string> files;  // lower-cased name -> bytes
    static std::map<std::string, audiere::RefPtr<audiere::AudioDevice>> devices;  // by device name
    static uint64_t now;
    static int finderCalls;
    static bool noDevice;
};

// The tone files every test can use: "a.ogg" 1,000 frames, "b.ogg" one second, "fx.ogg" one
// second, "blip.ogg" 2,000 frames.
const std::string& toneFile(const std::string& name);

class MediaTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void addFile(const std::string& name) { World::files[name] = toneFile(name); }
    // Mixes `frames` on every open device.
    void mix(int frames);
    audiere::AudioDevice* device(const std::string& name) const;
    std::vector<std::string> logLines(const std::string& containing) const;

    testsupport::TempDir m_dir;
};

}  // namespace mediatest
