#include "input/input_script.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/string_utils.h"

namespace inputscript {

namespace {

constexpr int kShiftScancode = 42;
constexpr int kShiftKeyCode = 16;
// A file longer than this is no input script.
constexpr size_t kMaxScriptBytes = 4u << 20;
// A count or coordinate beyond this is a typing error, not a wish.
constexpr long kMaxNumber = 10'000'000;
// A rotation counts as reached within this many degrees.
constexpr float kRotationTolerance = 0.5f;
// A turn has settled once the rotation changed and then stayed the same for this many turns...
constexpr int kSteadyTurns = 2;
// ... a click that turns nothing for this many turns was not taken ...
constexpr int kNoTurnTurns = 30;
// ... and no click waits longer than this for its turn to end.
constexpr int kMaxSettleTurns = 600;
// Lines kept for a wait; older ones are dropped.
constexpr size_t kMaxWaitLines = 10000;

struct KeyTable {
    std::vector<KeyName> keys;
    KeyTable() {
        keys = {{"Escape", 1, 27},     {"Backspace", 14, 8}, {"Tab", 15, 9},         {"Enter", 28, 13},
                {"Ctrl", 29, 17},      {"Shift", 42, 16},    {"Alt", 56, 18},        {"Space", 57, 32},
                {"Grave", 41, 192},    {"Minus", 12, 189},   {"Equals", 13, 187},    {"NumpadEnter", 156, 13},
                {"PrintScreen", 183, 44}, {"Home", 199, 36}, {"Up", 200, 38},        {"PageUp", 201, 33},
                {"Left", 203, 37},     {"Right", 205, 39},   {"End", 207, 35},       {"Down", 208, 40},
                {"PageDown", 209, 34}, {"Insert", 210, 45},  {"Delete", 211, 46}};
        // Digits are named "Digit1" and so on: a bare number is a scan code.
        static const char* const kDigits[] = {"Digit1", "Digit2", "Digit3", "Digit4", "Digit5",
                                              "Digit6", "Digit7", "Digit8", "Digit9", "Digit0"};
        for (int i = 0; i < 10; ++i) keys.push_back({kDigits[i], 2 + i, kDigits[i][5]});
        // The letter rows of the keyboard and their first scan codes.
        static const struct {
            const char* letters;
            int first;
        } kRows[] = {{"QWERTYUIOP", 16}, {"ASDFGHJKL", 30}, {"ZXCVBNM", 44}};
        static const char* const kLetters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                               "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
        for (const auto& row : kRows)
            for (int i = 0; row.letters[i]; ++i) {
                const int letter = row.letters[i] - 'A';
                keys.push_back({kLetters[letter], row.first + i, row.letters[i]});
            }
        static const char* const kFunctions[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"};
        for (int i = 0; i < 12; ++i) keys.push_back({kFunctions[i], i < 10 ? 59 + i : 87 + (i - 10), 112 + i});
    }
};

// The US layout: the key of each printable ASCII character, and whether it needs Shift.
struct TypedKey {
    int scancode = 0, keyCode = 0;
    bool shift = false;
};
bool typedKey(char16_t c, TypedKey* out) {
    static const char* const kPlain = "1234567890-=qwertyuiop[]asdfghjkl;'`\\zxcvbnm,./";
    static const char* const kShifted = "!@#$%^&*()_+QWERTYUIOP{}ASDFGHJKL:\"~|ZXCVBNM<>?";
    static const int kCodes[] = {2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 16, 17, 18, 19,
                                 20, 21, 22, 23, 24, 25, 26, 27, 30, 31, 32, 33, 34, 35, 36, 37,
                                 38, 39, 40, 41, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53};
    static const int kKeyCodes[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 189, 187, 'Q', 'W', 'E', 'R',
                                    'T', 'Y', 'U', 'I', 'O', 'P', 219, 221, 'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K',
                                    'L', 186, 222, 192, 220, 'Z', 'X', 'C', 'V', 'B', 'N', 'M', 188, 190, 191};
    if (c == u' ') {
        *out = {57, 32, false};
        return true;
    }
    for (int i = 0; kPlain[i]; ++i) {
        if (c == static_cast<char16_t>(kPlain[i]) || c == static_cast<char16_t>(kShifted[i])) {
            *out = {kCodes[i], kKeyCodes[i], c == static_cast<char16_t>(kShifted[i])};
            return true;
        }
    }
    return false;
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits at blanks; a quoted token runs to its closing quote (\" and \\ inside). False with the
// reason on a quote that is never closed.
bool tokenize(const std::string& line, std::vector<Token>* tokens, std::string* reason) {
    size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        Token t;
        if (line[i] == '"') {
            t.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '\\' && i + 1 < line.size()) {
                    t.text += line[i + 1];
                    i += 2;
                } else if (line[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    t.text += line[i++];
                }
            }
            if (!closed) {
                *reason = "missing closing quote";
                return false;
            }
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) t.text += line[i++];
        }
        tokens->push_back(std::move(t));
    }
    return true;
}

bool parseInt(const std::string& text, long low, long* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (!end || *end != 0 || v < low || v > kMaxNumber) return false;
    *out = v;
    return true;
}

bool parseFloat(const std::string& text, float* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const float v = std::strtof(text.c_str(), &end);
    if (!end || *end != 0 || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

float rotationDistance(float a, float b) {
    float d = std::fmod(std::fabs(a - b), 360.0f);
    return std::min(d, 360.0f - d);
}

}  // namespace

const std::vector<KeyName>& keyNames() {
    static const KeyTable table;
    return table.keys;
}

bool Script::load(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = path + ": cannot read the input file";
        return false;
    }
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > kMaxScriptBytes) {
            if (error) *error = path + ": the input file is larger than 4 MiB";
            return false;
        }
    }
    return parse(text, path, error);
}

