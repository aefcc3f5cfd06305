// The DLL as an in-process COM server: its registration, and the classes reached through the
// registry as the unchanged player reaches them.

#include "Harness.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <iterator>

using namespace navtest;

namespace {

std::wstring readValue(REFCLSID clsid, const wchar_t* name)
{
    wchar_t id[40] = {};
    StringFromGUID2(clsid, id, static_cast<int>(std::size(id)));
    const std::wstring key = std::wstring(L"CLSID\\") + id + L"\\InprocServer32";
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return {};
    return value;
}

std::wstring lower(std::wstring text)
{
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring loadedDllPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"lumanav.dll"), path, MAX_PATH);
    return path;
}

}  // namespace

TEST(Registration, NamesThisDllAsTheServerOfBothClassesWithThreadingModelBoth)
{
    ASSERT_TRUE(NavigatorDll::instance().loaded());
    ASSERT_EQ(S_OK, NavigatorDll::instance().registerServer());
    for (const CLSID* clsid : {&CLSID_DvdGraphBuilder, &CLSID_DVDNavigator}) {
        EXPECT_EQ(lower(loadedDllPath()), lower(readValue(*clsid, nullptr)));
        EXPECT_EQ(L"Both", readValue(*clsid, L"ThreadingModel"));
    }
}

TEST(Registration, UnregisteringRemovesBothClasses)
{
    ASSERT_TRUE(NavigatorDll::instance().loaded());
    ASSERT_EQ(S_OK, NavigatorDll::instance().unregisterServer());
    EXPECT_EQ(L"", readValue(CLSID_DvdGraphBuilder, nullptr));
    EXPECT_EQ(L"", readValue(CLSID_DVDNavigator, nullptr));
    // Unregistering twice finds nothing to remove, which is no failure.
    EXPECT_EQ(S_OK, NavigatorDll::instance().unregisterServer());
    // The prefix is shared with the player's tests: put the registration back.
    ASSERT_EQ(S_OK, NavigatorDll::instance().registerServer());
}

TEST(Registration, TheRegisteredClassesAreTheOnesCreated)
{
    ASSERT_TRUE(NavigatorDll::instance().loaded());
    ASSERT_EQ(S_OK, NavigatorDll::instance().registerServer());

    // No in-process registration here: CoCreateInstance reads the registry.
    ComPtr<IBaseFilter> navigator;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DVDNavigator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&navigator)));
    ComPtr<IDvdInfo2> info;
    EXPECT_EQ(S_OK, navigator.As(&info));

    DvdPlayback playback;
    ASSERT_TRUE(playback.ready()) << "the platform's stub answers E_NOTIMPL for the graph";
    EXPECT_EQ(S_OK, playback.render(disc(L"sample")));
    EXPECT_TRUE(playback.dvd());
}

TEST(Registration, TheServerStaysLoadedWhileItsObjectsLive)
{
    ASSERT_TRUE(NavigatorDll::instance().loaded());
    {
        ClassRegistration classes;
        EXPECT_EQ(S_FALSE, NavigatorDll::instance().canUnloadNow()) << "the registered class objects are alive";
    }
    EXPECT_EQ(S_OK, NavigatorDll::instance().canUnloadNow());
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, NavigatorDll::instance().classObject(CLSID_DvdGraphBuilder, &factory));
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, NavigatorDll::instance().canUnloadNow());
    ASSERT_EQ(S_OK, NavigatorDll::instance().classObject(CLSID_DvdGraphBuilder, &factory));
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(S_OK, NavigatorDll::instance().canUnloadNow());
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, NavigatorDll::instance().classObject(CLSID_FilterGraph, &factory));
}
