// The entry points and the two kinds of device: SDL's default output and the hand-driven mixer.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/audio.h"
#include "platform/audio/memory_file.h"
#include "platform/audio/mixer.h"
#include "platform/audio/vorbis_source.h"
#include "platform/clock.h"
#include "platform/log_sink.h"

namespace audiere {

namespace {

constexpr int kOutputRate = 44100;
constexpr int kOutputBufferFrames = 1024;
constexpr int kDecodeChunkFrames = 4096;
constexpr int64_t kMaxWholeFrames = int64_t(1) << 24;  // about six minutes at 44.1 kHz
constexpr int kBytesPerOutputFrame = 4;  // two 16-bit channels
constexpr int kMsPerSecond = 1000;
// Sound mixed by the clock waits at most this long in the device's queue: the fixed clock runs
// faster than real time, and what does not fit is dropped rather than kept in memory.
constexpr uint32_t kMaxQueuedBytes = kOutputRate * kBytesPerOutputFrame;

DeviceOpener g_opener = nullptr;

class ManualDevice final : public AudioDevice {
public:
    explicit ManualDevice(int rate) : m_mixer(rate) {}
    const char* getName() override { return "manual"; }
    int getSampleRate() override { return m_mixer.sampleRate(); }
    Mixer& mixer() override { return m_mixer; }

private:
    Mixer m_mixer;
};

// SDL's default output, opened once and shared by every device handle: some drivers (the
// dummy and disk ones among them) open only one device, and one mixer keeps one lock.
class SdlOutput {
public:
    SdlOutput() : m_mixer(kOutputRate), m_clockMixed(static_cast<size_t>(kOutputBufferFrames) * 2) {}
    ~SdlOutput() {
        if (m_byClock) platform::setClockTurnHook(nullptr, nullptr);
        if (m_id) SDL_CloseAudioDevice(m_id);  // waits for a running callback
        if (m_initialised) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool open() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            platform::log("ERROR", std::string("audiere::AdrOpenDevice: no audio: ") + SDL_GetError());
            return false;
        }
        m_initialised = true;
        SDL_AudioSpec want{};
        want.freq = kOutputRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = kOutputBufferFrames;
        // In a reproducible run the voices move with the virtual clock, not with the device's
        // thread, so a sound ends at the same turn however loaded the machine is: the clock's
        // turns mix into the device's queue instead of its callback.
        m_byClock = platform::reproducibleThreads();
        want.callback = m_byClock ? nullptr : &SdlOutput::callback;
        want.userdata = &m_mixer;
        SDL_AudioSpec have{};
        // No allowed changes: SDL converts our format to the hardware's when they differ.
        m_id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (m_id == 0) {
            platform::log("ERROR", std::string("audiere::AdrOpenDevice: cannot open the output: ") + SDL_GetError());
            return false;
        }
        SDL_PauseAudioDevice(m_id, 0);
        if (m_byClock) platform::setClockTurnHook(&SdlOutput::mixTurn, this);
        return true;
    }

    Mixer& mixer() { return m_mixer; }
    int handles = 0;

private:
    static void SDLCALL callback(void* userdata, Uint8* stream, int len) {
        int frames = len / 4;
        if (len % 4) std::memset(stream + frames * 4, 0, static_cast<size_t>(len % 4));
        static_cast<Mixer*>(userdata)->mix(reinterpret_cast<int16_t*>(stream), frames);
    }

    // One turn of the virtual clock: its milliseconds of sound, the remainder of a frame carried.
    static void mixTurn(uint64_t ms, void* context) {
        auto* self = static_cast<SdlOutput*>(context);
        const uint64_t units = ms * kOutputRate + self->m_clockRemainder;
        uint64_t frames = units / kMsPerSecond;
        self->m_clockRemainder = units % kMsPerSecond;
        while (frames > 0) {
            const int n = static_cast<int>(std::min<uint64_t>(frames, kOutputBufferFrames));
            self->m_mixer.mix(self->m_clockMixed.data(), n);
            const uint32_t bytes = static_cast<uint32_t>(n * kBytesPerOutputFrame);
            if (SDL_GetQueuedAudioSize(self->m_id) + bytes <= kMaxQueuedBytes &&
                SDL_QueueAudio(self->m_id, self->m_clockMixed.data(), bytes) != 0 && !self->m_queueFailureLogged) {
                self->m_queueFailureLogged = true;
                platform::log("ERROR", std::string("audiere: the output refused the mixed sound: ") + SDL_GetError());
            }
            frames -= static_cast<uint64_t>(n);
        }
    }

