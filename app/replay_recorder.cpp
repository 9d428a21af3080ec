#include "app/replay_recorder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "core/attr_access.h"
#include "core/attr_xml.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "platform/clock.h"

namespace {

constexpr char kSeparator = '|';
constexpr int kFieldCount = 4;
constexpr float kMsToSeconds = 0.001f;
// Longer entries are no recording of ours: four numbers take far less.
constexpr size_t kMaxEntryLength = 256;

// A float in its shortest exact-enough form: 15 significant digits, no trailing zeros.
std::string floatText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", static_cast<double>(value));
    return text;
}

// The whole field as a number; false for anything else (empty, text, trailing bytes).
bool parseNumber(const std::string& field, double& out) {
    if (field.empty()) return false;
    const char* start = field.c_str();
    char* end = nullptr;
    errno = 0;
    out = std::strtod(start, &end);
    return end == start + field.size();
}

// Within [0, high]; not-a-number is 0.
float clampTo(double value, float high) {
    if (std::isnan(value)) return 0.0f;
    return static_cast<float>(std::clamp(value, 0.0, static_cast<double>(high)));
}

}  // namespace

ReplayRecorder::ReplayRecorder() {
    scriptClass();  // the class and "replay_recorder" join the script registry
    setFlagCallback(this, &ReplayRecorder::onFlagsChanged);
    reset();
}

void ReplayRecorder::onFlagsChanged(unsigned int, bool) {}

uint32_t ReplayRecorder::now() { return static_cast<uint32_t>(platform::monotonicMs()); }

void ReplayRecorder::reset() {
    m_index = 0;
    m_replay = Attr::createAttribute(Attr::TYPE_OBJECT, kNodeName);
}

void ReplayRecorder::load(const std::string& file) {
    reset();
    Attr::AttributePtr tree = Attr::loadDocument(file);
    if (!tree || tree->typeId() != Attr::TYPE_OBJECT) {
        Tov::LogLine("ERROR") << "ReplayRecorder::load" << ": cannot read the replay " << file;
        return;
    }
    m_replay = tree;
}

bool ReplayRecorder::save(const std::string& file) {
    if (Attr::saveDocument(file.c_str(), m_replay, false, true)) return true;
    Tov::LogLine("ERROR") << "ReplayRecorder::save" << ": cannot write the replay " << file;
    return false;
}

void ReplayRecorder::startRecord() {
    m_lastTicks = now();
    setFlag(kPlaying, false);
    setFlag(kRecording, true);
}

void ReplayRecorder::startPlay() {
    m_index = 0;
    setFlag(kRecording, false);
    setFlag(kPlaying, true);
}

void ReplayRecorder::writeEntry(int number, const std::string& text) {
    Attr::AttributePtr node = Attr::getStringAttribute(m_replay, std::to_string(number), true);
    if (node && node->typeId() == Attr::TYPE_STRING) {
        node->setValueFromString(text);
        return;
    }
    // A loaded entry of another type is replaced by the string.
    if (Attr::AttributeSet* children = Attr::childrenOf(m_replay)) {
        children->erase(std::to_string(number));
        if (Attr::AttributePtr fresh = Attr::getStringAttribute(m_replay, std::to_string(number), true))
            fresh->setValueFromString(text);
    }
}

void ReplayRecorder::record(float x, float y) {
    const uint32_t time = now();
    const std::string at = floatText(x) + kSeparator + floatText(y) + kSeparator;
    writeEntry(m_index, at + "1" + kSeparator + std::to_string(time - m_lastTicks));
    writeEntry(m_index + 1, at + "0" + kSeparator + std::to_string(kReleaseMs));
    m_index += 2;
    m_lastTicks = time;
}

std::string ReplayRecorder::entry(int number) const {
    const Attr::AttributePtr& node = Attr::findAttribute(m_replay, std::to_string(number));
    if (!node) return std::string();
    std::string text;
    node->valueToString(text);
    return text;
}

void ReplayRecorder::next(ReplayEvent& out, int number) {
    if (number != -1) m_index = number;
    const std::string text = m_index >= 0 ? entry(m_index) : std::string();
    double fields[kFieldCount] = {};
    int count = 0;
    bool numbers = text.size() <= kMaxEntryLength && !text.empty();
    for (size_t start = 0; numbers;) {
        const size_t bar = text.find(kSeparator, start);
        const std::string field = text.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (count == kFieldCount || !parseNumber(field, fields[count])) numbers = false;
        ++count;
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    const bool wellFormed = numbers && count == kFieldCount;
    if (wellFormed) {
        out.x = clampTo(fields[0], static_cast<float>(Application::kGameWidth - 1));
        out.y = clampTo(fields[1], static_cast<float>(Application::kGameHeight - 1));
        out.buttons = static_cast<int>(clampTo(fields[2], static_cast<float>(kMaxButtons)));
    } else {
        out = ReplayEvent{};
        if (text.empty())
            Tov::LogLine("MESSAGE") << "ReplayRecorder::next" << ": the replay ends at entry " << m_index;
        else
            Tov::LogLine("ERROR") << "ReplayRecorder::next" << ": entry " << m_index
                                  << " is not four numbers; the replay ends";
        setFlag(kPlaying, false);
    }
    m_lastTicks = now();
    if (wellFormed) m_delay = clampTo(fields[3] * kMsToSeconds, kMaxDelaySeconds);
    const float fixed = d_rrDelay->value.f[0];
    if (fixed > 0.0f) m_delay = std::min(fixed, kMaxDelaySeconds);
    ++m_index;
}

bool ReplayRecorder::delayPassed() const {
    const float seconds = static_cast<float>(now() - m_lastTicks) * kMsToSeconds;
    return seconds > m_delay;
}
