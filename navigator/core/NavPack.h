#pragma once
// The NAV pack at the start of every VOBU: from its presentation control information the user
// operations the VOBU forbids, the menu buttons it highlights and its presentation times; from
// its search information where the VOBU ends and where the next ones start.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/Ifo.h"
#include "core/Navigator.h"
#include "core/Vm.h"

namespace nav {

struct MenuButton {
    int number = 0;  // from 1
    int colours = 0; // 1-3: which of NavPack::buttonColours it is drawn with; 0 = none
    Rect rect;
    int up = 0, down = 0, left = 0, right = 0;  // button to move to, 0 = none
    bool autoAction = false;
    Command command{};
};

// A button's colours and contrasts, each entry four bits per pixel type: emphasis 2,
// emphasis 1, pattern, background colours (palette indices), then their contrasts.
struct ButtonColours {
    std::uint32_t selection = 0;
    std::uint32_t action = 0;

    bool operator==(const ButtonColours&) const = default;
};

// Highlight status: whether a VOBU brings buttons of its own or keeps those before it.
enum class Highlight { None, New, Same, NewCommands };

// Sector offsets are relative to the NAV pack's own sector; 0 = none.
struct VobuSearch {
    std::uint32_t lastSector = 0;     // of this VOBU
    bool interleaved = false;         // inside an interleaved unit of an angle block
    bool unitEnd = false;             // the last VOBU of its interleaved unit
    std::uint32_t nextUnit = 0;       // the angle's next interleaved unit; 0xFFFFFFFF = none
    // VOBUs about 120, 60, 30, 10, 7.5, 7 ... 1, 0.5 seconds ahead.
    std::array<std::uint32_t, 19> forward{};
};

struct NavPack {
    std::uint32_t prohibitedUops = 0;
    std::uint32_t startPtm = 0;  // 90 kHz
    std::uint32_t endPtm = 0;
    DvdTime cellTime;  // elapsed in the cell at the VOBU's start
    Highlight highlight = Highlight::None;
    // 90 kHz: when the buttons show and go, and when selecting them ends.
    std::uint32_t highlightStart = 0, highlightEnd = 0, selectionEnd = 0;
    std::vector<MenuButton> buttons;  // empty when the VOBU shows no highlight
    std::array<ButtonColours, 3> buttonColours{};
    int forcedSelect = 0;             // 0 = none
    int forcedActivate = 0;
    VobuSearch search;
};

// Forward steps of VobuSearch::forward in seconds.
inline constexpr std::array<double, 19> SearchSteps{
    120, 60, 30, 10, 7.5, 7, 6.5, 6, 5.5, 5, 4.5, 4, 3.5, 3, 2.5, 2, 1.5, 1, 0.5};

// Decodes one 2048-byte sector; nothing when it is not a NAV pack. Of several button groups
// (one per way of showing the picture) it takes the one for a wide (16:9) picture shown whole
// or a normal 4:3 one, as `wide` says, or the first when none is marked so.
std::optional<NavPack> parseNavPack(std::span<const std::uint8_t> sector, bool wide = false);

}  // namespace nav
