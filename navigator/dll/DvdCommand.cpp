#include "DvdCommand.h"

namespace lumanav {

HRESULT DvdCommand::QueryInterface(REFIID iid, void** result)
{
    if (!result) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDvdCmd)) return answerInterface<IDvdCmd>(this, result);
    *result = nullptr;
    return E_NOINTERFACE;
}

}  // namespace lumanav
