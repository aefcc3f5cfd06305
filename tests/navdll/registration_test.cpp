// The DLL as an in-process COM server: its classes reached through the manifest it carries,
// ahead of the platform's registered ones and with nothing written anywhere, as the player
// reaches them; and, for whoever registers it, through the registry.

#include "Harness.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <iterator>

using namespace navtest;

namespace {

std::wstring classKey(REFCLSID clsid)
{
    wchar_t id[40] = {};
    StringFromGUID2(clsid, id, static_cast<int>(std::size(id)));
    return std::wstring(L"CLSID\\") + id;
}

std::wstring readValue(REFCLSID clsid, const wchar_t* name)
{
    const std::wstring key = classKey(clsid) + L"\\InprocServer32";
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

// True when the object's code is this DLL's: its table of methods lies in the DLL's image.
bool fromThisDll(IUnknown* object)
{
    HMODULE module = nullptr;
    const auto methods = *reinterpret_cast<LPCWSTR*>(object);
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, methods,
                            &module))
        return false;
    return module == GetModuleHandleW(L"lumanav.dll");
}

ComPtr<IUnknown> create(REFCLSID clsid)
{
    ComPtr<IUnknown> object;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
    return object;
}

const CLSID* const bothClasses[] = {&CLSID_DvdGraphBuilder, &CLSID_DVDNavigator};

// Registering writes over the platform's entries of both classes: they are kept aside and put
// back, so the prefix the other suites share keeps the platform's classes.
class Registration : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(NavigatorDll::instance().loaded());
        RegDeleteTreeW(HKEY_CURRENT_USER, kAside.c_str());
        for (const CLSID* clsid : bothClasses) {
            HKEY copy = nullptr;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, aside(*clsid).c_str(), 0, nullptr, 0,
                                                     KEY_ALL_ACCESS, nullptr, &copy, nullptr));
            if (RegCopyTreeW(HKEY_CLASSES_ROOT, classKey(*clsid).c_str(), copy) != ERROR_SUCCESS)
                RegDeleteTreeW(HKEY_CURRENT_USER, aside(*clsid).c_str());  // the platform has none
            RegCloseKey(copy);
        }
    }

    void TearDown() override
    {
        for (const CLSID* clsid : bothClasses) {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, classKey(*clsid).c_str());
            HKEY kept = nullptr;
            if (RegOpenKeyExW(HKEY_CURRENT_USER, aside(*clsid).c_str(), 0, KEY_READ, &kept) != ERROR_SUCCESS) continue;
            HKEY entry = nullptr;
            if (RegCreateKeyExW(HKEY_CLASSES_ROOT, classKey(*clsid).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &entry,
                                nullptr) == ERROR_SUCCESS) {
                RegCopyTreeW(kept, nullptr, entry);
                RegCloseKey(entry);
            }
            RegCloseKey(kept);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kAside.c_str());
    }

    static std::wstring aside(REFCLSID clsid) { return kAside + L"\\" + classKey(clsid); }
    static inline const std::wstring kAside = L"Software\\Lumadisc tests";
};

}  // namespace

TEST(ClassContext, CreatesTheDllsClassesAheadOfThePlatformsWhileActiveAndWritesNothing)
{
    ASSERT_TRUE(NavigatorDll::instance().loaded());
    ASSERT_FALSE(navigatorClasses().Empty());
    for (const CLSID* clsid : bothClasses)
        ASSERT_EQ(std::wstring::npos, lower(readValue(*clsid, nullptr)).find(L"lumanav")) << "registered in this prefix";

    for (const CLSID* clsid : bothClasses) {
        ComPtr<IUnknown> ours;
        {
            const graph::TClassActivation classes(navigatorClasses());
            ours = create(*clsid);
        }
        ASSERT_TRUE(ours);
        EXPECT_TRUE(fromThisDll(ours.Get()));
        // Once the context is let go, the same call reaches the platform's class again.
        const ComPtr<IUnknown> platforms = create(*clsid);
        EXPECT_TRUE(!platforms || !fromThisDll(platforms.Get()));
        EXPECT_EQ(std::wstring::npos, lower(readValue(*clsid, nullptr)).find(L"lumanav"));
    }
    // What the activation left behind on this thread: nothing.
    HANDLE active = nullptr;
    ASSERT_TRUE(GetCurrentActCtx(&active));
    EXPECT_NE(navigatorClasses().Handle(), active);
    if (active) ReleaseActCtx(active);
}

TEST(ClassContext, AMissingDllOrOneWithoutItsManifestLeavesThePlatformsClasses)
{
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    for (const std::wstring& path : {std::wstring(L"C:\\nowhere\\lumanav.dll"), std::wstring(system) + L"\\kernel32.dll"}) {
        const graph::TClassContext classes(path);
        EXPECT_TRUE(classes.Empty()) << path;
        const graph::TClassActivation none(classes);
        const ComPtr<IUnknown> builder = create(CLSID_DvdGraphBuilder);
        EXPECT_TRUE(!builder || !fromThisDll(builder.Get())) << path;
    }
}

TEST_F(Registration, NamesThisDllAsTheServerOfBothClassesAndUnregisteringRemovesThem)
{
    ASSERT_EQ(S_OK, NavigatorDll::instance().registerServer());
    for (const CLSID* clsid : bothClasses) {
        EXPECT_EQ(lower(loadedDllPath()), lower(readValue(*clsid, nullptr)));
        EXPECT_EQ(L"Both", readValue(*clsid, L"ThreadingModel"));
    }
    ASSERT_EQ(S_OK, NavigatorDll::instance().unregisterServer());
    EXPECT_EQ(L"", readValue(CLSID_DvdGraphBuilder, nullptr));
    EXPECT_EQ(L"", readValue(CLSID_DVDNavigator, nullptr));
    // Unregistering twice finds nothing to remove, which is no failure.
    EXPECT_EQ(S_OK, NavigatorDll::instance().unregisterServer());
}

TEST_F(Registration, TheRegisteredClassesAreTheOnesCreated)
{
    ASSERT_EQ(S_OK, NavigatorDll::instance().registerServer());

    // No activation context and no in-process registration here: CoCreateInstance reads the registry.
    ComPtr<IBaseFilter> navigator;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DVDNavigator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&navigator)));
    EXPECT_TRUE(fromThisDll(navigator.Get()));
    ComPtr<IDvdInfo2> info;
    EXPECT_EQ(S_OK, navigator.As(&info));

    ComPtr<IDvdGraphBuilder> builder;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DvdGraphBuilder, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&builder)));
    EXPECT_TRUE(fromThisDll(builder.Get()));
    ComPtr<IGraphBuilder> graph;
    EXPECT_EQ(S_OK, builder->GetFiltergraph(&graph)) << "the platform's stub answers E_NOTIMPL for the graph";
}

TEST(ServerLifetime, TheServerStaysLoadedWhileItsObjectsLive)
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
