#include "Events.h"

namespace ui {

namespace {
bool Held(int key) { return GetKeyState(key) < 0; }
} // namespace

ShiftState KeyShiftState(LPARAM keyData)
{
    ShiftState shift = 0;
    if (Held(VK_SHIFT)) shift |= ssShift;
    if (Held(VK_CONTROL)) shift |= ssCtrl;
    // Bit 29 is the context code: Alt was down when the key message was generated.
    if ((keyData & (1 << 29)) || Held(VK_MENU)) shift |= ssAlt;
    if (Held(VK_LBUTTON)) shift |= ssLeft;
    if (Held(VK_RBUTTON)) shift |= ssRight;
    if (Held(VK_MBUTTON)) shift |= ssMiddle;
    return shift;
}

ShiftState MouseShiftState(WPARAM keys)
{
    ShiftState shift = 0;
    if (keys & MK_SHIFT) shift |= ssShift;
    if (keys & MK_CONTROL) shift |= ssCtrl;
    if (keys & MK_LBUTTON) shift |= ssLeft;
    if (keys & MK_RBUTTON) shift |= ssRight;
    if (keys & MK_MBUTTON) shift |= ssMiddle;
    if (Held(VK_MENU)) shift |= ssAlt;
    return shift;
}

} // namespace ui
