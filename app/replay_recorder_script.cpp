// The script class "ReplayRecorder" and the function "replay_recorder".
#include <lua.hpp>

#include "app/replay_recorder.h"
#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_registry.h"

namespace {

using ScriptBinding::ClassDescriptor;

ReplayRecorder* recorderArg(lua_State* L) { return ScriptBinding::getArg<ReplayRecorder>(L, 1); }

int recorderLoad(lua_State* L) {
    ReplayRecorder* recorder = recorderArg(L);
    const char* file = ScriptBinding::getStringArg(L, 2);
    if (recorder && file) recorder->load(file);
    return 0;
}

int recorderSave(lua_State* L) {
    ReplayRecorder* recorder = recorderArg(L);
    const char* file = ScriptBinding::getStringArg(L, 2);
    if (recorder && file) recorder->save(file);
    return 0;
}

int recorderReset(lua_State* L) {
    if (ReplayRecorder* recorder = recorderArg(L)) recorder->reset();
    return 0;
}

int recorderStartRecord(lua_State* L) {
    if (ReplayRecorder* recorder = recorderArg(L)) recorder->startRecord();
    return 0;
}

int recorderStartPlay(lua_State* L) {
    if (ReplayRecorder* recorder = recorderArg(L)) recorder->startPlay();
    return 0;
}

// replay_recorder(): the one recorder, by reference (nil while there is none).
int recorderObject(lua_State* L) {
    ScriptBinding::push(L, ReplayRecorder::instance());
    return 1;
}

void describeReplayRecorder(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "load", recorderLoad);
    ScriptBinding::addMethod(cls, "save", recorderSave);
    ScriptBinding::addMethod(cls, "reset", recorderReset);
    ScriptBinding::addMethod(cls, "startRecord", recorderStartRecord);
    ScriptBinding::addMethod(cls, "startPlay", recorderStartPlay);
}

const ScriptFunctionRegistration kFunction("replay_recorder", recorderObject);

// The object size scripts see for a recorder handle.
constexpr uint32_t kScriptObjectSize = 56;

}  // namespace

ClassDescriptor* ReplayRecorder::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = [] {
        ScriptBinding::registerClass(&cls, "ReplayRecorder", nullptr, 0, kScriptObjectSize,
                                     &ScriptBinding::allocateCopy);
        describeReplayRecorder(&cls);
        return &cls;
    }();
    return registered;
}
