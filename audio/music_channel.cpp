#include "audio/music_channel.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "audio/sound_files.h"
#include "core/log_stream.h"

namespace MediaSystem {

namespace {
// Shared by every track and channel: fade steps are at least this far apart.
uint64_t s_lastFadeStep = 0;
constexpr uint64_t kFadeStepMs = 250;
constexpr float kFadeStep = 0.02f;
constexpr float kMusicShare = 0.6f;  // music plays at 60 % of the effect scale
}  // namespace

MusicChannel::MusicChannel(float volume) : m_volume(volume) {}

MusicChannel::~MusicChannel() {
    if (m_stream) m_stream->stop();
    m_stream = nullptr;
    m_device = nullptr;
}

size_t MusicChannel::setPlaylist(const std::vector<std::string>& names) {
    std::vector<std::string> kept(names.begin(), names.begin() + static_cast<ptrdiff_t>(std::min(names.size(), kMaxTracks)));
    for (size_t i = kMaxTracks; i < names.size(); ++i)
        Tov::LogLine("ERROR") << "MediaSystem::MusicChannel::setPlaylist" << ": too many tracks, left out " << names[i];
    if (kept == m_playlist) return m_playlist.size();
    if (m_stream) m_stream->stop();  // stays open
    m_playlist = std::move(kept);
    m_orderPos = 0;
    m_current = 0;
    return m_playlist.size();
}

int MusicChannel::addTrack(const std::string& name) {
    if (m_playlist.size() >= kMaxTracks) {
        Tov::LogLine("ERROR") << "MediaSystem::MusicChannel::addTrack" << ": too many tracks, left out " << name;
        return -1;
    }
    m_playlist.push_back(name);
    return static_cast<int>(m_playlist.size() - 1);
}

void MusicChannel::setOrder(const std::vector<int32_t>& indices) {
    m_order = indices;
    m_sequential = false;
}

bool MusicChannel::openTrack(int index) {
    if (!m_enabled || index < 0 || static_cast<size_t>(index) >= m_playlist.size()) return false;
    if (!m_device) {
        m_device = audiere::AdrOpenDevice("", "");
        if (!m_device) {
            if (!m_deviceFailureLogged) Tov::LogLine("ERROR") << "Can't open BGMDevice!";
            m_deviceFailureLogged = true;
            return false;
        }
        m_deviceFailureLogged = false;
    }
    m_current = static_cast<uint8_t>(index);
    const std::string& name = m_playlist[static_cast<size_t>(index)];
    VFS::FilePtr file = findSoundFile(name);
    if (m_stream) m_stream->stop();
    m_stream = openSound(m_device.get(), file.get(), true);
    if (!m_stream) {
        if (m_unopenedLogged.insert(name).second) Tov::LogLine("ERROR") << "not found music file " << name;
        return false;
    }
    m_unopenedLogged.clear();
    applyVolume();
    m_stream->play();
    m_state = ChannelState::Playing;
    return true;
}

void MusicChannel::setVolume(float volume) {
    m_volume = volume;
    applyVolume();
}

void MusicChannel::applyVolume() {
    float v = std::clamp(m_volume * m_fade * kMusicShare, 0.0f, 100.0f);
    if (std::isnan(v)) v = 0.0f;
    if (m_stream) m_stream->setVolume(v * 0.01f);
}

void MusicChannel::playStream() {
    applyVolume();
    if (m_stream) m_stream->play();
    m_state = ChannelState::Playing;
}

void MusicChannel::stop() {
    if (!m_stream) return;
    m_stream->stop();
    m_stream->reset();
    m_state = ChannelState::Stopped;
    m_pausedByFocus = false;
    m_current = kNoTrack;
}

void MusicChannel::resume() {
    m_enabled = true;
    playStream();
}

void MusicChannel::pause(bool pause) {
    if (pause) {
        if (!m_stream) return;
        m_stream->stop();
        m_state = ChannelState::Stopped;
        m_pausedByFocus = false;
    } else if (m_enabled) {
        playStream();
    }
}

void MusicChannel::setEnabled(bool on) {
    if (on) {
        resume();
        return;
    }
    stop();
    m_enabled = false;
}

void MusicChannel::update(bool active) {
    // Focus: the window going to the background stops the music; only that stop is undone.
    if (m_state != ChannelState::Stopped && !active) {
        if (m_stream) m_stream->stop();
        if (m_state == ChannelState::Playing) m_state = ChannelState::Stopped;
        m_pausedByFocus = true;
        return;
    }
    if (m_state == ChannelState::Stopped && active) {
        if (m_pausedByFocus && m_enabled) playStream();
        m_pausedByFocus = false;
    }
    if (m_state != ChannelState::Playing) return;

    const int64_t length = m_stream ? m_stream->getLength() : 0;
    const int64_t position = m_stream ? m_stream->getPosition() : 0;
    const int64_t fadePoint = length * 9 / 10;
    const int64_t tenth = length / 10;
    const bool nearEnd = m_stream && length != 0 && position >= fadePoint;
    const bool playing = m_stream && m_stream->isPlaying();

    if (playing && m_playCount == 0 && !nearEnd && std::fabs(m_fade - 1.0f) > FLT_EPSILON) {
        uint64_t now = clockMs();
        if (now - s_lastFadeStep > kFadeStepMs) {
            s_lastFadeStep = now;
            m_fade += kFadeStep;
            if (m_fade <= 1.0f)
                applyVolume();
            else
                m_fade = 1.0f;
        }
    }

    if (playing && m_playCount == kRepeats && nearEnd) {
        // A track too short to have a tenth just ends.
        float f = tenth > 0 ? 1.0f - static_cast<float>(position - fadePoint) / static_cast<float>(tenth) : 0.0f;
        if (f >= kFadeStep) {
            m_fade = f;
            applyVolume();
        } else {
            m_stream->stop();
        }
    }

    if (m_stream && m_stream->isPlaying()) return;
    const bool hadStream = static_cast<bool>(m_stream);
    uint8_t before = m_playCount++;
    if (before < kRepeats && openTrack(m_current)) return;
    nextTrack(hadStream);
}

void MusicChannel::nextTrack(bool hadStream) {
    // An empty order list plays in sequence.
    const bool sequential = m_sequential || m_order.empty();
    const size_t positions = sequential ? m_playlist.size() : m_order.size();
    const size_t start = sequential ? m_current : m_orderPos;
    // Each position is tried at most once, whatever the current index or the order list hold.
    for (size_t attempt = 0; attempt < positions; ++attempt) {
        if (attempt > 0 || hadStream) {
            if (sequential) {
                size_t next = static_cast<size_t>(m_current) + 1;
                m_current = static_cast<uint8_t>(next >= m_playlist.size() ? 0 : next);
            } else {
                size_t next = static_cast<size_t>(m_orderPos) + 1;
                m_orderPos = static_cast<uint8_t>(next >= m_order.size() ? 0 : next);
                m_current = static_cast<uint8_t>(m_order[m_orderPos] & 0xFF);
            }
        }
        m_playCount = 0;
        if (openTrack(m_current)) break;
        if (!hadStream && attempt == 0) break;  // without a stream only the current track is tried
        if ((sequential ? m_current : m_orderPos) == start) break;
    }
    // When nothing opened the channel stays playing without a stream: the next update tries the
    // current track again, so a file that comes back (or a device that appears) is played.
    m_fade = 0.0f;
    m_playCount = 0;
    applyVolume();
}

}  // namespace MediaSystem
