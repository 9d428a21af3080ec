// Mixing cost: thirty whole effects and one streamed track, per second of output.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/audio/audio.h"
#include "platform/audio/mixer.h"
#include "tests/support/ogg_maker.h"

using namespace audiere;

namespace {

RefPtr<OutputStream> open(AudioDevice* device, const std::string& bytes, bool streaming) {
    RefPtr<File> file = AdrCreateMemoryFile(bytes.data(), static_cast<int>(bytes.size()));
    RefPtr<SampleSource> source = AdrOpenSampleSourceFromFile(file.get(), FF_OGG);
    return AdrOpenSound(device, source.get(), streaming);
}

// Each iteration mixes one second at 44.1 kHz.
void BM_MixThirtyEffectsAndMusic(benchmark::State& state) {
    RefPtr<AudioDevice> device = openManualDevice(44100);
    std::string effect = testaudio::makeTone(660, 22050, 22050, 1);  // resampled while mixed
    std::string music = testaudio::makeStereoPiece(44100);
    std::vector<RefPtr<OutputStream>> sounds;
    for (int i = 0; i < 30; ++i) {
        sounds.push_back(open(device.get(), effect, false));
        sounds.back()->setRepeat(true);
        sounds.back()->setVolume(0.03f);
        sounds.back()->play();
    }
    RefPtr<OutputStream> track = open(device.get(), music, true);
    track->setRepeat(true);
    track->play();
    std::vector<int16_t> out(2 * 1024);
    for (auto _ : state) {
        for (int done = 0; done < 44100; done += 1024) device->mixer().mix(out.data(), std::min(1024, 44100 - done));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel("CPU time per second of audio");
}
BENCHMARK(BM_MixThirtyEffectsAndMusic)->Unit(benchmark::kMillisecond);

// The streamed track alone: Vorbis decoding on demand.
void BM_MixMusicStream(benchmark::State& state) {
    RefPtr<AudioDevice> device = openManualDevice(44100);
    RefPtr<OutputStream> track = open(device.get(), testaudio::makeStereoPiece(44100), true);
    track->setRepeat(true);
    track->play();
    std::vector<int16_t> out(2 * 1024);
    for (auto _ : state) {
        for (int done = 0; done < 44100; done += 1024) device->mixer().mix(out.data(), std::min(1024, 44100 - done));
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_MixMusicStream)->Unit(benchmark::kMillisecond);

}  // namespace
