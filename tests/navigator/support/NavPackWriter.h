#pragma once
// NAV pack sectors made to order, and a sector source serving them to a navigator, so tests
// can give a cell any buttons and user-operation bits.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

#include "core/Navigator.h"
#include "core/Vm.h"
#include "core/Volume.h"

namespace navtest {

struct ButtonLayout {
    nav::Rect rect;  // right and bottom exclusive
    int up = 0, down = 0, left = 0, right = 0;
    bool autoAction = false;
    nav::Command command{};
};

// A 2048-byte NAV pack; without buttons its PCI shows no highlight.
std::vector<uint8_t> navPackSector(const std::vector<ButtonLayout>& buttons,
    uint32_t prohibitedUops = 0, int forcedSelect = 0, int forcedActivate = 0);

// A VOBU of `sectors` sectors starting at `seconds` (whole 25 fps frames) into its cell: its
// NAV pack followed by padding. Inside an interleaved unit that ends there, `nextUnit` is the
// offset of the angle's next unit (0xFFFFFFFF: none).
std::vector<uint8_t> vobuSectors(uint32_t sectors, double seconds, std::optional<uint32_t> nextUnit = {});

class SectorStore {
public:
    void put(unsigned titleSet, nav::VobSet set, uint32_t sector, std::vector<uint8_t> bytes);
    // Reads what was put; any other sector fails, as an unreadable one would.
    nav::SectorReader reader() const;

private:
    using Key = std::tuple<unsigned, nav::VobSet, uint32_t>;
    std::shared_ptr<std::map<Key, std::vector<uint8_t>>> sectors_ =
        std::make_shared<std::map<Key, std::vector<uint8_t>>>();
};

}  // namespace navtest
