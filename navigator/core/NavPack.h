#pragma once
// The presentation control information at the start of a NAV pack: the user operations
// the VOBU forbids and the menu buttons it highlights.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/Navigator.h"
#include "core/Vm.h"

namespace nav {

struct MenuButton {
    int number = 0;  // from 1
    Rect rect;
    int up = 0, down = 0, left = 0, right = 0;  // button to move to, 0 = none
    bool autoAction = false;
    Command command{};
};

struct NavPack {
    std::uint32_t prohibitedUops = 0;
    std::vector<MenuButton> buttons;  // empty when the VOBU shows no highlight
    int forcedSelect = 0;             // 0 = none
    int forcedActivate = 0;
};

// Decodes one 2048-byte sector; nothing when it is not a NAV pack.
std::optional<NavPack> parseNavPack(std::span<const std::uint8_t> sector);

}  // namespace nav
