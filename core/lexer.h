#pragma once
// Tokenizer of the settings texts ("config.cfg", "config.sta"): names, numbers, quoted strings and
// single-character punctuation, skipping white space and comments and counting lines. The lexer
// reads the caller's buffer in place; it stops at a zero byte or at the end of the buffer,
// whichever comes first, so mapped files need no terminator.
#include <cstdint>
#include <string>

// Token types.
enum {
    TT_NAME = 0,
    TT_NUMBER = 1,
    TT_STRING = 2,
    TT_PUNCTUATION = 3,
    TT_NONE = 4,
};

// Number subtypes (bits).
enum {
    TT_INTEGER = 1,
    TT_FLOAT = 2,
    TT_VALUESVALID = 4,
};

// Punctuation identifiers.
enum {
    P_DOT = 1,
    P_COMMA = 2,
    P_SEMICOLON = 3,
    P_COLON = 4,
    P_QUESTIONMARK = 5,
    P_PARENTHESESOPEN = 6,
    P_PARENTHESESCLOSE = 7,
    P_BRACEOPEN = 8,
    P_BRACECLOSE = 9,
    P_SQBRACKETOPEN = 10,
    P_SQBRACKETCLOSE = 11,
    P_BACKSLASH = 12,
};

// Lexer flags.
enum {
    LEXFL_NOERRORS = 1,          // keep no error texts
    LEXFL_NOWARNINGS = 2,        // keep no warning texts
    LEXFL_ALLOWPATHNAMES = 16,   // names may also hold "/", "\\", ":" and "."
};

class idToken {
public:
    static constexpr int kMaxNameLength = 255;
    static constexpr int kMaxNumberLength = 255;
    static constexpr int kMaxStringLength = 511;

    std::string text;
    int type = TT_NONE;
    int subtype = 0;

    // Values of a number, worked out on first use.
    uint32_t GetUnsignedIntValue();
    int GetIntValue() { return static_cast<int>(GetUnsignedIntValue()); }
    float GetFloatValue();

    void Clear();

private:
    friend class idLexer;
    void NumberValue();

    uint32_t intvalue = 0;
    float floatvalue = 0.0f;
};

class idLexer {
public:
    idLexer(const char* text, int length, const char* name, int flags = 0);
    ~idLexer();
    idLexer(const idLexer&) = delete;
    idLexer& operator=(const idLexer&) = delete;

    bool LoadMemory(const char* text, int length, const char* name);
    void FreeSource();
    bool IsLoaded() const { return loaded; }

    // False at the end of the text and on any error.
    bool ReadToken(idToken* token);
    // A token that starts on the current line; otherwise the position goes back and false.
    bool ReadTokenOnLine(idToken* token);
    bool ExpectName(idToken* token);
    bool ExpectTokenString(const char* string);
    bool SkipUntilString(const char* string);
    bool SkipRestOfLine();
    bool SkipBracedSection(bool parseFirstBrace = true);

    int ParseInt();
    bool ParseBool();
    float ParseFloat();
    bool Parse1DMatrix(int x, float* m);

    void Reset();
    bool EndOfFile() const;
    int GetLineNum() const { return line; }
    int LinesCrossed() const { return line - lastline; }
    bool HadError() const { return hadError; }
    int ErrorCount() const { return errorCount; }
    const std::string& GetLastError() const { return lastError; }
    const std::string& GetLastWarning() const { return lastWarning; }
    const std::string& GetFileName() const { return filename; }

    struct State {
        const char* script_p;
        const char* lastScript_p;
        int line;
        int lastline;
    };
    State SaveState() const { return {script_p, lastScript_p, line, lastline}; }
    void RestoreState(const State& s);

    // Every error sets the error flag; the text is kept (not logged) unless LEXFL_NOERRORS.
    void Error(const std::string& text);
    void Warning(const std::string& text);

    static const char* GetPunctuationFromId(int id);

private:
    bool ReadWhiteSpace();
    bool ReadName(idToken* token);
    bool ReadNumber(idToken* token);
    bool ReadString(idToken* token);
    bool ReadPunctuation(idToken* token);
    bool AtEnd(const char* p) const { return p >= end_p || *p == '\0'; }
    // The byte at p, or 0 past the end.
    char At(const char* p) const { return p < end_p ? *p : '\0'; }

    bool loaded = false;
    std::string filename;
    const char* buffer = nullptr;
    const char* script_p = nullptr;
    const char* end_p = nullptr;
    const char* lastScript_p = nullptr;
    int length = 0;
    int line = 1;
    int lastline = 1;
    int flags = 0;
    bool hadError = false;
    int errorCount = 0;
    std::string lastError;
    std::string lastWarning;
};
