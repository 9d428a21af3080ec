#include "script/script_core.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/log_stream.h"
#include "script/console_sink.h"
#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_function.h"
#include "script/script_registry.h"
#include "vfs/vfs_manager.h"

namespace {

lua_State* g_mainState = nullptr;
lua_State* g_currentState = nullptr;
unsigned g_stateGeneration = 0;

std::vector<std::string>& runFiles() {
    static std::vector<std::string> files;
    return files;
}

// Registry slot of the global-name walk's position.
char g_globalWalkKey;

// Precompiled chunks skip the parser's checks and can break the virtual machine; scripts are
// always source text.
bool isBinaryChunk(const char* text, size_t length) {
    return length >= std::strlen(LUA_SIGNATURE) &&
           std::memcmp(text, LUA_SIGNATURE, std::strlen(LUA_SIGNATURE)) == 0;
}

// The error value at index as text (error objects need not be strings), made without Lua
// allocations so that it works after running out of memory.
std::string errorText(lua_State* L, int index) {
    switch (lua_type(L, index)) {
        case LUA_TSTRING: {
            size_t length = 0;
            const char* text = lua_tolstring(L, index, &length);
            return std::string(text, length);
        }
        case LUA_TNUMBER: {
            char buffer[LUAI_MAXNUMBER2STR];
            std::snprintf(buffer, sizeof buffer, LUA_NUMBER_FMT, lua_tonumber(L, index));
            return buffer;
        }
        default:
            return std::string("(error object is a ") + luaL_typename(L, index) + " value)";
    }
}

struct AlertCall {
    const std::string* message;
    bool handled = false;  // _ALERT was a function and ran
    std::string failure;   // what _ALERT raised
};

// Runs protected: looking up and calling the script's _ALERT may itself fail.
int callAlert(lua_State* L) {
    AlertCall* call = static_cast<AlertCall*>(lua_touserdata(L, 1));
    lua_pushstring(L, "_ALERT");
    lua_rawget(L, LUA_GLOBALSINDEX);
    if (!lua_isfunction(L, -1)) return 0;
    lua_pushlstring(L, call->message->data(), call->message->size());
    if (lua_pcall(L, 1, 0, 0) != 0) {
        call->failure = errorText(L, -1);
        return 0;
    }
    call->handled = true;
    return 0;
}

// Passes the error message on top to the script's _ALERT, or to standard error when _ALERT is no
// function or fails itself.
void alert(lua_State* L) {
    std::string message = errorText(L, -1);
    AlertCall call{&message, false, {}};
    if (lua_cpcall(L, callAlert, &call) != 0) {
        call.failure = errorText(L, -1);
        lua_pop(L, 1);
    }
    if (call.handled) return;
    std::fprintf(stderr, "%s\n", message.c_str());
    if (!call.failure.empty()) {
        std::fprintf(stderr, "%s\n", call.failure.c_str());
        Tov::LogLine("ERROR") << "_ALERT failed: " << call.failure << " (reporting: " << message << ")";
    }
}

int resultCode(int status) {
    switch (status) {
        case 0:
            return kScriptOk;
        case LUA_ERRRUN:
            return kScriptRunError;
        case LUA_ERRSYNTAX:
            return kScriptSyntaxError;
        default:
            return kScriptFailure;
    }
}

int panicHandler(lua_State* L) {
    const char* text = lua_tostring(L, -1);
    Tov::LogLine("ERROR") << "Lua: unprotected error: " << (text ? text : "?");
    return 0;
}

int openState(lua_State* L) {
    luaL_openlibs(L);
    registerScriptFunctions(L);
    ScriptBinding::buildClasses(L);
    registerScriptConstants(L);
    script::registerCoroutineFunctions(L);
    return 0;
}

// Walks one step from the position kept in the registry; light userdata 1 receives the name.
int nextGlobalName(lua_State* L) {
    const char** name = static_cast<const char**>(lua_touserdata(L, 1));
    *name = nullptr;
    lua_pushlightuserdata(L, &g_globalWalkKey);
    lua_rawget(L, LUA_REGISTRYINDEX);
    while (lua_next(L, LUA_GLOBALSINDEX)) {
        lua_pop(L, 1);
        if (lua_type(L, -1) == LUA_TSTRING) {
            *name = lua_tostring(L, -1);
            lua_pushlightuserdata(L, &g_globalWalkKey);
            lua_pushvalue(L, -2);
            lua_rawset(L, LUA_REGISTRYINDEX);  // keeps the name's string alive too
            return 0;
        }
    }
    lua_pushlightuserdata(L, &g_globalWalkKey);
    lua_pushnil(L);
    lua_rawset(L, LUA_REGISTRYINDEX);
    return 0;
}

}  // namespace