bool Script::parse(const std::string& text, const std::string& sourceName, std::string* error) {
    m_source = sourceName;
    m_entries.clear();
    m_error.clear();
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<Token> t;
        std::string reason;
        auto bad = [&](const std::string& why) {
            if (error) *error = m_source + ":" + std::to_string(number) + ": " + why;
            m_entries.clear();
            return false;
        };
        if (!tokenize(line, &t, &reason)) return bad(reason);
        if (t.empty() || (!t[0].quoted && t[0].text[0] == '#')) continue;
        Entry e;
        e.line = number;
        size_t i = 0;
        if (!t[0].quoted && t[0].text[0] == '+') {
            long delay = 0;
            if (!parseInt(t[0].text.substr(1), 0, &delay)) return bad("bad frame delay '" + t[0].text + "'");
            e.delay = static_cast<int>(delay);
            if (++i == t.size()) return bad("a delay without an event");
        }
        const std::string word = t[i].quoted ? std::string() : t[i].text;
        ++i;
        auto left = [&]() { return t.size() - i; };
        auto number_at = [&](size_t k, long low, long* out) -> bool {
            if (!parseInt(t[k].text, low, out)) return bad("bad number '" + t[k].text + "'");
            return true;
        };
        auto point = [&](size_t k) -> bool {
            long x = 0, y = 0;
            if (!number_at(k, -kMaxNumber, &x) || !number_at(k + 1, -kMaxNumber, &y)) return false;
            e.x = static_cast<int>(x);
            e.y = static_cast<int>(y);
            return true;
        };
        auto name_at = [&](size_t k, std::string* out) -> bool {
            if (t[k].quoted || t[k].text.size() < 2 || t[k].text[0] != '@') return bad("expected @NAME, got '" + t[k].text + "'");
            *out = t[k].text.substr(1);
            return true;
        };
        size_t used = 0;  // tokens after the word that the event took
        if (word == "move") {
            if (left() < 2) return bad("move wants X Y");
            e.kind = EntryKind::Move;
            if (!point(i)) return false;
            used = 2;
        } else if (word == "click" && left() >= 1 && !t[i].text.empty() && t[i].text[0] == '@' && !t[i].quoted) {
            if (!name_at(i, &e.name)) return false;
            used = 1;
            e.kind = EntryKind::ClickNamed;
            if (left() > 1) {
                if (left() != 7 || t[i + 1].text != "until" || t[i + 3].text != "rotation" || t[i + 5].text != "max")
                    return bad("expected: click @NAME until @NAME rotation R max K");
                if (!name_at(i + 2, &e.other)) return false;
                if (!parseFloat(t[i + 4].text, &e.rotation)) return bad("bad number '" + t[i + 4].text + "'");
                long k = 0;
                if (!number_at(i + 6, 1, &k)) return false;
                e.limit = static_cast<int>(k);
                e.kind = EntryKind::ClickUntil;
                used = 7;
            }
        } else if (word == "click") {
            if (left() < 2) return bad("click wants X Y [right] or @NAME");
            e.kind = EntryKind::Click;
            if (!point(i)) return false;
            used = 2;
            if (left() > 2 && t[i + 2].text == "right") {
                e.button = kRight;
                used = 3;
            }
        } else if (word == "press" || word == "release") {
            e.kind = word == "press" ? EntryKind::Press : EntryKind::Release;
            size_t at = i;
            if (left() >= 1 && t[i].text == "right") {
                e.button = kRight;
                ++at;
            }
            if (t.size() - at < 2) return bad(word + " wants [right] X Y");
            if (!point(at)) return false;
            used = at - i + 2;
        } else if (word == "key") {
            if (left() < 1) return bad("key wants a key name or scan code");
            e.kind = EntryKind::Key;
            const std::string& key = t[i].text;
            long code = 0;
            if (!key.empty() && std::isdigit(static_cast<unsigned char>(key[0]))) {
                if (!parseInt(key, 1, &code) || code > 255) return bad("bad scan code '" + key + "'");
                e.scancode = static_cast<int>(code);
                for (const KeyName& k : keyNames())
                    if (k.scancode == e.scancode) e.keyCode = k.keyCode;
            } else {
                for (const KeyName& k : keyNames())
                    if (equalsIgnoringCase(key, k.name)) e.scancode = k.scancode, e.keyCode = k.keyCode;
                if (!e.scancode) return bad("unknown key '" + key + "'");
            }
            used = 1;
            if (left() > 1) {
                if (t[i + 1].text == "down") e.keyMode = 1;
                else if (t[i + 1].text == "up") e.keyMode = 2;
                else return bad("expected down or up, got '" + t[i + 1].text + "'");
                used = 2;
            }
        } else if (word == "type") {
            if (left() < 1 || !t[i].quoted) return bad("type wants a quoted text");
            const std::u16string units = utf8ToWString(t[i].text);
            if (units.empty() && !t[i].text.empty()) return bad("the text is not UTF-8");
            for (char16_t c : units) {
                TypedKey k;
                if (!typedKey(c, &k)) return bad("the text holds a character the US layout cannot type");
            }
            e.kind = EntryKind::Type;
            e.name = t[i].text;
            used = 1;
        } else if (word == "shot") {
            if (left() < 1) return bad("shot wants a file name");
            e.kind = EntryKind::Shot;
            e.name = t[i].text;
            used = 1;
        } else if (word == "quit") {
            e.kind = EntryKind::Quit;
        } else if (word == "wait") {
            if (left() < 3 || !t[i].quoted || t[i + 1].text != "max") return bad("expected: wait \"TEXT\" max F");
            e.kind = EntryKind::Wait;
            e.name = t[i].text;
            long f = 0;
            if (!number_at(i + 2, 0, &f)) return false;
            e.limit = static_cast<int>(f);
            used = 3;
        } else {
            return bad("unknown event '" + t[i - 1].text + "'");
        }
        if (left() > used) return bad("unexpected '" + t[i + used].text + "'");
        m_entries.push_back(std::move(e));
    }
    m_next = 0;
    m_turn = 0;
    m_lastEnd = 0;
    m_pending.clear();
    return true;
}

