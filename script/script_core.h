#pragma once
// The game's one Lua state and everything that runs Lua code: start and close, running text
// buffers and script files (through the virtual file system), the list of files run so far,
// protected calls of script functions from native code, and the one sink of script errors.
#include <cstddef>
#include <lua.hpp>
#include <string>
#include <vector>

// Result codes of running a buffer or a file.
enum ScriptResult : int {
    kScriptOk = 0,
    kScriptRunError = 1,     // raised while the chunk ran
    kScriptSyntaxError = 2,  // while loading, or no text at all
    kScriptNoName = 3,
    kScriptNoFile = 4,   // not reported here: the caller logs its own message
    kScriptFailure = 5,  // out of memory, error in the error handler, unreadable file
};

// The state every operation outside a script call works on: the main state, or the coroutine
// that resumeThread is running. Null before start and after close.
lua_State* currentScriptState();

// Creates the state with the eight standard libraries, the registered functions, classes and
// constants and the coroutine globals. False (logged) when the state cannot be made.
[[nodiscard]] bool startScriptState();
void closeScriptState();

// Runs a text as a chunk on the current state; length 0 means NUL-terminated. Errors go to the
// global _ALERT (or standard error when it is no function). Whatever the chunk returns is dropped.
int runScriptBuffer(const char* text, size_t length, const char* chunkName);
// The same with one text handed to the chunk as its argument (read there as `...`): a name from
// data reaches the script intact, never as part of the chunk's source.
int runScriptBufferWithText(const char* text, size_t length, const char* chunkName, const std::string& argument);
// Runs a file found in the virtual file system and records its name for recompiling.
int runScriptFile(const char* fileName);
// Runs every recorded file again; true when all succeeded (or none is recorded).
bool recompileAllScriptFiles();
// The names runScriptFile was asked to run, in the order of their first run.
const std::vector<std::string>& scriptRunFiles();

// The one sink of script error texts: a console line and an ERROR log message.
void reportScriptError(const char* text);

// Prints the fields of the table at index to the console, nested tables indented by their
// "key={" ... "}" lines; shared and cyclic tables are printed once.
void dumpScriptTable(lua_State* L, int index);

namespace script {

// The same runs on a given state (native functions use the state they are called with).
int runBuffer(lua_State* L, const char* text, size_t length, const char* chunkName);
// With a text argument for the chunk; null runs it without arguments.
int runBufferWithText(lua_State* L, const char* text, size_t length, const char* chunkName,
                      const std::string* argument);
int runFile(lua_State* L, const char* fileName);

// Installs createNewThread, resumeThread and yieldThread as globals.
void registerCoroutineFunctions(lua_State* L);

// Identifies the state a registry reference belongs to; changes with every start.
unsigned stateGeneration();

}  // namespace script

namespace ScriptBinding {

// Protected call of the function below the n arguments on top of the current state; one result
// is kept. A failure is reported and popped. Returns Lua's status (0 success).
int callFunction(int argumentCount);
// callFunction, then the stack back to where it was before the function was pushed.
int callAndClear(int argumentCount);

// Registry references on the current state; -1 stands for none.
int refGlobal(const char* name);
int copyRef(int ref);
void pushRef(int ref);
void unref(int ref);
void clearStack();

// Walk over the string names of the global table (for console completion): the first name, then
// each next one, null at the end. The position is kept by the state, not on its stack.
const char* topGlobalName();
const char* globalNameOf();

}  // namespace ScriptBinding
