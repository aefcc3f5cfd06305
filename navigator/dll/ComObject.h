#pragma once
// Reference counting shared by every object the DLL hands out. Each live object keeps the
// module loaded, so DllCanUnloadNow can answer truthfully.

#include "Module.h"

#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <atomic>
#include <new>
#include <utility>

namespace lumanav {

template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() { Module::objectCreated(); }
    virtual ~ComObject() { Module::objectDestroyed(); }

private:
    std::atomic<ULONG> references_{1};
};

// Creates an object with its first reference owned by the returned pointer; empty when
// memory runs out, since no exception may cross a COM boundary.
template <class T, class... Args>
Microsoft::WRL::ComPtr<T> makeObject(Args&&... args)
{
    T* created = new (std::nothrow) T(std::forward<Args>(args)...);
    // Not ComPtr::Attach: MinGW's counts a reference there, the Windows SDK's does not.
    Microsoft::WRL::ComPtr<T> object(created);
    if (created) created->Release();
    return object;
}

// Hands out `self` as the interface asked for, counted.
template <class I>
HRESULT answerInterface(I* self, void** result)
{
    self->AddRef();
    *result = self;
    return S_OK;
}

}  // namespace lumanav
