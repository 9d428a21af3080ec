#pragma once
// The music channel: streams one Ogg Vorbis track at a time from a playlist, fading in at the
// start of a track and out over the last tenth of its last play.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "audio/channel_state.h"
#include "platform/audio/audio.h"

namespace MediaSystem {

class MusicChannel {
public:
    static constexpr uint8_t kNoTrack = 255;
    static constexpr size_t kMaxTracks = 255;  // indices are one byte, 255 meaning none
    static constexpr uint8_t kRepeats = 232;   // plays of a track after its first

    explicit MusicChannel(float volume);
    ~MusicChannel();
    MusicChannel(const MusicChannel&) = delete;
    MusicChannel& operator=(const MusicChannel&) = delete;

    // Returns the number of tracks kept.
    size_t setPlaylist(const std::vector<std::string>& names);
    void setOrder(const std::vector<int32_t>& indices);
    // Appends a track to the playlist (the playing one goes on); its index, or -1 when the list
    // is full.
    int addTrack(const std::string& name);
    // A failure is logged once: a missing track until some track opens, the device until it opens.
    bool openTrack(int index);
    void setVolume(float volume);
    void update(bool active);

    void stop();                // stop, rewind, no current track
    void resume();              // enable, apply the volume, play
    void pause(bool pause);
    void setEnabled(bool on);

    const std::vector<std::string>& playlist() const { return m_playlist; }
    float volume() const { return m_volume; }
    uint8_t current() const { return m_current; }
    bool isEnabled() const { return m_enabled; }
    ChannelState state() const { return m_state; }
    uint8_t playCount() const { return m_playCount; }
    float fade() const { return m_fade; }
    audiere::OutputStream* stream() const { return m_stream.get(); }

private:
    void applyVolume();
    void playStream();
    // hadStream: a track was open when this update began; without one only the current track is
    // tried.
    void nextTrack(bool hadStream);

    std::vector<std::string> m_playlist;
    bool m_sequential = true;
    std::vector<int32_t> m_order;
    uint8_t m_orderPos = 0;
    bool m_enabled = true;
    float m_volume;
    audiere::RefPtr<audiere::AudioDevice> m_device;
    audiere::RefPtr<audiere::OutputStream> m_stream;
    ChannelState m_state = ChannelState::NeverStarted;
    bool m_pausedByFocus = false;
    uint8_t m_current = 0;
    uint8_t m_playCount = 0;
    float m_fade = 1.0f;
    // Failures already logged, so the retry of every update does not log them again.
    std::set<std::string> m_unopenedLogged;
    bool m_deviceFailureLogged = false;
};

}  // namespace MediaSystem
