#include <windows.h>
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { MessageBoxW(nullptr, L"hi", L"Lumadisc", MB_OK); return 0; }
