#include "app/ShellService.h"

#include <shellapi.h>

namespace app {
namespace {

class PlatformShell : public ShellService {
public:
    void Open(HWND owner, const std::wstring& text) override
    {
        const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string ansi(size > 0 ? size : 1, '\0');
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi.data(), size, nullptr, nullptr);
        ShellExecuteA(owner, "open", ansi.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
};

PlatformShell platformShell;
ShellService* current = &platformShell;

} // namespace

ShellService& Shell()
{
    return *current;
}

void SetShell(ShellService* shell)
{
    current = shell ? shell : &platformShell;
}

} // namespace app
