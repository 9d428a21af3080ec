#include "core/cvar.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/lexer.h"
#include "core/log_stream.h"
#include "core/math_utils.h"
#include "core/mmgr.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace cvar_detail {

Registry::~Registry() {
    if (pool) {
        for (int i = 0; i < CVar::kCapacity; ++i) pool[i].~CVar();
        Mem_Free(reinterpret_cast<char*>(pool) - alignof(CVar));
    }
    Mem_Free(index);
    pool = nullptr;
    index = nullptr;
    count = 0;
}

}  // namespace cvar_detail

namespace {

constexpr float kFloatMax = 3.4028235e38f;

// "%d": leading blanks, a sign and digits; overflow is clamped instead of left undefined.
bool scanInt(const char* text, int& out) {
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (end == text) return false;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    out = static_cast<int>(v);
    return true;
}

// "%f %f ...": each component that does not scan keeps its value, and so do the ones after it.
// A number beyond the float range is the largest float of its sign; NaN is no number.
void scanFloats(const char* text, float* out, int n) {
    const char* p = text;
    for (int i = 0; i < n; ++i) {
        char* end = nullptr;
        const double v = std::strtod(p, &end);
        if (end == p || std::isnan(v)) return;
        out[i] = toFloatInRange(v);
        p = end;
    }
}

// True when both readers of settings text (the lexer's numbers and the "%f" scan) give `value`.
bool readsBackAs(const char* text, float value) {
    return toFloatInRange(std::atof(text)) == value && std::strtof(text, nullptr) == value;
}

// A float in a form both readers give back unchanged: "%.3f" when that is exact (the familiar
// look of the settings files), else the shortest fixed-point text of the float's exact value
// (the lexer takes no exponent without a point, and only fixed-point always has one here).
void appendFloat(std::string& out, float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(value));
    if (!readsBackAs(text, value)) {
        const auto result = std::to_chars(text, text + sizeof text - 1, static_cast<double>(value),
                                          std::chars_format::fixed);
        *result.ptr = '\0';
    }
    out += text;
}

