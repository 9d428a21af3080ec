#pragma once
// The one object through which the game plays music and sound effects. Volumes are on the 0 to
// 100 scale of the settings.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/music_channel.h"
#include "audio/sndfx_system.h"
#include "core/singleton.h"

namespace MediaSystem {

class MediaCenter : public Tov::Singleton<MediaCenter> {
public:
    // The first volume is not used; the second is the music volume.
    MediaCenter(float firstVolume, float musicVolume);
    ~MediaCenter() override;

    // active: the application's window has the focus. dt is not used.
    void update(float dt, bool active);

    // Music.
    size_t setPlaylist(const std::vector<std::string>& names);
    bool playMusicTrack(int index, bool force);
    // The playlist's track of that name in any case; a name it lacks is added when the file
    // exists (else false and the playing track goes on).
    bool playMusic(const std::string& name, bool force);
    void stopMusic();
    void resumeMusic();
    void pauseMusic(bool pause);
    void setMusicEnabled(bool on);
    void disableMusic();
    void setMusicVolume(float volume);
    float getMusicVolume() const;
    int getMusicIndex() const;
    bool isMusicEnabled() const;
    size_t getPlaylistSize() const;

    // Sound effects.
    int playSound(const std::string& name, bool loop, bool transient, bool reuse);
    void stopSound(int index);
    bool isSoundPlaying(int index) const;
    void setSoundVolume(float volume);
    float getSoundVolume() const;
    void setSoundEnabled(bool on);
    bool isSoundEnabled() const;
    void pauseSounds(bool pause);
    // Sound name -> file path, for the application to fill.
    std::map<std::string, std::string>& getSoundList();
    // Sound name -> volume factor; a name without an entry plays at factor 1.0.
    std::map<std::string, float>& getSoundVolumes();

    MusicChannel* musicChannel() const { return m_music.get(); }
    SndfxSystem* sndfxSystem() const { return m_sndfx.get(); }

private:
    std::unique_ptr<MusicChannel> m_music;
    std::unique_ptr<SndfxSystem> m_sndfx;
};

}  // namespace MediaSystem
