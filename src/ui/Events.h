#pragma once
#include <windows.h>
#include <functional>

namespace ui {

template <class... A>
using Event = std::function<void(A...)>;

enum class MouseButton { Left, Right, Middle };

// Modifier keys and mouse buttons held while an event happened, as bit flags.
using ShiftState = unsigned;
constexpr ShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                     ssDouble = 64;

// Keys and buttons held now, from GetKeyState; Alt also from bit 29 of a key message's lParam.
ShiftState KeyShiftState(LPARAM keyData = 0);
// From the MK_* flags of a mouse message's wParam (Alt from GetKeyState).
ShiftState MouseShiftState(WPARAM keys);

} // namespace ui
