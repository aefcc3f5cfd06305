#pragma once
// A small base for the tests' own COM objects: counted references, interface lookup over
// the listed interfaces, deletion at the last release.

#include <atomic>
#include <tuple>

#include "graph/DirectShow.h"

namespace testsupport {

template <class... Interfaces> class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = Find(iid);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

    // Subclasses answering more identities (base interfaces) extend this.
    virtual void* Find(REFIID iid)
    {
        using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
        if (iid == __uuidof(IUnknown)) return static_cast<IUnknown*>(static_cast<First*>(this));
        void* found = nullptr;
        ((found = found ? found : (iid == __uuidof(Interfaces) ? static_cast<Interfaces*>(this) : nullptr)), ...);
        return found;
    }

private:
    std::atomic<ULONG> references_{0};
};

}  // namespace testsupport