void Script::onLogLine(std::string_view line) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    m_lastLines.push_back(text);
    if (m_lastLines.size() > kKeptLogLines) m_lastLines.pop_front();
    m_sinceLastEntry.push_back(std::move(text));
    if (m_sinceLastEntry.size() > kMaxWaitLines) m_sinceLastEntry.erase(m_sinceLastEntry.begin());
}

bool Script::fail(int line, const std::string& reason) {
    m_error = m_source + ":" + std::to_string(line) + ": " + reason;
    if (!m_lastLines.empty()) {
        m_error += "\nlast log lines:";
        for (const std::string& l : m_lastLines) m_error += "\n  " + l;
    }
    return false;
}

bool Script::finished() const { return m_next >= m_entries.size() && m_pending.empty(); }

void Script::queue(int afterTurns, Action a) {
    m_pending.push_back({m_turn + afterTurns, std::move(a)});
    m_lastEnd = std::max(m_lastEnd, m_turn + afterTurns);
}

bool Script::resolve(const Entry& e, const std::string& name, Target* out) {
    if (!m_resolver) return fail(e.line, "no object can be looked up by name here (@" + name + ")");
    std::optional<Target> t = m_resolver(name);
    if (!t) return fail(e.line, "unknown name @" + name);
    *out = *t;
    return true;
}

