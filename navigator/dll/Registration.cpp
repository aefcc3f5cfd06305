#include "Registration.h"

#include "DirectShow.h"

#include <olectl.h>

#include <iterator>

namespace lumanav {
namespace {

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* name;
};

const ClassEntry classes[] = {
    {&CLSID_DvdGraphBuilder, L"DVD Graph Builder"},
    {&CLSID_DVDNavigator, L"DVD Navigator"},
};

std::wstring classKey(const CLSID& clsid)
{
    wchar_t text[40] = {};
    StringFromGUID2(clsid, text, static_cast<int>(std::size(text)));
    return std::wstring(L"CLSID\\") + text;
}

HRESULT setString(HKEY root, const std::wstring& subkey, const wchar_t* name, const std::wstring& value)
{
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const LSTATUS status = RegSetKeyValueW(root, subkey.c_str(), name, REG_SZ, value.c_str(), bytes);
    return HRESULT_FROM_WIN32(status);
}

}  // namespace

HRESULT registerServer(const std::wstring& modulePath)
{
    if (modulePath.empty()) return SELFREG_E_CLASS;
    for (const ClassEntry& entry : classes) {
        const std::wstring key = classKey(*entry.clsid);
        const std::wstring server = key + L"\\InprocServer32";
        HRESULT hr = setString(HKEY_CLASSES_ROOT, key, nullptr, entry.name);
        if (SUCCEEDED(hr)) hr = setString(HKEY_CLASSES_ROOT, server, nullptr, modulePath);
        if (SUCCEEDED(hr)) hr = setString(HKEY_CLASSES_ROOT, server, L"ThreadingModel", L"Both");
        if (FAILED(hr)) return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT unregisterServer()
{
    HRESULT result = S_OK;
    for (const ClassEntry& entry : classes) {
        const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, classKey(*entry.clsid).c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result = SELFREG_E_CLASS;
    }
    return result;
}

}  // namespace lumanav