lua_State* currentScriptState() { return g_currentState; }

namespace script {

void setCurrentScriptState(lua_State* L) { g_currentState = L; }
unsigned stateGeneration() { return g_stateGeneration; }

int runBuffer(lua_State* L, const char* text, size_t length, const char* chunkName) {
    return runBufferWithText(L, text, length, chunkName, nullptr);
}

int runBufferWithText(lua_State* L, const char* text, size_t length, const char* chunkName,
                      const std::string* argument) {
    if (!L) return kScriptFailure;
    if (!text) return kScriptSyntaxError;
    if (length == 0) length = std::strlen(text);
    int top = lua_gettop(L);
    int status;
    if (isBinaryChunk(text, length)) {
        lua_pushfstring(L, "%s: precompiled chunks are not run", chunkName ? chunkName : "?");
        status = LUA_ERRSYNTAX;
    } else {
        status = luaL_loadbuffer(L, text, length, chunkName);
        if (status == 0) {
            if (argument) lua_pushlstring(L, argument->data(), argument->size());
            status = lua_pcall(L, argument ? 1 : 0, LUA_MULTRET, 0);
        }
    }
    if (status != 0) alert(L);
    lua_settop(L, top);
    return resultCode(status);
}

int runFile(lua_State* L, const char* fileName) {
    if (!fileName) return kScriptNoName;
    VFS::VFSManager* vfs = VFS::VFSManager::instance();
    VFS::FilePtr file =
        vfs ? vfs->findFile(fileName, VFS::VFSManager::kByName | VFS::VFSManager::kByPath) : VFS::FilePtr();
    if (file.isNull()) return kScriptNoFile;
    int result;
    uint32_t size = file->size();
    const uint8_t* bytes = size ? file->map(0, 0) : reinterpret_cast<const uint8_t*>("");
    if (!bytes) {
        Tov::LogLine("ERROR") << "runScriptFile: cannot read " << fileName;
        result = kScriptFailure;
    } else {
        // An empty file is an empty chunk, not a NUL-terminated text.
        result = size ? runBuffer(L, reinterpret_cast<const char*>(bytes), size, fileName) : kScriptOk;
        if (size) file->release();
    }
    std::vector<std::string>& files = runFiles();
    if (std::find(files.begin(), files.end(), fileName) == files.end()) files.emplace_back(fileName);
    return result;
}

}  // namespace script

bool startScriptState() {
    if (g_mainState) closeScriptState();
    lua_State* L = luaL_newstate();
    if (!L) {
        Tov::LogLine("ERROR") << "startScriptState: cannot create the Lua state";
        return false;
    }
    lua_atpanic(L, panicHandler);
    ScriptBinding::setStrictArguments(false);
    ++g_stateGeneration;
    g_mainState = g_currentState = L;
    if (lua_cpcall(L, openState, nullptr) != 0) {
        Tov::LogLine("ERROR") << "startScriptState: " << errorText(L, -1);
        closeScriptState();
        return false;
    }
    lua_settop(L, 0);
    return true;
}

void closeScriptState() {
    if (!g_mainState) return;
    lua_State* L = g_mainState;
    g_mainState = g_currentState = nullptr;
    ++g_stateGeneration;
    lua_close(L);
}

int runScriptBuffer(const char* text, size_t length, const char* chunkName) {
    return script::runBuffer(g_currentState, text, length, chunkName);
}