void Script::queueClick(const Entry& e, int x, int y, int button) {
    Action a;
    a.line = e.line;
    a.x = m_x = x;
    a.y = m_y = y;
    a.button = button;
    a.kind = ActionKind::Move;
    queue(0, a);
    a.kind = ActionKind::Press;
    queue(0, a);
    a.kind = ActionKind::Release;
    queue(1, a);
}

bool Script::start(const Entry& e) {
    m_lastEnd = m_turn;
    m_sinceLastEntry.clear();
    Action a;
    a.line = e.line;
    switch (e.kind) {
        case EntryKind::Move:
        case EntryKind::Press:
        case EntryKind::Release:
            a.x = m_x = e.x;
            a.y = m_y = e.y;
            a.button = e.button;
            a.kind = ActionKind::Move;
            queue(0, a);
            if (e.kind != EntryKind::Move) {
                a.kind = e.kind == EntryKind::Press ? ActionKind::Press : ActionKind::Release;
                queue(0, a);
            }
            return true;
        case EntryKind::Click:
            queueClick(e, e.x, e.y, e.button);
            return true;
        case EntryKind::ClickNamed: {
            Target t;
            if (!resolve(e, e.name, &t)) return false;
            queueClick(e, static_cast<int>(std::lround(t.x)), static_cast<int>(std::lround(t.y)), kLeft);
            return true;
        }
        case EntryKind::Key:
            a.scancode = e.scancode;
            a.keyCode = e.keyCode;
            if (e.keyMode != 2) {
                a.kind = ActionKind::KeyDown;
                queue(0, a);
            }
            if (e.keyMode != 1) {
                a.kind = ActionKind::KeyUp;
                queue(e.keyMode == 0 ? 1 : 0, a);
            }
            return true;
        case EntryKind::Type: {
            const std::u16string units = utf8ToWString(e.name);
            int turn = 0;
            for (char16_t c : units) {
                TypedKey k;
                typedKey(c, &k);
                Action key = a;
                key.scancode = k.scancode;
                key.keyCode = k.keyCode;
                key.character = c;
                key.shift = k.shift;
                Action shift = a;
                shift.scancode = kShiftScancode;
                shift.keyCode = kShiftKeyCode;
                if (k.shift) {
                    shift.kind = ActionKind::KeyDown;
                    queue(turn, shift);
                }
                key.kind = ActionKind::KeyDown;
                queue(turn, key);
                key.kind = ActionKind::KeyUp;
                queue(turn + 1, key);
                // Shift goes up a turn after the key, as a typist's does: the key's release
                // (and its click) still sees Shift held and reports the shifted character.
                if (k.shift) {
                    shift.kind = ActionKind::KeyUp;
                    queue(turn + 2, shift);
                }
                turn += k.shift ? 3 : 2;
            }
            return true;
        }
        case EntryKind::Shot:
            a.kind = ActionKind::Shot;
            a.file = e.name;
            queue(0, a);
            return true;
        case EntryKind::Quit:
            a.kind = ActionKind::Quit;
            queue(0, a);
            return true;
        case EntryKind::ClickUntil:
        case EntryKind::Wait:
            break;
    }
    return true;
}

