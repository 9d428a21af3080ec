#pragma once
// Console variables: named settings with a type, a default given as text, flags and a description.
// Every variable is registered by static initialisation (see cvar_catalogue.h) into one registry
// of at most 512 records, kept sorted by name (byte order, case-sensitive). Records never move, so
// the pointers returned by registration are read directly by their subsystems.
#include <cstdint>
#include <string>

class idLexer;
class CVar;

class CVarCallback {
public:
    virtual ~CVarCallback() = default;
    virtual void onChange(CVar* var) = 0;
};

class CVarSimpleCallback : public CVarCallback {
public:
    using Function = void (*)(CVar* var);
    Function function = nullptr;
    void onChange(CVar* var) override {
        if (function) function(var);
    }
};

class CVar {
public:
    enum Type : uint32_t {
        TYPE_STRING = 0,
        TYPE_BOOL = 1,
        TYPE_INT = 2,
        TYPE_FLOAT = 3,
        TYPE_FLOAT3 = 4,
        TYPE_FLOAT4 = 5,
    };
    static constexpr uint32_t FLAG_SAVED = 0x40;  // written to "config.sta"
    static constexpr int kCapacity = 512;

    union Value {
        bool b;
        int i;
        float f[4];
    };
    union Bounds {
        float f[4];
        int i;  // integer variables use the first component only
    };

    const char* name = "";
    uint32_t type = TYPE_STRING;
    const char* description = "";
    uint32_t flags = 0;
    CVarCallback* callback = nullptr;
    CVarSimpleCallback simpleCallback;
    std::string text;
    Value value{};
    Bounds min{};
    Bounds max{};

    // Registration: the literals are kept, not copied. Null (with an ERROR) once 512 exist.
    static CVar* create(const char* name, uint32_t type, const char* defaultText, uint32_t flags,
                        const char* description);

    void setFromString(const char* text);
    void setString(const char* text);
    // Stores a boolean value and calls the listener (the pause menu's full-screen switch).
    void setEnabled(bool on);
    // Text of the value; numbers go through one shared buffer that the next call overwrites.
    const char* toString() const;
    void setCallback(CVarSimpleCallback::Function function, bool callNow);
    void setCallbackObject(CVarCallback* object, bool callNow);
    void setBounds(const float minValues[4], const float maxValues[4]);

    static CVar* find(const char* name);
    static int getCount();
    static CVar* getByIndex(int index);

    // Sets each named variable from a settings text: a name, then its value from the next tokens
    // wherever they stand (also on the following line). Unknown names and broken lines are
    // skipped; every valid one is applied.
    static bool readConfig(idLexer& lexer);
    // Every variable whose flags share a bit with the mask, in name order, one per line
    // (name TAB value TAB TAB "// " description LF). The text stays valid until the next call.
    // Floats are written as "%.3f" when that reads back exactly, else with every digit they need.
    static bool writeConfig(uint32_t mask, const char** outText, uint32_t* outLength);
    // writeConfig into a plain file, replaced atomically (temporary file beside it, then rename).
    static bool saveConfigFile(const std::string& path, uint32_t mask);

    CVar() = default;
    CVar(const CVar&) = delete;
    CVar& operator=(const CVar&) = delete;

private:
    void changed();
};

// The pause menu's name for the switch of a boolean variable.
using CallBack = CVar;

// The registry behind CVar::create/find; it lives beside the catalogue's definitions so that any
// program using console variables links the whole catalogue.
namespace cvar_detail {
struct Registry {
    CVar* pool = nullptr;     // kCapacity records, constructed in place
    CVar** index = nullptr;   // registered records sorted by name
    int count = 0;
    ~Registry();
};
Registry& registry();
}  // namespace cvar_detail
