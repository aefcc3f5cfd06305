#pragma once
#include <string>

#include <windows.h>

namespace app {

// The shell's "open" verb, behind a seam so tests can see what would be opened.
class ShellService {
public:
    virtual ~ShellService() = default;
    // Hands the text (an address, a file) to whatever the shell opens it with; no result.
    virtual void Open(HWND owner, const std::wstring& text) = 0;
};

ShellService& Shell();
// nullptr restores the platform's shell.
void SetShell(ShellService* shell);

} // namespace app
