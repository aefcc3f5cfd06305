#pragma once
// The command object a DVD command hands back. Commands here finish before they return,
// so waiting on one never blocks.

#include "ComObject.h"
#include "DirectShow.h"

namespace lumanav {

class DvdCommand final : public ComObject<IDvdCmd> {
public:
    explicit DvdCommand(HRESULT result) : result_(result) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    HRESULT STDMETHODCALLTYPE WaitForStart() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE WaitForEnd() override { return result_; }

private:
    HRESULT result_;
};

}  // namespace lumanav
