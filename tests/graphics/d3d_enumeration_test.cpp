// The enumeration over adapter tables that the test supplies.
#include "graphics/d3d_enumeration.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/graphics/fake_adapters.h"

using gfxtest::adapter;
using gfxtest::mode;

namespace {

template <class T>
std::vector<T> values(const ArrayList& list) {
    std::vector<T> out;
    for (UINT i = 0; i < list.count(); ++i) out.push_back(*static_cast<T*>(list.at(i)));
    return out;
}

struct Enumerated {
    IDirect3D9* d3d = nullptr;
    CD3DEnumeration e;
    explicit Enumerated(std::vector<platform::gfx::AdapterDesc> adapters, bool mixed = false,
                        ConfirmDeviceCallbackFn confirm = nullptr) {
        gfxtest::headless();
        gfxtest::ScopedAdapters table(std::move(adapters));
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        e.SetD3D(d3d);
        e.AppMinFullscreenWidth = 1024;
        e.AppMinFullscreenHeight = 768;
        e.AppUsesDepthBuffer = true;
        e.AppMinDepthBits = 24;
        e.AppMinStencilBits = 8;
        e.AppUsesMixedVP = mixed;
        e.ConfirmDeviceCallback = confirm;
        EXPECT_EQ(e.Enumerate(), S_OK);
    }
    ~Enumerated() {
        if (d3d) d3d->Release();
    }
    D3DAdapterInfo* adapterAt(UINT i) { return static_cast<D3DAdapterInfo*>(e.m_pAdapterInfoList.at(i)); }
    D3DDeviceInfo* hal() { return static_cast<D3DDeviceInfo*>(adapterAt(0)->deviceInfos.at(0)); }
    D3DDeviceCombo* combo(UINT i) { return static_cast<D3DDeviceCombo*>(hal()->deviceCombos.at(i)); }
};

TEST(ArrayListTest, GrowsByDoublingAndComparesValuesOrPointers) {
    ArrayList values(ArrayList::AL_VALUE, sizeof(int));
    for (int i = 0; i < 40; ++i) ASSERT_EQ(values.add(&i), S_OK);
    EXPECT_EQ(values.count(), 40u);
    int seven = 7, missing = 99;
    EXPECT_TRUE(values.contains(&seven));
    EXPECT_FALSE(values.contains(&missing));
    values.removeAt(0);
    EXPECT_EQ(*static_cast<int*>(values.at(0)), 1);
    EXPECT_EQ(values.at(39), nullptr);

    ArrayList pointers(ArrayList::AL_REFERENCE, 123);  // a list of pointers ignores the size
    int a = 1, b = 1;
    pointers.add(&a);
    EXPECT_TRUE(pointers.contains(&a));
    EXPECT_FALSE(pointers.contains(&b));
    EXPECT_EQ(pointers.at(0), &a);

    ArrayList empty(ArrayList::AL_VALUE, 0);
    EXPECT_EQ(empty.add(&a), E_FAIL);
}

TEST(Enumeration, SmallModesAreDroppedAndTheRestSorted) {
    Enumerated en({adapter({mode(1280, 720, 60), mode(800, 600, 60), mode(1024, 768, 75), mode(640, 480, 60),
                            mode(1024, 768, 60), mode(1024, 700, 60)})});
    ASSERT_EQ(en.e.m_pAdapterInfoList.count(), 1u);
    auto modes = values<D3DDISPLAYMODE>(en.adapterAt(0)->displayModes);
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[0].Width, 1024u);
    EXPECT_EQ(modes[0].RefreshRate, 60u);
    EXPECT_EQ(modes[1].RefreshRate, 75u);
}

TEST(Enumeration, TheFallbackSizeIsListedBelowTheMinimum) {
    gfxtest::headless();
    gfxtest::ScopedAdapters table({adapter({mode(1280, 720, 60), mode(1152, 720, 60), mode(1024, 768, 60)})});
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    CD3DEnumeration e;
    e.SetD3D(d3d);
    e.AppMinFullscreenWidth = 1024;
    e.AppMinFullscreenHeight = 768;
    e.AppFallbackFullscreenWidth = 1280;
    e.AppFallbackFullscreenHeight = 720;
    ASSERT_EQ(e.Enumerate(), S_OK);
    auto modes = values<D3DDISPLAYMODE>(static_cast<D3DAdapterInfo*>(e.m_pAdapterInfoList.at(0))->displayModes);
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[0].Width, 1024u);
    EXPECT_EQ(modes[1].Width, 1280u);
    d3d->Release();
}

