#include "audio/sndfx_system.h"

#include <algorithm>
#include <cmath>

#include "audio/sound_files.h"
#include "core/log_stream.h"

namespace MediaSystem {

SndfxSystem::SndfxSystem() = default;

SndfxSystem::~SndfxSystem() {
    for (Slot& slot : m_slots) clearSlot(slot);
    m_device = nullptr;
}

void SndfxSystem::clearSlot(Slot& slot) {
    if (slot.stream) slot.stream->stop();
    slot.stream = nullptr;
    slot.name.clear();
}

int SndfxSystem::playFile(const std::string& name, bool loop, bool transient, bool reuse) {
    if (!m_enabled || name.empty() || m_soundTable.empty() || (m_state == ChannelState::Stopped && transient)) return -1;
    auto entry = m_soundTable.find(name);
    if (entry == m_soundTable.end()) return -1;

    int index = -1;
    bool reused = false;
    if (reuse) {
        index = findSlot(name);
        reused = index >= 0;
    }
    if (index < 0) index = findFreeSlot();
    if (index < 0) {
        Tov::LogLine("WARNING") << "MediaSystem::SndfxSystem::playFile" << " not found free stream!";
        return -1;
    }
    if (!m_device) {
        m_device = audiere::AdrOpenDevice("directsound", "");
        if (!m_device) {
            Tov::LogLine("ERROR") << "MediaSystem::SndfxSystem::playFile" << " can't open mDevice!";
            return -1;
        }
    }
    Slot& slot = m_slots[static_cast<size_t>(index)];
    if (slot.stream) {
        if (!reused) slot.stream->stop();
        slot.stream->reset();
    }
    if (!reused) {
        auto cached = m_fileCache.find(name);
        if (cached == m_fileCache.end())
            cached = m_fileCache.emplace(name, findSoundFile(entry->second)).first;  // a miss stays cached, empty
        slot.stream = openSound(m_device.get(), cached->second.get(), false);
        if (!slot.stream) {
            clearSlot(slot);
            return -1;
        }
        slot.name = name;
    }
    setVolume(index, m_volume);
    slot.stream->setRepeat(loop);
    slot.transient = transient;
    if (m_state != ChannelState::Stopped) {
        slot.stream->play();
        m_state = ChannelState::Playing;
    }
    return index;
}

int SndfxSystem::findSlot(const std::string& name) const {
    for (int i = 0; i < kSlotCount; ++i)
        if (m_slots[static_cast<size_t>(i)].name == name) return i;
    return -1;
}

int SndfxSystem::findFreeSlot() const {
    for (int i = 0; i < kSlotCount; ++i) {
        const Slot& slot = m_slots[static_cast<size_t>(i)];
        if (!slot.stream) return i;
        if (slot.stream->isPlaying()) continue;
        // While stopped, every kept sound waits for resumption: only one that played to its end
        // gives up its slot.
        if (m_state != ChannelState::Stopped || slot.stream->getPosition() >= slot.stream->getLength()) return i;
    }
    return -1;
}

float SndfxSystem::factorOf(const std::string& name) const {
    // A name without an entry plays at full factor; looking it up adds nothing.
    auto it = m_soundVolumes.find(name);
    return it == m_soundVolumes.end() ? 1.0f : it->second;
}

void SndfxSystem::setVolume(int index, float volume) {
    m_volume = volume;
    float clamped = std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 100.0f);
    if (index >= kSlotCount) return;
    int first = index < 0 ? 0 : index;
    int last = index < 0 ? kSlotCount - 1 : index;
    for (int i = first; i <= last; ++i) {
        Slot& slot = m_slots[static_cast<size_t>(i)];
        if (!slot.stream) continue;
        float v = factorOf(slot.name) * clamped * 0.01f;
        slot.stream->setVolume(std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f));
    }
}

void SndfxSystem::stopSlot(int index) {
    if (index >= kSlotCount) return;
    if (index >= 0) {
        clearSlot(m_slots[static_cast<size_t>(index)]);
        return;
    }
    for (Slot& slot : m_slots) clearSlot(slot);
    m_pausedByFocus = false;
}

void SndfxSystem::stopAll() {
    for (Slot& slot : m_slots) {
        if (!slot.stream) continue;
        slot.stream->stop();
        if (slot.transient) clearSlot(slot);
    }
    m_state = ChannelState::Stopped;
    m_pausedByFocus = false;
}

void SndfxSystem::resumeAll() {
    if (!m_enabled) return;
    setVolume(-1, m_volume);
    for (Slot& slot : m_slots)
        if (slot.stream) slot.stream->play();
    m_state = ChannelState::Playing;
}

void SndfxSystem::setEnabled(bool on) {
    m_enabled = on;
    if (on) {
        resumeAll();
        return;
    }
    for (Slot& slot : m_slots)
        if (slot.stream) clearSlot(slot);
    m_pausedByFocus = false;
}

void SndfxSystem::update(bool active) {
    if (m_state == ChannelState::Playing && !active) {
        stopAll();
        m_pausedByFocus = true;
        return;
    }
    if (m_state == ChannelState::Stopped && active) {
        if (m_pausedByFocus) resumeAll();
        m_pausedByFocus = false;
    }
    if (m_state == ChannelState::Playing && active) {
        for (Slot& slot : m_slots)
            if (slot.stream && !slot.stream->isPlaying()) clearSlot(slot);
    }
}

bool SndfxSystem::isPlaying(int index) const {
    if (index < 0 || index >= kSlotCount) return false;
    const Slot& slot = m_slots[static_cast<size_t>(index)];
    return slot.stream && slot.stream->isPlaying();
}

}  // namespace MediaSystem
