#include "app/RenderMessages.h"

#include "graph/DirectShowError.h"
#include "ui/Application.h"

namespace app {

namespace {

// A partial build: one message for each condition the status record reports.
std::vector<std::wstring> PartialBuildMessages(const AM_DVD_RENDERSTATUS& status)
{
    std::vector<std::wstring> messages;
    if (status.hrVPEStatus != 0)
        messages.push_back(ui::AnsiToWide(graph::ErrorText(status.hrVPEStatus).c_str()));
    if (status.bDvdVolInvalid)
        messages.push_back(L"The specified DVD volume to be played does not exist.");
    if (status.bDvdVolUnknown)
        messages.push_back(L"No DVD volume is specified or isn't found.");
    if (status.bNoLine21In)
        messages.push_back(L"The video decoder doesn't produce line 21 (closed captioning) data.");
    if (status.bNoLine21Out)
        messages.push_back(
            L"The video decoder can't be shown as closed captioning on video due to a problem with graph building.");
    if (status.iNumStreamsFailed > 0)
        messages.push_back(L"Can't render one or more stream.");
    return messages;
}

} // namespace

std::vector<std::wstring> RenderMessages(HRESULT result, const AM_DVD_RENDERSTATUS& status)
{
    switch (result) {
    case S_FALSE:
        return PartialBuildMessages(status);
    case E_INVALIDARG:
        return {L"Invalid Argument."};
    case VFW_E_DVD_DECNOTENOUGH:
        return {L"There isn't enough hardware or software decoders to decode all streams."};
    case VFW_E_DVD_RENDERFAIL:
        return {L"Some basic error occurred in building the graph.\r"
                L"Possibilities include the DVD Navigator filter or the video or audio renderer not instantiating,\r"
                L"a trivial connection or pin enumeration failing, or none of the streams rendering."};
    default:
        return {};
    }
}

} // namespace app
