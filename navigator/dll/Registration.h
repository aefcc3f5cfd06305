#pragma once
// Registration of the two classes under HKEY_CLASSES_ROOT\CLSID, pointing at this DLL.

#include <windows.h>

#include <string>

namespace lumanav {

HRESULT registerServer(const std::wstring& modulePath);
HRESULT unregisterServer();

}  // namespace lumanav
