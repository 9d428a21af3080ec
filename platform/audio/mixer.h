#pragma once
// The software mixer behind a device: every stream opened on the device is a voice of its mixer.
// A voice reads its source through a small window of frames and is resampled to the mixer's rate
// by linear interpolation (a sound at the mixer's rate is copied sample for sample). Voices are
// summed with their volumes and clipped to 16 bits. One lock guards the voices: the audio thread
// holds it while mixing, the main thread while it plays, stops, seeks or changes a voice.
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio/audio.h"

namespace audiere {

class MixerVoice;

class Mixer {
public:
    explicit Mixer(int sampleRate);
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    int sampleRate() const { return m_rate; }

    // Mixes the next `frames` stereo frames of every playing voice into `out` (overwritten).
    void mix(int16_t* out, int frames);

    // A voice over `source` that keeps `device` (the owner of this mixer) alive while it exists.
    [[nodiscard]] OutputStream* openStream(AudioDevice* device, SampleSource* source);

    int voiceCount();
    int playingCount();

private:
    friend class MixerVoice;
    void add(MixerVoice* voice);
    void remove(MixerVoice* voice);

    int m_rate;
    std::mutex m_lock;
    std::vector<MixerVoice*> m_voices;
    std::vector<float> m_accum;
};

// A sample source over frames held in memory (a sound decoded whole).
SampleSource* createBufferSource(std::vector<int16_t> frames, int channelCount, int sampleRate);

}  // namespace audiere
