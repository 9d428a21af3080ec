// One frame's poll with full device rings, and the cost of an SDL event on its way into a ring.
#include <benchmark/benchmark.h>

#include "input/direct_input.h"
#include "platform/input/dinput.h"

namespace {

using platform::InputDeviceKind;

// A poll over 16 key records and 64 mouse records (movement, presses, releases, wheel).
void BM_PollFullRings(benchmark::State& state) {
    CDirectInput8 input;
    input.createInterface(nullptr);
    int events = 0;
    input.createKeyboard(nullptr, [&](KeyEvent*) { ++events; });
    input.createMouse(nullptr, 300, [&](MouseEvent*) { ++events; });
    input.acquire();
    for (auto _ : state) {
        for (int i = 0; i < 16; ++i) platform::injectInputRecord(InputDeviceKind::Keyboard, 0x10 + i / 2, i % 2 ? 0 : 0x80);
        for (int i = 0; i < 64; ++i) {
            const DWORD offset = i % 8 == 7 ? DIMOFS_Z : i % 8 == 6 ? DIMOFS_BUTTON0 : (i % 2 ? DIMOFS_Y : DIMOFS_X);
            platform::injectInputRecord(InputDeviceKind::Mouse, offset, offset == DIMOFS_BUTTON0 ? (i % 16 ? 0 : 0x80) : 3);
        }
        input.update();
    }
    benchmark::DoNotOptimize(events);
    state.SetItemsProcessed(state.iterations() * 80);
}
BENCHMARK(BM_PollFullRings);

// Pushing an SDL event runs the layer's watch, which translates and stores the record.
void BM_SdlKeyEventIntoRing(benchmark::State& state) {
    void* out = nullptr;
    DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr);
    auto* di = static_cast<IDirectInput8*>(out);
    IDirectInputDevice8* keyboard = nullptr;
    di->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr);
    keyboard->SetDataFormat(&c_dfDIKeyboard);
    keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    DIPROPDWORD p{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 16};
    keyboard->SetProperty(DIPROP_BUFFERSIZE, &p.diph);
    keyboard->Acquire();
    constexpr int kScancodeA = 4;  // SDL_SCANCODE_A
    DIDEVICEOBJECTDATA data[16];
    for (auto _ : state) {
        for (int i = 0; i < 16; ++i) {
            if (!platform::pushKeyEvent(kScancodeA, true)) {
                state.SkipWithError("SDL's event queue refused a key event");
                return;
            }
        }
        DWORD count = 16;
        keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0);
        platform::flushInputEvents();
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * 16);
    keyboard->Release();
    di->Release();
}
BENCHMARK(BM_SdlKeyEventIntoRing);

}  // namespace
