#pragma once
// The enumerators a filter hands out for its pins and a pin for its media types: a fixed
// list taken when the enumerator is made.

#include "ComObject.h"
#include "DirectShow.h"
#include "MediaType.h"

#include <vector>

namespace lumanav {

template <class Interface, class Element, class Item, Element* (*hand)(const Item&)>
class ListEnumerator final : public ComObject<Interface> {
public:
    ListEnumerator(std::vector<Item> items, size_t position = 0) : items_(std::move(items)), position_(position) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override
    {
        if (!result) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) return answerInterface<Interface>(this, result);
        *result = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Element** elements, ULONG* fetched) override
    {
        if (!elements || (count > 1 && !fetched)) return E_POINTER;
        ULONG given = 0;
        while (given < count && position_ < items_.size()) {
            Element* element = hand(items_[position_]);
            if (!element) break;
            elements[given++] = element;
            ++position_;
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const size_t left = items_.size() - position_;
        if (count > left) {
            position_ = items_.size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Reset() override
    {
        position_ = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(Interface** result) override
    {
        if (!result) return E_POINTER;
        auto copy = makeObject<ListEnumerator>(items_, position_);
        *result = copy.Detach();
        return *result ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::vector<Item> items_;
    size_t position_;
};

inline IPin* handPin(const ComPtr<IPin>& pin)
{
    pin->AddRef();
    return pin.Get();
}

inline AM_MEDIA_TYPE* handMediaType(const MediaType& type) { return type.allocateCopy(); }

// Pins count their references with their filter, so the list keeps the filter alive.
using PinEnumerator = ListEnumerator<IEnumPins, IPin, ComPtr<IPin>, &handPin>;
using MediaTypeEnumerator = ListEnumerator<IEnumMediaTypes, AM_MEDIA_TYPE, MediaType, &handMediaType>;

}  // namespace lumanav