TEST(Enumeration, OnlyBackBuffersWithEnoughAlphaFormCombinations) {
    Enumerated en({adapter({mode(1024, 768, 60)})});
    ASSERT_GT(en.hal()->deviceCombos.count(), 0u);
    for (UINT i = 0; i < en.hal()->deviceCombos.count(); ++i) {
        D3DDeviceCombo* c = en.combo(i);
        EXPECT_EQ(c->BackBufferFormat, D3DFMT_A8R8G8B8);
        EXPECT_EQ(values<D3DFORMAT>(c->depthStencilFormats), std::vector<D3DFORMAT>{D3DFMT_D24S8});
        EXPECT_EQ(values<D3DMULTISAMPLE_TYPE>(c->multiSampleTypes),
                  std::vector<D3DMULTISAMPLE_TYPE>{D3DMULTISAMPLE_NONE});
    }
    // Full screen first, then windowed.
    ASSERT_EQ(en.hal()->deviceCombos.count(), 2u);
    EXPECT_FALSE(en.combo(0)->IsWindowed);
    EXPECT_TRUE(en.combo(1)->IsWindowed);
}

TEST(Enumeration, VertexProcessingTypesFollowTheCapsAndTheCallback) {
    {
        Enumerated en({adapter({mode(1024, 768, 60)})});
        EXPECT_EQ(values<VertexProcessingType>(en.combo(0)->vertexProcessingTypes),
                  (std::vector<VertexProcessingType>{PURE_HARDWARE_VP, HARDWARE_VP, SOFTWARE_VP}));
    }
    {
        Enumerated en({adapter({mode(1024, 768, 60)})}, true);
        EXPECT_EQ(values<VertexProcessingType>(en.combo(0)->vertexProcessingTypes),
                  (std::vector<VertexProcessingType>{PURE_HARDWARE_VP, HARDWARE_VP, MIXED_VP, SOFTWARE_VP}));
    }
    {
        auto a = adapter({mode(1024, 768, 60)});
        a.caps.DevCaps = 0;
        Enumerated en({a});
        EXPECT_EQ(values<VertexProcessingType>(en.combo(0)->vertexProcessingTypes),
                  std::vector<VertexProcessingType>{SOFTWARE_VP});
    }
    {
        // A callback that refuses everything leaves no combination and so no adapter.
        Enumerated en({adapter({mode(1024, 768, 60)})}, false,
                      [](D3DCAPS9*, VertexProcessingType, D3DFORMAT) { return false; });
        EXPECT_EQ(en.e.m_pAdapterInfoList.count(), 0u);
    }
}

TEST(Enumeration, WindowedCombinationsNeverListTheSlowIntervals) {
    auto a = adapter({mode(1024, 768, 60)});
    a.caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_TWO | D3DPRESENT_INTERVAL_FOUR;
    Enumerated en({a});
    EXPECT_EQ(values<UINT>(en.combo(0)->presentIntervals),
              (std::vector<UINT>{D3DPRESENT_INTERVAL_DEFAULT, D3DPRESENT_INTERVAL_ONE, D3DPRESENT_INTERVAL_TWO,
                                 D3DPRESENT_INTERVAL_FOUR}));
    EXPECT_EQ(values<UINT>(en.combo(1)->presentIntervals),
              (std::vector<UINT>{D3DPRESENT_INTERVAL_DEFAULT, D3DPRESENT_INTERVAL_ONE}));
}

TEST(Enumeration, AdapterWithoutUsableDevicesIsDroppedAndReferenceDevicesListed) {
    auto bare = adapter({mode(1024, 768, 60)});
    bare.depthStencilFormats = {D3DFMT_D16};  // no 24-bit depth with 8 stencil bits
    auto withRef = adapter({mode(1024, 768, 60)});
    withRef.hasReference = true;
    Enumerated en({bare, withRef});
    ASSERT_EQ(en.e.m_pAdapterInfoList.count(), 1u);
    D3DAdapterInfo* info = en.adapterAt(0);
    EXPECT_EQ(info->AdapterOrdinal, 1);
    ASSERT_EQ(info->deviceInfos.count(), 2u);
    EXPECT_EQ(static_cast<D3DDeviceInfo*>(info->deviceInfos.at(0))->DevType, D3DDEVTYPE_HAL);
    EXPECT_EQ(static_cast<D3DDeviceInfo*>(info->deviceInfos.at(1))->DevType, D3DDEVTYPE_REF);
}

TEST(Enumeration, WithoutADirect3DObjectItFails) {
    CD3DEnumeration e;
    EXPECT_EQ(e.Enumerate(), E_FAIL);
}

}  // namespace