// Lower bound by strcmp among the registered names.
int lowerBound(const cvar_detail::Registry& reg, const char* name) {
    int lo = 0, hi = reg.count;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (std::strcmp(reg.index[mid]->name, name) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

}  // namespace

CVar* CVar::create(const char* name, uint32_t type, const char* defaultText, uint32_t flags,
                   const char* description) {
    cvar_detail::Registry& reg = cvar_detail::registry();
    if (!reg.pool) {
        // One block: a count word (padded to the record's alignment) and the records.
        char* block = static_cast<char*>(Mem_Alloc(static_cast<int>(alignof(CVar) + sizeof(CVar) * kCapacity)));
        reg.index = static_cast<CVar**>(Mem_Alloc(static_cast<int>(sizeof(CVar*) * kCapacity)));
        if (!block || !reg.index) {
            Mem_Free(block);
            Mem_Free(reg.index);
            reg.index = nullptr;
            Tov::LogLine("ERROR") << "CVar::create" << ": out of memory registering " << (name ? name : "");
            return nullptr;
        }
        *reinterpret_cast<int*>(block) = kCapacity;
        reg.pool = reinterpret_cast<CVar*>(block + alignof(CVar));
        for (int i = 0; i < kCapacity; ++i) new (&reg.pool[i]) CVar();
    }
    if (!name) name = "";
    if (reg.count >= kCapacity) {
        Tov::LogLine("ERROR") << "CVar::create" << ": no room for " << name << ", all " << kCapacity
                              << " console variables are in use";
        return nullptr;
    }
    int pos = lowerBound(reg, name);
    CVar* var = &reg.pool[reg.count];
    var->name = name;
    var->type = type;
    var->description = description ? description : "";
    var->flags = flags;
    var->callback = nullptr;
    var->setFromString(defaultText);
    for (int i = 0; i < 4; ++i) {
        var->min.f[i] = -kFloatMax;
        var->max.f[i] = kFloatMax;
    }
    if (type == TYPE_INT) {
        var->min.i = INT_MIN;
        var->max.i = INT_MAX;
    }
    std::memmove(reg.index + pos + 1, reg.index + pos, sizeof(CVar*) * static_cast<size_t>(reg.count - pos));
    reg.index[pos] = var;
    ++reg.count;
    return var;
}

void CVar::changed() {
    if (callback) callback->onChange(this);
}

void CVar::setFromString(const char* str) {
    if (!str) str = "";
    switch (type) {
    case TYPE_STRING:
        text = str;
        break;
    case TYPE_BOOL: {
        const auto is = [str](const char* word) { return platform::equalsFoldedAscii(str, word); };
        value.b = is("1") || is("yes") || is("yeah") || is("yep") || is("true");
        break;
    }
    case TYPE_INT: {
        int v;
        if (scanInt(str, v)) value.i = v;
        break;
    }
    case TYPE_FLOAT:
        scanFloats(str, value.f, 1);
        break;
    case TYPE_FLOAT3:
        scanFloats(str, value.f, 3);
        break;
    case TYPE_FLOAT4:
        scanFloats(str, value.f, 4);
        break;
    default:
        break;
    }
    changed();
}

void CVar::setString(const char* str) {
    text = str ? str : "";
    changed();
}

void CVar::setEnabled(bool on) {
    value.b = on;
    changed();
}

const char* CVar::toString() const {
    static char buffer[256];
    switch (type) {
    case TYPE_STRING:
        return text.c_str();
    case TYPE_BOOL:
        return value.b ? "true" : "false";
    case TYPE_INT:
        std::snprintf(buffer, sizeof buffer, "%d", value.i);
        return buffer;
    case TYPE_FLOAT:
        std::snprintf(buffer, sizeof buffer, "%.3f", static_cast<double>(value.f[0]));
        return buffer;
    case TYPE_FLOAT3:
        std::snprintf(buffer, sizeof buffer, "%.3f %.3f %.3f", static_cast<double>(value.f[0]),
                      static_cast<double>(value.f[1]), static_cast<double>(value.f[2]));
        return buffer;
    case TYPE_FLOAT4:
        std::snprintf(buffer, sizeof buffer, "%.3f %.3f %.3f %.3f", static_cast<double>(value.f[0]),
                      static_cast<double>(value.f[1]), static_cast<double>(value.f[2]),
                      static_cast<double>(value.f[3]));
        return buffer;
    default:
        return "";
    }
}

void CVar::setCallback(CVarSimpleCallback::Function function, bool callNow) {
    simpleCallback.function = function;
    callback = function ? &simpleCallback : nullptr;
    if (callNow && function) function(this);
}

void CVar::setCallbackObject(CVarCallback* object, bool callNow) {
    callback = object;
    if (callNow && object) object->onChange(this);
}

void CVar::setBounds(const float minValues[4], const float maxValues[4]) {
    for (int i = 0; i < 4; ++i) {
        min.f[i] = minValues[i];
        max.f[i] = maxValues[i];
    }
    if (type == TYPE_INT) {
        auto toInt = [](float f) {
            if (!(f == f)) return 0;
            if (f >= 2147483647.0f) return INT_MAX;
            if (f <= -2147483648.0f) return INT_MIN;
            return static_cast<int>(f);
        };
        min.i = toInt(minValues[0]);
        max.i = toInt(maxValues[0]);
    }
}

CVar* CVar::find(const char* name) {
    const cvar_detail::Registry& reg = cvar_detail::registry();
    if (!name || reg.count == 0) return nullptr;
    int pos = lowerBound(reg, name);
    if (pos < reg.count && std::strcmp(reg.index[pos]->name, name) == 0) return reg.index[pos];
    return nullptr;
}

int CVar::getCount() { return cvar_detail::registry().count; }

CVar* CVar::getByIndex(int i) {
    const cvar_detail::Registry& reg = cvar_detail::registry();
    if (i < 0 || i >= reg.count) return nullptr;
    return reg.index[i];
}

bool CVar::readConfig(idLexer& lexer) {
    // Logs the lexer's newest error once and skips the rest of that line.
    auto recover = [&lexer](int errorsBefore) {
        if (lexer.ErrorCount() == errorsBefore) return false;
        Tov::LogLine("ERROR") << "CVar::readConfig" << ": " << lexer.GetFileName() << ", line "
                              << lexer.GetLineNum() << ": " << lexer.GetLastError();
        lexer.SkipRestOfLine();
        return true;
    };

    idToken token;
    while (!lexer.EndOfFile()) {
        int errors = lexer.ErrorCount();
        if (!lexer.ReadToken(&token)) {
            if (recover(errors)) continue;
            break;
        }
        CVar* var = token.type == TT_NAME ? find(token.text.c_str()) : nullptr;
        if (!var) {
            lexer.SkipRestOfLine();
            continue;
        }
        if (var->type == TYPE_FLOAT3 || var->type == TYPE_FLOAT4) {
            // Components are the next numbers wherever they stand. A token that is no number ends
            // the value (the rest read as 0) and stays to be read as the next name.
            const int n = var->type == TYPE_FLOAT3 ? 3 : 4;
            bool broken = false;
            for (int i = 0; i < n; ++i) {
                const idLexer::State before = lexer.SaveState();
                idToken number;
                if (!broken && lexer.ReadToken(&number) && number.type == TT_NUMBER) {
                    var->value.f[i] = number.GetFloatValue();
                    continue;
                }
                if (!broken) {
                    if (lexer.ErrorCount() == errors) {
                        if (number.text.empty())
                            lexer.Error("couldn't read expected floating point number");
                        else
                            lexer.Error("expected float value, found '" + number.text + "'");
                    }
                    lexer.RestoreState(before);
                    broken = true;
                }
                var->value.f[i] = 0.0f;
            }
            recover(errors);
            continue;
        }
        idToken valueToken;
        if (!lexer.ReadToken(&valueToken)) {
            if (lexer.ErrorCount() == errors) lexer.Error(std::string("no value for ") + var->name);
            recover(errors);
            continue;
        }
        var->setFromString(valueToken.text.c_str());
    }
    return true;
}

bool CVar::writeConfig(uint32_t mask, const char** outText, uint32_t* outLength) {
    // Grows as needed; kept between calls so the returned text stays valid.
    static std::string buffer;
    buffer.clear();
    buffer.reserve(65536);
    const cvar_detail::Registry& reg = cvar_detail::registry();
    for (int i = 0; i < reg.count; ++i) {
        const CVar* var = reg.index[i];
        if (!(var->flags & mask)) continue;
        buffer += var->name;
        buffer += '\t';
        if (var->type == TYPE_STRING) {
            // A quote or a line break would end the value early when the file is read back.
            buffer += '"';
            bool dropped = false;
            for (char c : var->text) {
                if (c == '"' || c == '\r' || c == '\n')
                    dropped = true;
                else
                    buffer += c;
            }
            buffer += '"';
            if (dropped)
                Tov::LogLine("WARNING") << "CVar::writeConfig" << ": quotes and line breaks dropped from the value of "
                                        << var->name;
        } else if (var->type == TYPE_FLOAT || var->type == TYPE_FLOAT3 || var->type == TYPE_FLOAT4) {
            const int n = var->type == TYPE_FLOAT ? 1 : var->type == TYPE_FLOAT3 ? 3 : 4;
            for (int c = 0; c < n; ++c) {
                if (c) buffer += ' ';
                appendFloat(buffer, var->value.f[c]);
            }
        } else {
            buffer += var->toString();
        }
        buffer += "\t\t// ";
        buffer += var->description;
        buffer += '\n';
    }
    if (outText) *outText = buffer.c_str();
    if (outLength) *outLength = static_cast<uint32_t>(buffer.size());
    return true;
}

bool CVar::saveConfigFile(const std::string& path, uint32_t mask) {
    const char* text = nullptr;
    uint32_t length = 0;
    writeConfig(mask, &text, &length);
    if (!platform::writeFileAtomically(path, text, length)) {
        Tov::LogLine("ERROR") << "CVar::saveConfigFile" << ": cannot write " << path;
        return false;
    }
    return true;
}
