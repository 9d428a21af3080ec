#include "platform/audio/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace audiere {

namespace {
constexpr int kWindowFrames = 4096;
constexpr int kChunkFrames = 1024;
constexpr double kFracScale = 4294967296.0;  // 32-bit fraction of the source position
}  // namespace

class MixerVoice final : public OutputStream {
public:
    MixerVoice(AudioDevice* device, Mixer& mixer, SampleSource* source)
        : m_device(device), m_mixer(mixer), m_source(source) {
        int channels = 0, rate = 0;
        source->getFormat(channels, rate);
        m_channels = channels == 2 ? 2 : 1;
        if (rate <= 0) rate = mixer.sampleRate();
        m_step = (static_cast<uint64_t>(rate) << 32) / static_cast<uint64_t>(mixer.sampleRate());
        if (m_step == 0) m_step = 1;
        m_window.resize(static_cast<size_t>(kWindowFrames) * m_channels);
        m_mixer.add(this);
    }
    ~MixerVoice() override { m_mixer.remove(this); }

    void play() override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        m_playing = true;
    }
    void stop() override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        m_playing = false;
    }
    bool isPlaying() override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        return m_playing;
    }
    void reset() override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        seekLocked(0);
    }
    void setRepeat(bool repeat) override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        m_repeat = repeat;
    }
    bool getRepeat() override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        return m_repeat;
    }
    void setVolume(float volume) override {
        if (!(volume > 0.0f)) volume = 0.0f;  // also NaN
        if (volume > 1.0f) volume = 1.0f;
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        m_volume = volume;
    }
    float getVolume() override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        return m_volume;
    }
    bool isSeekable() override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        return m_source->isSeekable();
    }
    int64_t getLength() override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        return m_source->getLength();
    }
    void setPosition(int64_t position) override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        seekLocked(position);
    }
    int64_t getPosition() override {
        std::lock_guard<std::mutex> hold(m_mixer.m_lock);
        return m_pos;
    }

    bool playingLocked() const { return m_playing; }

    // Adds `frames` stereo frames into acc; stops at the end unless repeating.
    void mixLocked(float* acc, int frames) {
        const float scale = 1.0f / static_cast<float>(kFracScale);
        for (int i = 0; i < frames; ++i) {
            if (!fill(m_pos)) {
                if (!m_repeat) {
                    finish();
                    return;
                }
                seekLocked(0);
                if (!fill(m_pos)) {
                    finish();
                    return;
                }
            }
            float l0, r0;
            if (m_frac == 0) {
                frame(m_pos, l0, r0);
            } else {
                bool next = fill(m_pos + 1);  // may move the window; m_pos stays inside it
                frame(m_pos, l0, r0);
                if (next) {
                    float l1, r1;
                    frame(m_pos + 1, l1, r1);
                    float t = static_cast<float>(m_frac) * scale;
                    l0 += (l1 - l0) * t;
                    r0 += (r1 - r0) * t;
                }
            }
            acc[2 * i] += l0 * m_volume;
            acc[2 * i + 1] += r0 * m_volume;
            uint64_t advance = static_cast<uint64_t>(m_frac) + m_step;
            m_pos += static_cast<int64_t>(advance >> 32);
            m_frac = static_cast<uint32_t>(advance);
        }
    }

