#pragma once
// The class objects of the two classes this server provides.

#include "ComObject.h"

namespace lumanav {

using Creator = HRESULT (*)(REFIID iid, void** result);

class ClassFactory final : public ComObject<IClassFactory> {
public:
    explicit ClassFactory(Creator create) : create_(create) {}

    // The class object for one of the class ids this DLL serves, or CLASS_E_CLASSNOTAVAILABLE.
    static HRESULT forClass(REFCLSID clsid, REFIID iid, void** result);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    Creator create_;
};

}  // namespace lumanav
