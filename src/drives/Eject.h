#pragma once
// Opening a drive's tray through the Media Control Interface.

#include <windows.h>
#include <mmsystem.h>

#include <string>

// The MCI command entry point, replaceable so tests can see the exact sequence of commands.
class MciService {
public:
    virtual MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) = 0;

protected:
    ~MciService() = default;
};

MciService& Mci();
// nullptr restores the platform's mciSendCommandA.
void SetMci(MciService* service);

// Opens the tray of `drive`, its letter and a colon ("D:"). Reports nothing: a drive that
// cannot be opened as a CD audio device is left alone.
void EjectDrive(const std::wstring& drive);