// One turn of a click-until: true when it has ended (reached); a failure sets the error.
bool Script::stepClickUntil(const Entry& e, bool* done) {
    *done = false;
    Target other;
    if (!resolve(e, e.other, &other)) return false;
    const bool steady = std::fabs(other.rotation - m_untilLastRotation) < 0.01f;
    if (!steady && m_untilClicks > 0 && !std::isnan(m_untilLastRotation)) m_untilChanged = true;
    m_untilLastRotation = other.rotation;
    m_untilSteady = steady ? m_untilSteady + 1 : 0;
    ++m_untilTurns;
    const bool released = m_turn > m_lastEnd;
    const bool clickDone = m_untilClicks == 0 || (released && m_untilChanged && m_untilSteady >= kSteadyTurns) ||
                           (released && !m_untilChanged && m_untilTurns >= kNoTurnTurns);
    if (!clickDone) {
        if (m_untilTurns > kMaxSettleTurns)
            return fail(e.line, "@" + e.other + " did not stop turning within " + std::to_string(kMaxSettleTurns) +
                                    " frames");
        return true;
    }
    if (rotationDistance(other.rotation, e.rotation) <= kRotationTolerance) {
        *done = true;
        return true;
    }
    if (m_untilClicks >= e.limit) {
        std::ostringstream why;
        why << "@" << e.other << " is at rotation " << other.rotation << " after " << m_untilClicks << " clicks, not "
            << e.rotation;
        return fail(e.line, why.str());
    }
    Target t;
    if (!resolve(e, e.name, &t)) return false;
    m_sinceLastEntry.clear();
    queueClick(e, static_cast<int>(std::lround(t.x)), static_cast<int>(std::lround(t.y)), kLeft);
    ++m_untilClicks;
    m_untilTurns = 0;
    m_untilSteady = 0;
    m_untilChanged = false;
    return true;
}

bool Script::step(std::vector<Action>& out) {
    if (failed()) return false;
    while (m_next < m_entries.size()) {
        const Entry& e = m_entries[m_next];
        // An entry waits for the last action of the one before, then its own delay.
        if (!m_inEntry && m_lastEnd + e.delay > m_turn) break;
        if (e.kind == EntryKind::Wait) {
            if (!m_inEntry) {
                m_inEntry = true;
                m_entryStart = m_turn;
            }
            const bool seen = std::any_of(m_sinceLastEntry.begin(), m_sinceLastEntry.end(),
                                          [&](const std::string& l) { return l.find(e.name) != std::string::npos; });
            if (!seen) {
                if (m_turn - m_entryStart >= e.limit)
                    return fail(e.line, "\"" + e.name + "\" was not logged within " + std::to_string(e.limit) + " frames");
                break;
            }
        } else if (e.kind == EntryKind::ClickUntil) {
            if (!m_inEntry) {
                m_inEntry = true;
                m_untilClicks = 0;
                m_untilTurns = 0;
                m_untilSteady = 0;
                m_untilLastRotation = NAN;
            }
            bool done = false;
            if (!stepClickUntil(e, &done)) return false;
            if (!done) break;
        } else if (!start(e)) {
            return false;
        }
        m_inEntry = false;
        m_lastEnd = std::max(m_lastEnd, m_turn);
        if (e.kind == EntryKind::Wait || e.kind == EntryKind::ClickUntil) m_sinceLastEntry.clear();
        ++m_next;
    }
    while (!m_pending.empty() && m_pending.front().turn <= m_turn) {
        out.push_back(std::move(m_pending.front().action));
        m_pending.pop_front();
    }
    ++m_turn;
    return true;
}

}  // namespace inputscript
