#pragma once
// Short sound effects played by name in up to 30 slots. A name maps to a file path in the sound
// table; the file is found once through the file system, cached by name and opened, decoded whole,
// for each play.
#include <array>
#include <map>
#include <string>

#include "audio/channel_state.h"
#include "platform/audio/audio.h"
#include "vfs/file.h"

namespace MediaSystem {

class SndfxSystem {
public:
    static constexpr int kSlotCount = 30;

    struct Slot {
        bool transient = false;  // dropped, not kept for resumption, when all sounds stop
        audiere::RefPtr<audiere::OutputStream> stream;
        std::string name;  // empty when free
    };

    SndfxSystem();
    ~SndfxSystem();
    SndfxSystem(const SndfxSystem&) = delete;
    SndfxSystem& operator=(const SndfxSystem&) = delete;

    // The slot index, or -1.
    int playFile(const std::string& name, bool loop, bool transient, bool reuse);
    int findSlot(const std::string& name) const;
    int findFreeSlot() const;
    // A negative index means every slot; 30 and above none.
    void setVolume(int index, float volume);
    void stopSlot(int index);
    void stopAll();
    void resumeAll();
    void setEnabled(bool on);
    void update(bool active);

    bool isPlaying(int index) const;
    bool isEnabled() const { return m_enabled; }
    float volume() const { return m_volume; }
    ChannelState state() const { return m_state; }
    const Slot& slot(int index) const { return m_slots[static_cast<size_t>(index)]; }

    std::map<std::string, std::string>& soundTable() { return m_soundTable; }
    std::map<std::string, float>& soundVolumes() { return m_soundVolumes; }

private:
    float factorOf(const std::string& name) const;
    void clearSlot(Slot& slot);

    std::array<Slot, kSlotCount> m_slots;
    bool m_enabled = true;
    float m_volume = 50.0f;
    std::map<std::string, std::string> m_soundTable;
    std::map<std::string, VFS::FilePtr> m_fileCache;
    std::map<std::string, float> m_soundVolumes;
    audiere::RefPtr<audiere::AudioDevice> m_device;
    ChannelState m_state = ChannelState::NeverStarted;
    bool m_pausedByFocus = false;
};

}  // namespace MediaSystem
