// The DLL's entry points: the four functions every in-process COM server exports.

#include "ClassFactory.h"
#include "Module.h"
#include "Registration.h"

#include <olectl.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        lumanav::Module::setHandle(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* result)
{
    return lumanav::ClassFactory::forClass(clsid, iid, result);
}

STDAPI DllCanUnloadNow()
{
    return lumanav::Module::canUnload() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    return lumanav::registerServer(lumanav::Module::path());
}

STDAPI DllUnregisterServer()
{
    return lumanav::unregisterServer();
}