    Mixer m_mixer;
    SDL_AudioDeviceID m_id = 0;
    bool m_initialised = false;
    bool m_byClock = false;
    std::vector<int16_t> m_clockMixed;
    uint64_t m_clockRemainder = 0;
    bool m_queueFailureLogged = false;
};

std::mutex g_outputLock;
SdlOutput* g_output = nullptr;

class SdlDevice final : public AudioDevice {
public:
    explicit SdlDevice(SdlOutput* output) : m_output(output) {}
    ~SdlDevice() override {
        std::lock_guard<std::mutex> hold(g_outputLock);
        if (--m_output->handles == 0) {
            delete m_output;
            g_output = nullptr;
        }
    }
    const char* getName() override { return "directsound"; }
    int getSampleRate() override { return m_output->mixer().sampleRate(); }
    Mixer& mixer() override { return m_output->mixer(); }

private:
    SdlOutput* m_output;
};

AudioDevice* openDefaultOutput(const char*, const char*) {
    std::lock_guard<std::mutex> hold(g_outputLock);
    if (!g_output) {
        auto* output = new SdlOutput;
        if (!output->open()) {
            delete output;
            return nullptr;
        }
        g_output = output;
    }
    ++g_output->handles;
    return new SdlDevice(g_output);
}

bool isKnownDevice(const char* name) {
    return !name || !*name || std::strcmp(name, "autodetect") == 0 || std::strcmp(name, "directsound") == 0;
}

OutputStream* openWholeSound(AudioDevice* device, SampleSource* source) {
    RefPtr<SampleSource> keep(source);
    int channels = 0, rate = 0;
    source->getFormat(channels, rate);
    channels = channels == 2 ? 2 : 1;
    int64_t length = source->getLength();
    std::vector<int16_t> pcm;
    if (length > 0) pcm.reserve(static_cast<size_t>(std::min(length, kMaxWholeFrames)) * channels);
    source->reset();
    std::vector<int16_t> chunk(static_cast<size_t>(kDecodeChunkFrames) * channels);
    int64_t frames = 0;
    for (;;) {
        int want = static_cast<int>(std::min<int64_t>(kDecodeChunkFrames, kMaxWholeFrames - frames));
        if (want <= 0) {
            platform::log("ERROR", "audiere::AdrOpenSound: sound too long, cut at " + std::to_string(frames) + " frames");
            break;
        }
        int got = source->read(want, chunk.data());
        if (got <= 0) break;
        got = std::min(got, want);
        pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + static_cast<ptrdiff_t>(got) * channels);
        frames += got;
    }
    return device->mixer().openStream(device, createBufferSource(std::move(pcm), channels, rate));
}

}  // namespace

AudioDevice* AdrOpenDevice(const char* name, const char* parameters) {
    if (!isKnownDevice(name)) {
        platform::log("ERROR", std::string("audiere::AdrOpenDevice: unknown device ") + name);
        return nullptr;
    }
    DeviceOpener opener = g_opener ? g_opener : &openDefaultOutput;
    return opener(name ? name : "", parameters ? parameters : "");
}

File* AdrCreateMemoryFile(const void* buffer, int size) {
    if (size < 0 || (!buffer && size > 0)) return nullptr;
    return new MemoryFile(buffer, static_cast<size_t>(size));
}

SampleSource* AdrOpenSampleSourceFromFile(File* file, FileFormat format) {
    if (!file) return nullptr;
    if (format != FF_OGG) {
        RefPtr<File> drop(file);
        platform::log("ERROR", "audiere::AdrOpenSampleSourceFromFile: unsupported format " + std::to_string(format));
        return nullptr;
    }
    file->seek(0, BEGIN);
    return openVorbisSource(file);
}

OutputStream* AdrOpenSound(AudioDevice* device, SampleSource* source, bool streaming) {
    if (!device || !source) {
        RefPtr<SampleSource> drop(source);
        return nullptr;
    }
    if (streaming) return device->mixer().openStream(device, source);
    return openWholeSound(device, source);
}

AudioDevice* openManualDevice(int sampleRate) { return new ManualDevice(sampleRate); }

void setDeviceOpener(DeviceOpener opener) { g_opener = opener; }

}  // namespace audiere