private:
    void seekLocked(int64_t position) {
        int64_t length = m_source->getLength();
        if (position < 0) position = 0;
        if (length >= 0 && position > length) position = length;
        m_source->setPosition(position);
        m_pos = position;
        m_frac = 0;
        m_winStart = position;
        m_winLen = 0;
        m_eof = false;
    }

    // A sound that reached its end stays there, stopped: play does not restart it, reset does.
    void finish() {
        m_playing = false;
        int64_t length = m_source->getLength();
        if (length >= 0 && m_pos > length) m_pos = length;
        m_frac = 0;
    }

    // Makes frame `index` (at or after m_pos) present in the window; false past the end.
    bool fill(int64_t index) {
        while (index >= m_winStart + m_winLen) {
            if (m_eof) return false;
            int64_t drop = std::min<int64_t>(m_pos - m_winStart, m_winLen);
            if (drop > 0) {
                std::memmove(m_window.data(), m_window.data() + drop * m_channels,
                             static_cast<size_t>(m_winLen - drop) * m_channels * sizeof(int16_t));
                m_winStart += drop;
                m_winLen -= static_cast<int>(drop);
            }
            int space = kWindowFrames - m_winLen;
            int got = m_source->read(space, m_window.data() + static_cast<size_t>(m_winLen) * m_channels);
            if (got <= 0) {
                m_eof = true;
                return false;
            }
            m_winLen += std::min(got, space);
        }
        return true;
    }

    void frame(int64_t index, float& l, float& r) const {
        const int16_t* p = m_window.data() + (index - m_winStart) * m_channels;
        l = p[0];
        r = m_channels == 2 ? p[1] : p[0];
    }

    RefPtr<AudioDevice> m_device;  // first: released last, after this voice left the mixer
    Mixer& m_mixer;
    RefPtr<SampleSource> m_source;
    int m_channels = 1;
    uint64_t m_step = 0;
    bool m_playing = false;
    bool m_repeat = false;
    float m_volume = 1.0f;
    int64_t m_pos = 0;
    uint32_t m_frac = 0;
    std::vector<int16_t> m_window;
    int64_t m_winStart = 0;
    int m_winLen = 0;
    bool m_eof = false;
};

Mixer::Mixer(int sampleRate) : m_rate(sampleRate > 0 ? sampleRate : 44100) {
    m_accum.resize(2 * kChunkFrames);
}

Mixer::~Mixer() = default;

void Mixer::mix(int16_t* out, int frames) {
    std::lock_guard<std::mutex> hold(m_lock);
    while (frames > 0) {
        int n = std::min(frames, kChunkFrames);
        std::fill(m_accum.begin(), m_accum.begin() + 2 * n, 0.0f);
        for (MixerVoice* voice : m_voices)
            if (voice->playingLocked()) voice->mixLocked(m_accum.data(), n);
        for (int i = 0; i < 2 * n; ++i) {
            float v = std::nearbyint(m_accum[i]);
            out[i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
        }
        out += 2 * n;
        frames -= n;
    }
}

OutputStream* Mixer::openStream(AudioDevice* device, SampleSource* source) {
    if (!source) return nullptr;
    return new MixerVoice(device, *this, source);
}

int Mixer::voiceCount() {
    std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<int>(m_voices.size());
}

int Mixer::playingCount() {
    std::lock_guard<std::mutex> hold(m_lock);
    int n = 0;
    for (MixerVoice* voice : m_voices) n += voice->playingLocked() ? 1 : 0;
    return n;
}

void Mixer::add(MixerVoice* voice) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_voices.push_back(voice);
}

void Mixer::remove(MixerVoice* voice) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_voices.erase(std::remove(m_voices.begin(), m_voices.end(), voice), m_voices.end());
}

namespace {

class BufferSource final : public SampleSource {
public:
    BufferSource(std::vector<int16_t> frames, int channels, int rate)
        : m_frames(std::move(frames)), m_channels(channels == 2 ? 2 : 1), m_rate(rate) {
        m_length = static_cast<int64_t>(m_frames.size()) / m_channels;
    }
    void getFormat(int& channelCount, int& sampleRate) override {
        channelCount = m_channels;
        sampleRate = m_rate;
    }
    int read(int frameCount, int16_t* buffer) override {
        int64_t n = std::min<int64_t>(std::max(frameCount, 0), m_length - m_pos);
        if (n <= 0) return 0;
        std::memcpy(buffer, m_frames.data() + m_pos * m_channels,
                    static_cast<size_t>(n) * m_channels * sizeof(int16_t));
        m_pos += n;
        return static_cast<int>(n);
    }
    void reset() override { m_pos = 0; }
    bool isSeekable() override { return true; }
    int64_t getLength() override { return m_length; }
    void setPosition(int64_t position) override { m_pos = std::clamp<int64_t>(position, 0, m_length); }
    int64_t getPosition() override { return m_pos; }

private:
    std::vector<int16_t> m_frames;
    int m_channels;
    int m_rate;
    int64_t m_length = 0;
    int64_t m_pos = 0;
};

}  // namespace

SampleSource* createBufferSource(std::vector<int16_t> frames, int channelCount, int sampleRate) {
    return new BufferSource(std::move(frames), channelCount, sampleRate);
}

}  // namespace audiere
