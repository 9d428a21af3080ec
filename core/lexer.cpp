#include "core/lexer.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "core/math_utils.h"

namespace {

struct Punctuation {
    const char* p;
    int n;
};

// The punctuation table, with an index from the first character to the first entry and a chain
// of the entries sharing a first character (all entries are one character long today).
const Punctuation kPunctuations[] = {
    {".", P_DOT},          {",", P_COMMA},          {";", P_SEMICOLON},
    {":", P_COLON},        {"?", P_QUESTIONMARK},   {"(", P_PARENTHESESOPEN},
    {")", P_PARENTHESESCLOSE}, {"{", P_BRACEOPEN},  {"}", P_BRACECLOSE},
    {"[", P_SQBRACKETOPEN}, {"]", P_SQBRACKETCLOSE}, {"\\", P_BACKSLASH},
};
constexpr int kPunctuationCount = sizeof(kPunctuations) / sizeof(kPunctuations[0]);

struct PunctuationIndex {
    int first[256];
    int next[kPunctuationCount];
    PunctuationIndex() {
        for (int& f : first) f = -1;
        for (int i = 0; i < kPunctuationCount; ++i) {
            next[i] = -1;
            int c = static_cast<unsigned char>(kPunctuations[i].p[0]);
            if (first[c] == -1) {
                first[c] = i;
            } else {
                int last = first[c];
                while (next[last] != -1) last = next[last];
                next[last] = i;
            }
        }
    }
};

const PunctuationIndex& punctuationIndex() {
    static const PunctuationIndex index;
    return index;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

// ---- idToken ---------------------------------------------------------------------------------

void idToken::Clear() {
    text.clear();
    type = TT_NONE;
    subtype = 0;
    intvalue = 0;
    floatvalue = 0.0f;
}

void idToken::NumberValue() {
    if (type != TT_NUMBER || (subtype & TT_VALUESVALID)) return;
    if (subtype & TT_FLOAT) {
        double d = std::atof(text.c_str());
        // An over-long number is the largest float, never infinity: settings written back must
        // read again as numbers.
        floatvalue = toFloatInRange(d);
        // Truncation toward zero, clamped: out-of-range conversions are undefined.
        if (!(d == d)) d = 0;
        if (d >= 2147483647.0) d = 2147483647.0;
        if (d <= -2147483648.0) d = -2147483648.0;
        intvalue = static_cast<uint32_t>(static_cast<int32_t>(d));
    } else if (subtype & TT_INTEGER) {
        long long v = std::strtoll(text.c_str(), nullptr, 10);
        if (v > INT_MAX) v = INT_MAX;
        if (v < INT_MIN) v = INT_MIN;
        intvalue = static_cast<uint32_t>(static_cast<int32_t>(v));
        floatvalue = static_cast<float>(v);
    } else {
        intvalue = 0;
        floatvalue = 0.0f;
    }
    subtype |= TT_VALUESVALID;
}

uint32_t idToken::GetUnsignedIntValue() {
    NumberValue();
    return intvalue;
}

float idToken::GetFloatValue() {
    NumberValue();
    return floatvalue;
}

// ---- idLexer ---------------------------------------------------------------------------------

idLexer::idLexer(const char* text, int len, const char* name, int fl) : flags(fl) {
    (void)punctuationIndex();
    hadError = false;
    LoadMemory(text, len, name);
}

idLexer::~idLexer() { FreeSource(); }

bool idLexer::LoadMemory(const char* text, int len, const char* name) {
    if (loaded) {
        Error("idLexer::LoadMemory: another script already loaded");
        return false;
    }
    if (len < 0) len = 0;
    filename = name ? name : "";
    buffer = text ? text : "";
    if (!text) len = 0;
    script_p = buffer;
    lastScript_p = buffer;
    end_p = buffer + len;
    length = len;
    line = 1;
    lastline = 1;
    loaded = true;
    return true;
}

void idLexer::FreeSource() {
    loaded = false;
    buffer = script_p = end_p = lastScript_p = nullptr;
    length = 0;
}

void idLexer::Error(const std::string& text) {
    hadError = true;
    ++errorCount;
    if (!(flags & LEXFL_NOERRORS)) lastError = text;
}

void idLexer::Warning(const std::string& text) {
    if (!(flags & LEXFL_NOWARNINGS)) lastWarning = text;
}

const char* idLexer::GetPunctuationFromId(int id) {
    for (const Punctuation& p : kPunctuations)
        if (p.n == id) return p.p;
    return "unkown punctuation";
}

void idLexer::Reset() {
    script_p = buffer;
    lastScript_p = buffer;
    line = 1;
    lastline = 1;
}

bool idLexer::EndOfFile() const { return !loaded || AtEnd(script_p); }

void idLexer::RestoreState(const State& s) {
    script_p = s.script_p;
    lastScript_p = s.lastScript_p;
    line = s.line;
    lastline = s.lastline;
}

// Skips white space and comments; false when the text ends.
bool idLexer::ReadWhiteSpace() {
    for (;;) {
        while (!AtEnd(script_p) && static_cast<signed char>(*script_p) < 33) {
            if (*script_p == '\n') ++line;
            ++script_p;
        }
        if (AtEnd(script_p)) return false;
        if (*script_p == '/') {
            char next = At(script_p + 1);
            if (next == '/') {
                script_p += 2;
                while (!AtEnd(script_p) && *script_p != '\n') ++script_p;
                continue;  // the line feed is counted by the white-space loop
            }
            if (next == '*') {
                script_p += 2;
                for (;;) {
                    if (AtEnd(script_p)) return false;
                    char c = *script_p;
                    if (c == '*' && At(script_p + 1) == '/') {
                        script_p += 2;
                        break;
                    }
                    if (c == '\n') ++line;
                    if (c == '/' && At(script_p + 1) == '*') Warning("nested comment");
                    ++script_p;
                }
                continue;
            }
        }
        return true;
    }
}

bool idLexer::ReadToken(idToken* token) {
    if (!loaded) {
        Error("idLexer::ReadToken: no file loaded");
        return false;
    }
    lastScript_p = script_p;
    lastline = line;
    token->Clear();
    if (!ReadWhiteSpace()) return false;

    char c = *script_p;
    char next = At(script_p + 1);
    if (isDigit(c) || ((c == '.' || c == '-' || c == '+') && isDigit(next)))
        return ReadNumber(token);
    if (c == '"') return ReadString(token);
    if (isLetter(c) || c == '_') return ReadName(token);
    return ReadPunctuation(token);
}

bool idLexer::ReadName(idToken* token) {
    token->type = TT_NAME;
    bool cut = false;
    for (;;) {
        char c = *script_p;
        if (static_cast<int>(token->text.size()) < idToken::kMaxNameLength)
            token->text.push_back(c);
        else
            cut = true;
        ++script_p;
        if (AtEnd(script_p)) break;
        c = *script_p;
        bool more = isLetter(c) || isDigit(c) || c == '_';
        if (!more && (flags & LEXFL_ALLOWPATHNAMES))
            more = c == '/' || c == '\\' || c == ':' || c == '.';
        if (!more) break;
    }
    if (cut) Warning("name longer than 255 characters cut");
    return true;
}

bool idLexer::ReadNumber(idToken* token) {
    token->type = TT_NUMBER;
    bool cut = false;
    auto take = [&](char ch) {
        if (static_cast<int>(token->text.size()) < idToken::kMaxNumberLength)
            token->text.push_back(ch);
        else
            cut = true;
        ++script_p;
    };
    if (*script_p == '-' || *script_p == '+') take(*script_p);
    int dots = 0;
    while (!AtEnd(script_p) && (isDigit(*script_p) || *script_p == '.')) {
        if (*script_p == '.') ++dots;
        take(*script_p);
    }
    if (dots == 1 && (At(script_p) == 'e' || At(script_p) == 'E')) {
        const char* p = script_p + 1;
        if (At(p) == '-' || At(p) == '+') ++p;
        if (isDigit(At(p))) {
            while (script_p < p) take(*script_p);
            while (!AtEnd(script_p) && isDigit(*script_p)) take(*script_p);
        }
    }
    token->subtype = dots == 0 ? TT_INTEGER : dots == 1 ? TT_FLOAT : 0;
    if (cut) Warning("number longer than 255 characters cut");
    return true;
}

bool idLexer::ReadString(idToken* token) {
    token->type = TT_STRING;
    ++script_p;  // opening quote
    bool cut = false;
    for (;;) {
        if (AtEnd(script_p)) {
            Error("missing trailing quote");
            return false;
        }
        char c = *script_p;
        if (c == '\n') {
            // Left in place: the next read starts on the following line.
            Error("newline inside string");
            return false;
        }
        ++script_p;
        if (c == '"') break;
        if (static_cast<int>(token->text.size()) < idToken::kMaxStringLength)
            token->text.push_back(c);
        else
            cut = true;
    }
    if (cut) Warning("string longer than 511 characters cut");
    return true;
}

bool idLexer::ReadPunctuation(idToken* token) {
    const PunctuationIndex& index = punctuationIndex();
    unsigned char c = static_cast<unsigned char>(*script_p);
    for (int i = index.first[c]; i != -1; i = index.next[i]) {
        const char* p = kPunctuations[i].p;
        size_t n = std::strlen(p);
        size_t avail = 0;
        while (avail < n && !AtEnd(script_p + avail) && script_p[avail] == p[avail]) ++avail;
        if (avail == n) {
            token->type = TT_PUNCTUATION;
            token->subtype = kPunctuations[i].n;
            token->text = p;
            script_p += n;
            return true;
        }
    }
    // Step over the byte so that a caller skipping the line always makes progress.
    ++script_p;
    Error(std::string("unknown punctuation ") + static_cast<char>(c));
    return false;
}

bool idLexer::ReadTokenOnLine(idToken* token) {
    State before = SaveState();
    idToken tok;
    if (ReadToken(&tok)) {
        if (line == before.line) {
            *token = tok;
            return true;
        }
        token->text.clear();
    }
    script_p = lastScript_p;
    line = lastline;
    return false;
}

bool idLexer::ExpectName(idToken* token) {
    if (!ReadToken(token)) {
        Error("couldn't read expected name");
        return false;
    }
    if (token->type != TT_NAME) {
        Error("expected name, found '" + token->text + "'");
        return false;
    }
    return true;
}

bool idLexer::ExpectTokenString(const char* string) {
    idToken token;
    if (!ReadToken(&token)) {
        Error(std::string("couldn't find expected '") + string + "'");
        return false;
    }
    if (token.text != string) {
        Error(std::string("expected '") + string + "' but found '" + token.text + "'");
        return false;
    }
    return true;
}

bool idLexer::SkipUntilString(const char* string) {
    idToken token;
    while (!EndOfFile()) {
        if (ReadToken(&token) && token.text == string) return true;
    }
    return false;
}

bool idLexer::SkipRestOfLine() {
    int startLine = line;
    idToken token;
    while (!EndOfFile()) {
        // A token that fails to read (a bad byte, a broken string) is stepped over like any other.
        bool ok = ReadToken(&token);
        if (line > startLine && (ok || !EndOfFile())) {
            script_p = lastScript_p;
            line = lastline;
            return true;
        }
    }
    return false;
}

bool idLexer::SkipBracedSection(bool parseFirstBrace) {
    int depth = parseFirstBrace ? 0 : 1;
    idToken token;
    do {
        if (!ReadToken(&token)) {
            if (EndOfFile()) return false;
            continue;
        }
        if (token.type == TT_PUNCTUATION) {
            if (token.subtype == P_BRACEOPEN) ++depth;
            else if (token.subtype == P_BRACECLOSE) --depth;
        }
    } while (depth);
    return true;
}

int idLexer::ParseInt() {
    idToken token;
    if (!ReadToken(&token)) {
        Error("couldn't read expected integer");
        return 0;
    }
    if (token.type != TT_NUMBER) {
        Error("expected integer value, found '" + token.text + "'");
        return 0;
    }
    if (token.subtype & TT_FLOAT) Error("expected integer value, found float value");
    return token.GetIntValue();
}

bool idLexer::ParseBool() {
    idToken token;
    if (!ReadToken(&token)) {
        Error("couldn't read expected boolean");
        return false;
    }
    if (token.type == TT_NAME) return token.text == "true";
    if (token.type == TT_NUMBER) return token.GetIntValue() != 0;
    Error("expected boolean value, found '" + token.text + "'");
    return false;
}

float idLexer::ParseFloat() {
    idToken token;
    if (!ReadToken(&token)) {
        Error("couldn't read expected floating point number");
        return 0.0f;
    }
    if (token.type != TT_NUMBER) {
        Error("expected float value, found '" + token.text + "'");
        return 0.0f;
    }
    std::istringstream in(token.text);
    float value = 0.0f;
    in >> value;  // an out-of-range text gives the largest float of its sign
    return value;
}

bool idLexer::Parse1DMatrix(int x, float* m) {
    for (int i = 0; i < x; ++i) m[i] = ParseFloat();
    return true;
}