int runScriptBufferWithText(const char* text, size_t length, const char* chunkName, const std::string& argument) {
    return script::runBufferWithText(g_currentState, text, length, chunkName, &argument);
}

int runScriptFile(const char* fileName) {
    if (!g_currentState) return fileName ? kScriptFailure : kScriptNoName;
    return script::runFile(g_currentState, fileName);
}

bool recompileAllScriptFiles() {
    bool allRan = true;
    // Files first run by the recompiled scripts themselves have just run; the walk stops at the
    // count it started with.
    size_t count = runFiles().size();
    for (size_t i = 0; i < count; ++i) {
        std::string name = runFiles()[i];
        if (runScriptFile(name.c_str()) != kScriptOk) allRan = false;
    }
    return allRan;
}

const std::vector<std::string>& scriptRunFiles() { return runFiles(); }

void reportScriptError(const char* text) {
    if (!text) text = "";
    script::consolePrint(text);
    Tov::LogLine("ERROR") << text;
}

namespace ScriptBinding {

int callFunction(int argumentCount) {
    lua_State* L = g_currentState;
    if (!L) return LUA_ERRRUN;
    if (argumentCount < 0 || lua_gettop(L) < argumentCount + 1) {
        Tov::LogLine("ERROR") << "ScriptBinding::callFunction: " << argumentCount
                              << " arguments but no function";
        return LUA_ERRRUN;
    }
    int status = lua_pcall(L, argumentCount, 1, 0);
    if (status != 0) {
        reportScriptError(errorText(L, -1).c_str());
        lua_pop(L, 1);
    }
    return status;
}

int callAndClear(int argumentCount) {
    lua_State* L = g_currentState;
    if (!L) return LUA_ERRRUN;
    int base = std::max(0, lua_gettop(L) - argumentCount - 1);
    int status = callFunction(argumentCount);
    lua_settop(L, base);
    return status;
}

int refGlobal(const char* name) {
    lua_State* L = g_currentState;
    if (!L || !name) return -1;
    lua_pushstring(L, name);
    lua_rawget(L, LUA_GLOBALSINDEX);
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        return -1;
    }
    return luaL_ref(L, LUA_REGISTRYINDEX);
}

int copyRef(int ref) {
    lua_State* L = g_currentState;
    if (!L || ref < 0) return -1;
    lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
    return luaL_ref(L, LUA_REGISTRYINDEX);
}

void pushRef(int ref) {
    lua_State* L = g_currentState;
    if (!L) return;
    if (ref < 0)
        lua_pushnil(L);
    else
        lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
}

void unref(int ref) {
    if (g_currentState && ref >= 0) luaL_unref(g_currentState, LUA_REGISTRYINDEX, ref);
}

void clearStack() {
    if (g_currentState) lua_settop(g_currentState, 0);
}

const char* topGlobalName() {
    lua_State* L = g_mainState;
    if (!L) return nullptr;
    lua_pushlightuserdata(L, &g_globalWalkKey);
    lua_pushnil(L);
    lua_rawset(L, LUA_REGISTRYINDEX);
    return globalNameOf();
}

const char* globalNameOf() {
    lua_State* L = g_mainState;
    if (!L) return nullptr;
    const char* name = nullptr;
    if (lua_cpcall(L, nextGlobalName, &name) != 0) {
        // The remembered name was removed from the globals: the walk ends.
        lua_pop(L, 1);
        name = nullptr;
    }
    return name;
}

}  // namespace ScriptBinding

namespace script {

FunctionHandle::~FunctionHandle() { FunctionHandle::release(); }

void FunctionHandle::bind(const char* name) {
    release();
    m_ref = ScriptBinding::refGlobal(name);
    m_generation = g_stateGeneration;
}

void FunctionHandle::release() {
    // A reference of a closed state is gone with it.
    if (m_ref >= 0 && m_generation == g_stateGeneration) ScriptBinding::unref(m_ref);
    m_ref = -1;
}

bool FunctionHandle::isBound() const {
    return m_ref >= 0 && m_generation == g_stateGeneration && g_currentState;
}

}  // namespace script
