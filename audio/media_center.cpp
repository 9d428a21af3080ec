#include "audio/media_center.h"

#include "audio/sound_files.h"
#include "core/log_stream.h"
#include "core/string_utils.h"

namespace MediaSystem {

MediaCenter::MediaCenter(float, float musicVolume)
    : m_music(std::make_unique<MusicChannel>(musicVolume)), m_sndfx(std::make_unique<SndfxSystem>()) {}

MediaCenter::~MediaCenter() {
    m_music.reset();
    m_sndfx.reset();
}

void MediaCenter::update(float, bool active) {
    m_music->update(active);
    if (m_sndfx) m_sndfx->update(active);
}

size_t MediaCenter::setPlaylist(const std::vector<std::string>& names) { return m_music->setPlaylist(names); }

bool MediaCenter::playMusicTrack(int index, bool force) {
    if (index == m_music->current() && !force) return true;
    return m_music->openTrack(index);
}

namespace {
// The part after the last folder separator.
std::string_view fileNameOf(std::string_view path) {
    const size_t at = path.find_last_of("\\/");
    return at == std::string_view::npos ? path : path.substr(at + 1);
}
}  // namespace

bool MediaCenter::playMusic(const std::string& name, bool force) {
    std::string wanted, entry;
    toLower(name, wanted);
    const std::vector<std::string>& list = m_music->playlist();
    // The media list keeps the tracks' paths: a bare name finds its track by file name too.
    for (size_t i = 0; i < list.size(); ++i)
        if (toLower(list[i], entry) == wanted || fileNameOf(entry) == fileNameOf(wanted))
            return playMusicTrack(static_cast<int>(i), force);
    // A track the playlist does not name joins it, when there is such a file; otherwise the
    // playing one goes on.
    if (name.empty() || !findSoundFile(name)) {
        if (!name.empty()) Tov::LogLine("ERROR") << "not found music file " << name;
        return false;
    }
    const int index = m_music->addTrack(name);
    return index >= 0 && playMusicTrack(index, force);
}

void MediaCenter::stopMusic() { m_music->stop(); }
void MediaCenter::resumeMusic() { m_music->resume(); }
void MediaCenter::pauseMusic(bool pause) { m_music->pause(pause); }
void MediaCenter::setMusicEnabled(bool on) { m_music->setEnabled(on); }
void MediaCenter::disableMusic() { m_music->setEnabled(false); }
void MediaCenter::setMusicVolume(float volume) { m_music->setVolume(volume); }
float MediaCenter::getMusicVolume() const { return m_music->volume(); }
int MediaCenter::getMusicIndex() const { return m_music->current(); }
bool MediaCenter::isMusicEnabled() const { return m_music->isEnabled(); }
size_t MediaCenter::getPlaylistSize() const { return m_music->playlist().size(); }

int MediaCenter::playSound(const std::string& name, bool loop, bool transient, bool reuse) {
    if (name.empty() || !m_sndfx || !m_sndfx->isEnabled()) return -1;
    return m_sndfx->playFile(name, loop, transient, reuse);
}

void MediaCenter::stopSound(int index) {
    if (m_sndfx) m_sndfx->stopSlot(index);
}

bool MediaCenter::isSoundPlaying(int index) const { return m_sndfx && m_sndfx->isPlaying(index); }

void MediaCenter::setSoundVolume(float volume) {
    if (m_sndfx) m_sndfx->setVolume(-1, volume);
}

float MediaCenter::getSoundVolume() const { return m_sndfx ? m_sndfx->volume() : 0.0f; }

void MediaCenter::setSoundEnabled(bool on) {
    if (m_sndfx) m_sndfx->setEnabled(on);
}

bool MediaCenter::isSoundEnabled() const { return m_sndfx && m_sndfx->isEnabled(); }

void MediaCenter::pauseSounds(bool pause) {
    if (!m_sndfx) return;
    if (pause)
        m_sndfx->stopAll();
    else
        m_sndfx->resumeAll();
}

std::map<std::string, std::string>& MediaCenter::getSoundList() { return m_sndfx->soundTable(); }

std::map<std::string, float>& MediaCenter::getSoundVolumes() { return m_sndfx->soundVolumes(); }

}  // namespace MediaSystem
