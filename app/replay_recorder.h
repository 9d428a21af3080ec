#pragma once
// Records the player's clicks with their timing into an attribute tree and plays them back as
// mouse input, for tests and demonstrations. The recording is an object "Replay" of string
// entries "0", "1", ... each "x|y|buttons|milliseconds": a click writes its press (with the time
// since the click before) and its release (100 ms later). Playback hands out one entry each time
// the delay taken from the entry before has passed. Replay files are input: an entry that is not
// four numbers ends playback, coordinates stay in the game area and delays within a minute.
#include <cstdint>
#include <string>

#include "core/attr_tree.h"
#include "core/flag_object.h"
#include "core/singleton.h"
#include "script/bound_object.h"

namespace ScriptBinding {
struct ClassDescriptor;
}

// One event taken from a recording: game pixels and the button state.
struct ReplayEvent {
    float x = 0;
    float y = 0;
    int buttons = 0;
};

class ReplayRecorder : public script::BoundObject,
                       public Tov::Singleton<ReplayRecorder>,
                       public Tov::FlagObjectCB<ReplayRecorder, unsigned int> {
public:
    static constexpr unsigned kRecording = 0x1;
    static constexpr unsigned kPlaying = 0x2;
    static constexpr const char* kNodeName = "Replay";
    static constexpr float kStartDelay = 0.5f;
    // A release is written this many milliseconds after its press.
    static constexpr int kReleaseMs = 100;
    // Bounds of what a file may ask for.
    static constexpr float kMaxDelaySeconds = 60.0f;
    static constexpr int kMaxButtons = 6;  // left + right + middle

    ReplayRecorder();

    // An empty recording from entry 0.
    void reset();
    // The recording of a file (empty when it cannot be read, logged); playback starts at entry 0.
    void load(const std::string& file);
    // Writes the recording as plain XML (replacing the file atomically); false when it failed.
    bool save(const std::string& file);
    // Records from the current entry on (entries already there are overwritten).
    void startRecord();
    void startPlay();
    // Writes the press and the release of a click at the current entry.
    void record(float x, float y);
    // The entry `number` (-1: the current one) into `out`; an entry that is missing or malformed
    // gives (0, 0) and ends playback. The next delay is the entry's own time.
    void next(ReplayEvent& out, int number);
    // The delay since the last click recorded or event taken has passed.
    bool delayPassed() const;

    bool isRecording() const { return anyFlag(kRecording); }
    bool isPlaying() const { return anyFlag(kPlaying); }
    int index() const { return m_index; }
    float delay() const { return m_delay; }
    const Attr::AttributePtr& replay() const { return m_replay; }
    // The text of entry `number`, empty when there is none (tests).
    std::string entry(int number) const;

    static ScriptBinding::ClassDescriptor* scriptClass();

private:
    void onFlagsChanged(unsigned int mask, bool on);
    void writeEntry(int number, const std::string& text);
    static uint32_t now();

    int m_index = 0;
    Attr::AttributePtr m_replay;
    float m_delay = kStartDelay;
    uint32_t m_lastTicks = 0;
};
