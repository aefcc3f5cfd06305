#include "ClassFactory.h"

#include "DirectShow.h"
#include "DvdGraphBuilder.h"
#include "NavigatorFilter.h"

namespace lumanav {

HRESULT ClassFactory::forClass(REFCLSID clsid, REFIID iid, void** result)
{
    if (!result) return E_POINTER;
    *result = nullptr;
    Creator create = nullptr;
    if (IsEqualCLSID(clsid, CLSID_DvdGraphBuilder)) create = &DvdGraphBuilder::create;
    else if (IsEqualCLSID(clsid, CLSID_DVDNavigator)) create = &NavigatorFilter::create;
    else return CLASS_E_CLASSNOTAVAILABLE;
    auto factory = makeObject<ClassFactory>(create);
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(iid, result);
}

HRESULT ClassFactory::QueryInterface(REFIID iid, void** result)
{
    if (!result) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) return answerInterface<IClassFactory>(this, result);
    *result = nullptr;
    return E_NOINTERFACE;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** result)
{
    if (!result) return E_POINTER;
    *result = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(iid, result);
}

HRESULT ClassFactory::LockServer(BOOL lock)
{
    Module::lockServer(lock != FALSE);
    return S_OK;
}

}  // namespace lumanav
