// Highlight information read from NAV pack sectors.
#include "core/NavPack.h"

#include <gtest/gtest.h>

#include "core/Ifo.h"
#include "support/NavPackWriter.h"

namespace {

using navtest::ButtonLayout;
using navtest::navPackSector;

TEST(NavPack, ReadsButtonsWithTheirAreasNeighboursAndCommands)
{
    std::vector<ButtonLayout> layouts = {
        {{116, 196, 605, 265}, 3, 2, 0, 0, false, {0x30, 0x02, 0, 0, 0, 0x01, 0, 0}},
        {{116, 316, 605, 385}, 1, 3, 0, 0, true, {0x30, 0x02, 0, 0, 0, 0x02, 0, 0}},
        {{0, 0, 1024, 1024}, 2, 1, 0, 0, false, {}},
    };
    auto pack = nav::parseNavPack(navPackSector(layouts, nav::uop::ForwardScan, 2, 0));
    ASSERT_TRUE(pack);
    EXPECT_EQ(pack->prohibitedUops, nav::uop::ForwardScan);
    ASSERT_EQ(pack->buttons.size(), 3u);
    const nav::MenuButton& b = pack->buttons[1];
    EXPECT_EQ(b.number, 2);
    EXPECT_EQ(b.rect, (nav::Rect{116, 316, 605, 385}));
    EXPECT_TRUE(b.rect.contains(116, 316));
    EXPECT_FALSE(b.rect.contains(605, 385));
    EXPECT_EQ(b.up, 1);
    EXPECT_EQ(b.down, 3);
    EXPECT_TRUE(b.autoAction);
    EXPECT_FALSE(pack->buttons[0].autoAction);
    EXPECT_EQ(b.command, (nav::Command{0x30, 0x02, 0, 0, 0, 0x02, 0, 0}));
    EXPECT_EQ(pack->buttons[2].rect, (nav::Rect{0, 0, 1024, 1024})) << "ten-bit coordinates";
    EXPECT_EQ(pack->forcedSelect, 2);
    EXPECT_EQ(pack->forcedActivate, 0);
}

TEST(NavPack, ReadsTheButtonsColourSetsAndTimes)
{
    std::vector<uint8_t> sector = navPackSector({{{0, 0, 10, 10}}, {{0, 20, 10, 30}}});
    constexpr std::size_t Pci = 0x2D;
    for (int i = 0; i < 24; ++i) sector[Pci + 0x76 + i] = static_cast<uint8_t>(0x10 + i);
    for (int i = 0; i < 12; ++i) sector[Pci + 0x62 + i] = static_cast<uint8_t>(0x40 + i);
    sector[Pci + 0x8E + 18] |= 0xC0;  // the second button takes colour set 3
    auto pack = nav::parseNavPack(sector);
    ASSERT_TRUE(pack);
    EXPECT_EQ(pack->buttonColours[0], (nav::ButtonColours{0x10111213, 0x14151617}));
    EXPECT_EQ(pack->buttonColours[2], (nav::ButtonColours{0x20212223, 0x24252627}));
    EXPECT_EQ(pack->highlightStart, 0x40414243u);
    EXPECT_EQ(pack->highlightEnd, 0x44454647u);
    EXPECT_EQ(pack->selectionEnd, 0x48494A4Bu);
    EXPECT_EQ(pack->buttons[0].colours, 1) << "as written by default";
    EXPECT_EQ(pack->buttons[1].colours, 3);
    EXPECT_EQ(pack->buttons[1].rect, (nav::Rect{0, 20, 10, 30})) << "the set does not disturb the area";
}

TEST(NavPack, WithoutHighlightThereAreNoButtons)
{
    auto pack = nav::parseNavPack(navPackSector({}, nav::uop::StillOff));
    ASSERT_TRUE(pack);
    EXPECT_TRUE(pack->buttons.empty());
    EXPECT_EQ(pack->prohibitedUops, nav::uop::StillOff);
}

TEST(NavPack, NeighboursAndForcedButtonsBeyondTheCountAreDropped)
{
    auto pack = nav::parseNavPack(navPackSector({{{0, 0, 10, 10}, 7, 0, 40, 1}}, 0, 9, 5));
    ASSERT_TRUE(pack);
    ASSERT_EQ(pack->buttons.size(), 1u);
    EXPECT_EQ(pack->buttons[0].up, 0);
    EXPECT_EQ(pack->buttons[0].left, 0);
    EXPECT_EQ(pack->buttons[0].right, 1);
    EXPECT_EQ(pack->forcedSelect, 0);
    EXPECT_EQ(pack->forcedActivate, 0);
}

TEST(NavPack, ButtonCountIsLimitedToOneGroupOfSlots)
{
    std::vector<uint8_t> sector = navPackSector({{{0, 0, 10, 10}}});
    sector[0x2D + 0x71] = 200;  // more buttons than there are slots
    auto pack = nav::parseNavPack(sector);
    ASSERT_TRUE(pack);
    EXPECT_EQ(pack->buttons.size(), 36u);
    sector[0x2D + 0x6E] = 0x30;  // three groups share the slots
    EXPECT_EQ(nav::parseNavPack(sector)->buttons.size(), 12u);
}

// Slots of several groups told apart by their left edge (ten times the slot), two buttons a
// group, the groups' display types as `mode` gives them.
std::optional<nav::NavPack> grouped(unsigned mode, bool wide)
{
    std::vector<ButtonLayout> slots;
    for (int slot = 0; slot < 36; ++slot) slots.push_back({{slot * 10, 0, slot * 10 + 5, 5}, 0, 2});
    std::vector<uint8_t> sector = navPackSector(slots);
    sector[0x2D + 0x6E] = static_cast<uint8_t>(mode >> 8);
    sector[0x2D + 0x6F] = static_cast<uint8_t>(mode);
    sector[0x2D + 0x71] = 2;
    return nav::parseNavPack(sector, wide);
}

TEST(NavPack, TheButtonGroupOfThePicturesShapeIsTaken)
{
    auto firstLeft = [](const std::optional<nav::NavPack>& pack) {
        return pack && pack->buttons.size() == 2u ? pack->buttons[0].rect.left : -1;
    };
    // Letterbox, pan-scan, wide: twelve slots each.
    EXPECT_EQ(firstLeft(grouped(0x3241, true)), 240);
    EXPECT_EQ(firstLeft(grouped(0x3241, false)), 0) << "none for the normal picture: the first";
    // Wide, normal: eighteen slots each.
    EXPECT_EQ(firstLeft(grouped(0x2100, false)), 180);
    EXPECT_EQ(firstLeft(grouped(0x2100, true)), 0);
    const auto pack = grouped(0x2100, false);
    ASSERT_TRUE(pack);
    EXPECT_EQ(pack->buttons[1].number, 2) << "numbered within their group";
    EXPECT_EQ(pack->buttons[0].down, 2);
}

TEST(NavPack, OtherSectorsAreNotNavPacks)
{
    std::vector<uint8_t> sector = navPackSector({{{0, 0, 10, 10}}});
    std::vector<uint8_t> video = sector;
    video[0x26 + 3] = 0xE0;  // a video packet where the PCI should be
    EXPECT_FALSE(nav::parseNavPack(video));
    std::vector<uint8_t> dsi = sector;
    dsi[0x2C] = 0x01;
    EXPECT_FALSE(nav::parseNavPack(dsi));
    EXPECT_FALSE(nav::parseNavPack(std::span(sector).first(0x100))) << "truncated";
    std::vector<uint8_t> zeros(2048);
    EXPECT_FALSE(nav::parseNavPack(zeros));
    std::vector<uint8_t> hugeHeader = sector;
    hugeHeader[0x0E + 4] = 0xFF;  // a system header running past the sector
    EXPECT_FALSE(nav::parseNavPack(hugeHeader));
}

}  // namespace
