#include "drives/Eject.h"

namespace {

class PlatformMci final : public MciService {
public:
    MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) override
    {
        return mciSendCommandA(device, message, flags, params);
    }
};

PlatformMci platformMci;
MciService* currentMci = &platformMci;

}  // namespace

MciService& Mci() { return *currentMci; }

void SetMci(MciService* service) { currentMci = service ? service : &platformMci; }

void EjectDrive(const std::wstring& drive)
{
    std::string element;
    for (wchar_t c : drive) element += static_cast<char>(c);

    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "CDAudio";
    open.lpstrElementName = element.c_str();
    MciService& mci = Mci();
    if (mci.SendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return;
    mci.SendCommand(open.wDeviceID, MCI_SET, MCI_SET_DOOR_OPEN, 0);
    // Closed whatever the door answered, so the device is never left open.
    mci.SendCommand(open.wDeviceID, MCI_CLOSE, 0, 0);
}
