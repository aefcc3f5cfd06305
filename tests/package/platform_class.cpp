// Another program in a prefix where Lumadisc is installed: which DVD graph builder does it get?
// Prints the file the class's code lives in; exits 0 when that is not lumanav.dll, 1 when it
// is, 2 when no class could be made at all.
#include <windows.h>
#include <objbase.h>
#include <uuids.h>

#include <cstdio>
#include <cwchar>

int wmain()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IUnknown* builder = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DvdGraphBuilder, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&builder)))) {
        std::printf("no DVD graph builder\n");
        return 2;
    }
    HMODULE module = nullptr;
    wchar_t file[MAX_PATH] = {};
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       *reinterpret_cast<LPCWSTR*>(builder), &module);
    GetModuleFileNameW(module, file, MAX_PATH);
    std::printf("DVD graph builder from %ls\n", file);
    const bool ours = std::wcsstr(_wcslwr(file), L"lumanav") != nullptr;
    builder->Release();
    CoUninitialize();
    return ours ? 1 : 0;
}
