#pragma once
// The DLL as a COM server: which module it is, and whether anything still needs it loaded.

#include <windows.h>

#include <string>

namespace lumanav {

class Module {
public:
    static void setHandle(HMODULE module);
    // The file the classes are registered with (this DLL, or the executable it is linked into).
    static std::wstring path();

    static void objectCreated();
    static void objectDestroyed();
    static void lockServer(bool lock);
    static bool canUnload();
    static long liveObjects();
};

}  // namespace lumanav
