// The virtual machine against hand-assembled commands.
#include "core/Vm.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace nav {
namespace {

Link run(Vm& vm, std::vector<Command> commands)
{
    return vm.run(commands);
}

TEST(Vm, StartsWithThePlayerDefaults)
{
    Vm vm;
    EXPECT_EQ(vm.sprm(sprm::AudioStream), 15);
    EXPECT_EQ(vm.sprm(sprm::SubpictureStream), 62);
    EXPECT_EQ(vm.sprm(sprm::AngleNumber), 1);
    EXPECT_EQ(vm.sprm(sprm::ChapterNumber), 1);
    EXPECT_EQ(vm.highlightedButton(), 1);
    EXPECT_EQ(vm.sprm(sprm::ParentalLevel), 15);
    EXPECT_EQ(vm.sprm(sprm::MenuLanguage), 0x656E);
    for (int n = 0; n < GprmCount; ++n) {
        EXPECT_EQ(vm.gprm(n), 0);
        EXPECT_FALSE(vm.counterMode(n));
    }
}

TEST(Vm, DecodesTheJumpsAndCallsAcrossDomains)
{
    Vm vm;
    EXPECT_EQ(vm.run({0x30, 0x02, 0, 0, 0, 0x01, 0, 0}), (Link{LinkKind::JumpTitle, 1}));
    EXPECT_EQ(vm.run({0x30, 0x03, 0, 0, 0, 0x05, 0, 0}), (Link{LinkKind::JumpVtsTitle, 5}));
    EXPECT_EQ(
        vm.run({0x30, 0x05, 0, 0x01, 0, 0x02, 0, 0x03}), (Link{LinkKind::JumpVtsChapter, 2, 1}));
    EXPECT_EQ(
        vm.run({0x30, 0x05, 0x01, 0x2C, 0, 0x02, 0, 0}), (Link{LinkKind::JumpVtsChapter, 2, 300}));
    EXPECT_EQ(vm.run({0x30, 0x06, 0, 0, 0, 0x00, 0, 0}).kind, LinkKind::JumpFirstPlay);
    EXPECT_EQ(vm.run({0x30, 0x06, 0, 0, 0, 0x42, 0, 0}), (Link{LinkKind::JumpVmgMenu, 2}));
    EXPECT_EQ(
        vm.run({0x30, 0x06, 0, 0x01, 0x01, 0x83, 0, 0}), (Link{LinkKind::JumpVtsMenu, 3, 0, 1, 1}));
    EXPECT_EQ(vm.run({0x30, 0x06, 0, 0x01, 0, 0xC0, 0, 0}), (Link{LinkKind::JumpVmgPgc, 1}));
    EXPECT_EQ(vm.run({0x30, 0x01, 0, 0, 0, 0, 0, 0}).kind, LinkKind::Exit);

    Link call = vm.run({0x30, 0x08, 0, 0, 0x04, 0x87, 0, 0});
    EXPECT_EQ(call, (Link{LinkKind::CallVtsMenu, 7, 0, 0, 0, 4}));
    EXPECT_EQ(
        vm.run({0x30, 0x08, 0, 0, 0x01, 0x42, 0, 0}), (Link{LinkKind::CallVmgMenu, 2, 0, 0, 0, 1}));
    EXPECT_EQ(vm.run({0x30, 0x08, 0, 0x03, 0x02, 0xC0, 0, 0}),
        (Link{LinkKind::CallVmgPgc, 3, 0, 0, 0, 2}));
    EXPECT_EQ(vm.run({0x30, 0x08, 0, 0, 0, 0x00, 0, 0}).kind, LinkKind::CallFirstPlay);
}

TEST(Vm, DecodesLinksAndTheirButtons)
{
    Vm vm;
    EXPECT_EQ(vm.run({0x20, 0x04, 0, 0, 0, 0, 0x00, 0x05}), (Link{LinkKind::Pgc, 5}));
    EXPECT_EQ(vm.highlightedButton(), 1) << "LinkPGCN carries no button";

    EXPECT_EQ(vm.run({0x20, 0x01, 0, 0, 0, 0, 0x04, 0x01}), (Link{LinkKind::TopCell}));
    EXPECT_EQ(vm.highlightedButton(), 1);
    EXPECT_EQ(vm.run({0x20, 0x05, 0, 0, 0, 0, 0x0D, 0x2C}), (Link{LinkKind::Chapter, 300}));
    EXPECT_EQ(vm.highlightedButton(), 3);
    EXPECT_EQ(vm.run({0x20, 0x06, 0, 0, 0, 0, 0x08, 0x04}), (Link{LinkKind::Program, 4}));
    EXPECT_EQ(vm.highlightedButton(), 2);
    EXPECT_EQ(vm.run({0x20, 0x07, 0, 0, 0, 0, 0x00, 0x09}), (Link{LinkKind::Cell, 9}));
    EXPECT_EQ(vm.highlightedButton(), 2) << "button 0 keeps the current one";

    const std::pair<int, LinkKind> subs[] = {{1, LinkKind::TopCell}, {2, LinkKind::NextCell},
        {3, LinkKind::PrevCell}, {5, LinkKind::TopProgram}, {6, LinkKind::NextProgram},
        {7, LinkKind::PrevProgram}, {9, LinkKind::TopPgc}, {10, LinkKind::NextPgc},
        {11, LinkKind::PrevPgc}, {12, LinkKind::GoUpPgc}, {13, LinkKind::TailPgc},
        {16, LinkKind::Resume}};
    for (auto [code, kind] : subs) {
        EXPECT_EQ(vm.run({0x20, 0x01, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(code)}).kind, kind)
            << code;
    }
}

TEST(Vm, NoLinkOnlySetsTheButtonAndTheListGoesOn)
{
    Vm vm;
    Link l = run(vm, {{0x20, 0x01, 0, 0, 0, 0, 0x14, 0x00}, {0x71, 0, 0, 0, 0, 0x09, 0, 0}});
    EXPECT_EQ(l.kind, LinkKind::None);
    EXPECT_EQ(vm.highlightedButton(), 5);
    EXPECT_EQ(vm.gprm(0), 9);
}

TEST(Vm, ConditionsGateEveryKindOfCommand)
{
    Vm vm;
    vm.setGprm(0, 3);
    EXPECT_EQ(vm.run({0x20, 0xA4, 0, 0x00, 0, 0x03, 0, 0x02}), (Link{LinkKind::Pgc, 2}));
    EXPECT_EQ(vm.run({0x20, 0xA4, 0, 0x00, 0, 0x04, 0, 0x02}).kind, LinkKind::None);

    // Each compare operator, register against immediate: GPRM0 = 3.
    struct Case {
        int op;
        std::uint16_t right;
        bool holds;
    };
    const Case cases[] = {{1, 2, true}, {1, 4, false}, {2, 3, true}, {2, 4, false}, {3, 4, true},
        {3, 3, false}, {4, 3, true}, {4, 4, false}, {5, 2, true}, {5, 3, false}, {6, 3, true},
        {6, 2, false}, {7, 4, true}, {7, 3, false}};
    for (const Case& k : cases) {
        Command c{0x20, static_cast<std::uint8_t>(0x84 | k.op << 4), 0, 0x00, 0,
            static_cast<std::uint8_t>(k.right), 0, 0x07};
        EXPECT_EQ(vm.run(c).kind == LinkKind::Pgc, k.holds)
            << "op " << k.op << " right " << k.right;
    }

    // Register against register (compare form 2, jumps): GPRM1 == GPRM2.
    vm.setGprm(1, 7);
    vm.setGprm(2, 7);
    EXPECT_EQ(vm.run({0x30, 0x22, 0, 0, 0, 0x04, 0x01, 0x02}), (Link{LinkKind::JumpTitle, 4}));
    vm.setGprm(2, 8);
    EXPECT_EQ(vm.run({0x30, 0x22, 0, 0, 0, 0x04, 0x01, 0x02}).kind, LinkKind::None);

    // A system register as operand: SPRM 4 (title) against GPRM 1.
    vm.setSprm(sprm::TitleNumber, 7);
    EXPECT_EQ(vm.run({0x20, 0x24, 0, 0x84, 0, 0x01, 0, 0x03}), (Link{LinkKind::Pgc, 3}));
}

TEST(Vm, GotoBreakAndTheTemporaryParentalLevel)
{
    Vm vm;
    std::vector<Command> list = {
        {0x00, 0x01, 0, 0, 0, 0, 0, 0x03},  // 1: goto 3
        {0x71, 0, 0, 0x01, 0, 0x63, 0, 0},  // 2: GPRM1 = 99 (skipped)
        {0x71, 0, 0, 0x02, 0, 0x05, 0, 0},  // 3: GPRM2 = 5
        {0x00, 0x02, 0, 0, 0, 0, 0, 0},     // 4: break
        {0x30, 0x02, 0, 0, 0, 0x01, 0, 0},  // 5: JumpTT 1 (not reached)
    };
    EXPECT_EQ(vm.run(list).kind, LinkKind::None);
    EXPECT_EQ(vm.gprm(1), 0);
    EXPECT_EQ(vm.gprm(2), 5);

    EXPECT_EQ(run(vm, {{0x00, 0x03, 0, 0, 0, 0, 0x04, 0x02}, {0x30, 0x01, 0, 0, 0, 0, 0, 0}}).kind,
        LinkKind::Exit);
    EXPECT_EQ(vm.sprm(sprm::ParentalLevel), 4);

    // A conditional goto: if GPRM2 == 5 goto 3.
    EXPECT_EQ(run(vm,
                  {{0x00, 0xA1, 0, 0x02, 0, 0x05, 0, 0x03}, {0x30, 0x01, 0, 0, 0, 0, 0, 0},
                      {0x30, 0x02, 0, 0, 0, 0x02, 0, 0}}),
        (Link{LinkKind::JumpTitle, 2}));
}

TEST(Vm, AnEndlessGotoLoopEndsTheListInsteadOfHanging)
{
    Vm vm;
    EXPECT_EQ(run(vm, {{0x00, 0x01, 0, 0, 0, 0, 0, 0x01}}).kind, LinkKind::None);
    EXPECT_EQ(run(vm, {{0x00, 0x01, 0, 0, 0, 0, 0, 0x00}, {0x30, 0x01, 0, 0, 0, 0, 0, 0}}).kind,
        LinkKind::None)
        << "goto line 0 ends the list";
}

// Group 3 with an immediate source: GPRM[target] op= value.
Command setImmediate(int op, int target, std::uint16_t value)
{
    return {static_cast<std::uint8_t>(0x70 | op), 0, 0, static_cast<std::uint8_t>(target),
        static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value), 0, 0};
}

TEST(Vm, ArithmeticWrapsAtSixteenBitsAndSurvivesDivisionByZero)
{
    Vm vm;
    vm.run(setImmediate(1, 0, 5));
    EXPECT_EQ(vm.gprm(0), 5);

    vm.run(setImmediate(1, 1, 0xFFFF));
    vm.run(setImmediate(3, 1, 2));
    EXPECT_EQ(vm.gprm(1), 1) << "add wraps";
    vm.run(setImmediate(4, 1, 3));
    EXPECT_EQ(vm.gprm(1), 0xFFFE) << "sub wraps";
    vm.run(setImmediate(1, 1, 0x1000));
    vm.run(setImmediate(5, 1, 0x0011));
    EXPECT_EQ(vm.gprm(1), 0x1000) << "mul keeps the low 16 bits";

    vm.run(setImmediate(1, 2, 17));
    vm.run(setImmediate(6, 2, 5));
    EXPECT_EQ(vm.gprm(2), 3);
    vm.run(setImmediate(6, 2, 0));
    EXPECT_EQ(vm.gprm(2), 0xFFFF) << "division by zero";
    vm.run(setImmediate(1, 2, 17));
    vm.run(setImmediate(7, 2, 5));
    EXPECT_EQ(vm.gprm(2), 2);
    vm.run(setImmediate(7, 2, 0));
    EXPECT_EQ(vm.gprm(2), 0xFFFF) << "remainder by zero";

    vm.run(setImmediate(1, 3, 0b1100));
    vm.run(setImmediate(9, 3, 0b1010));
    EXPECT_EQ(vm.gprm(3), 0b1000);
    vm.run(setImmediate(10, 3, 0b0011));
    EXPECT_EQ(vm.gprm(3), 0b1011);
    vm.run(setImmediate(11, 3, 0b1111));
    EXPECT_EQ(vm.gprm(3), 0b0100);
}

TEST(Vm, RandomStaysWithinOneToTheLimit)
{
    Vm vm;
    vm.seed(7);
    bool seen[7] = {};
    for (int i = 0; i < 500; ++i) {
        vm.run(setImmediate(8, 4, 6));
        ASSERT_GE(vm.gprm(4), 1);
        ASSERT_LE(vm.gprm(4), 6);
        seen[vm.gprm(4)] = true;
    }
    for (int v = 1; v <= 6; ++v) EXPECT_TRUE(seen[v]) << v;
    vm.run(setImmediate(8, 4, 0));
    EXPECT_EQ(vm.gprm(4), 0);
}

TEST(Vm, RegisterSourcesSwapAndReadSystemRegisters)
{
    Vm vm;
    vm.setGprm(1, 11);
    vm.setGprm(2, 22);
    vm.run({0x62, 0, 0, 0x01, 0, 0x02, 0, 0});  // swap GPRM1, GPRM2
    EXPECT_EQ(vm.gprm(1), 22);
    EXPECT_EQ(vm.gprm(2), 11);

    vm.setSprm(sprm::ChapterNumber, 4);
    vm.run({0x61, 0, 0, 0x05, 0, 0x87, 0, 0});  // GPRM5 = SPRM7
    EXPECT_EQ(vm.gprm(5), 4);
    vm.run({0x63, 0, 0, 0x05, 0, 0x01, 0, 0});  // GPRM5 += GPRM1
    EXPECT_EQ(vm.gprm(5), 26);
    vm.run({0x61, 0, 0, 0x06, 0, 0x9F, 0, 0});  // an SPRM beyond the last reads 0
    EXPECT_EQ(vm.gprm(6), 0);
}

TEST(Vm, SetWithCompareOrTrailingLink)
{
    Vm vm;
    vm.setGprm(2, 1);
    // if (GPRM2 == 1) GPRM0 = 9; compare immediate in bytes 6-7.
    EXPECT_EQ(vm.run({0x71, 0xA0, 0x02, 0x00, 0x00, 0x09, 0x00, 0x01}).kind, LinkKind::None);
    EXPECT_EQ(vm.gprm(0), 9);
    vm.run({0x71, 0xA0, 0x02, 0x00, 0x00, 0x08, 0x00, 0x02});
    EXPECT_EQ(vm.gprm(0), 9) << "condition false: no set";

    // GPRM0 = 1, then LinkPGCN 6.
    EXPECT_EQ(vm.run({0x71, 0x04, 0, 0x00, 0x00, 0x01, 0x00, 0x06}), (Link{LinkKind::Pgc, 6}));
    EXPECT_EQ(vm.gprm(0), 1);
    // GPRM0 = 2, then LinkSub NextPGC with button 3.
    EXPECT_EQ(vm.run({0x71, 0x01, 0, 0x00, 0x00, 0x02, 0x0C, 0x0A}), (Link{LinkKind::NextPgc}));
    EXPECT_EQ(vm.highlightedButton(), 3);
}

TEST(Vm, SystemSetsStreamsTimerCountersAndButton)
{
    Vm vm;
    EXPECT_EQ(vm.run({0x51, 0x00, 0x00, 0x81, 0x00, 0x00, 0x00, 0x00}).kind, LinkKind::None);
    EXPECT_EQ(vm.sprm(sprm::AudioStream), 1);
    EXPECT_EQ(vm.sprm(sprm::SubpictureStream), 62) << "not enabled: unchanged";

    vm.run({0x51, 0x00, 0x00, 0x00, 0xC2, 0x83, 0x00, 0x00});
    EXPECT_EQ(vm.sprm(sprm::SubpictureStream), 0x42);
    EXPECT_EQ(vm.sprm(sprm::AngleNumber), 3);

    vm.setGprm(4, 2);
    vm.run({0x41, 0x00, 0x00, 0x84, 0x00, 0x00, 0x00, 0x00});  // audio from GPRM4
    EXPECT_EQ(vm.sprm(sprm::AudioStream), 2);

    vm.run({0x56, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00});
    EXPECT_EQ(vm.highlightedButton(), 1);
    vm.run({0x56, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00});
    EXPECT_EQ(vm.highlightedButton(), 3);

    vm.run({0x52, 0x00, 0x00, 0x02, 0x00, 0x05, 0x00, 0x00});  // timer 2 s, then PGC 5
    EXPECT_EQ(vm.sprm(sprm::NavTimer), 2);
    EXPECT_EQ(vm.sprm(sprm::NavTimerPgc), 5);
    EXPECT_FALSE(vm.tick(1.5));
    EXPECT_TRUE(vm.tick(0.5));
    EXPECT_FALSE(vm.tick(5));

    vm.run({0x53, 0x00, 0x00, 0x0A, 0x00, 0x87, 0x00, 0x00});  // GPRM7 = 10, counter mode
    EXPECT_TRUE(vm.counterMode(7));
    EXPECT_EQ(vm.gprm(7), 10);
    vm.tick(0.4);
    EXPECT_EQ(vm.gprm(7), 10);
    vm.tick(2.7);
    EXPECT_EQ(vm.gprm(7), 13);
    vm.run({0x53, 0x00, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00});  // back to register mode
    EXPECT_FALSE(vm.counterMode(7));
    vm.tick(3);
    EXPECT_EQ(vm.gprm(7), 0);

    // With a trailing link: set the button, then LinkTopPG.
    EXPECT_EQ(
        vm.run({0x56, 0x01, 0x00, 0x00, 0x08, 0x00, 0x00, 0x05}), (Link{LinkKind::TopProgram}));
    EXPECT_EQ(vm.highlightedButton(), 2);
}

TEST(Vm, SetCompareLinkGroups)
{
    Vm vm;
    // Group 4: GPRM1 += 1; if GPRM1 == 2 LinkSub NextPG.
    Command setThenLink{0x93, 0xA1, 0x00, 0x01, 0x00, 0x02, 0x00, 0x06};
    EXPECT_EQ(vm.run(setThenLink).kind, LinkKind::None);
    EXPECT_EQ(vm.gprm(1), 1);
    EXPECT_EQ(vm.run(setThenLink), (Link{LinkKind::NextProgram}));
    EXPECT_EQ(vm.gprm(1), 2);

    // Group 5: if GPRM2 == GPRM3 { GPRM4 = 7; LinkSub TopPGC }.
    Command compareSetLink{0xB1, 0x24, 0x00, 0x07, 0x02, 0x03, 0x00, 0x09};
    vm.setGprm(3, 1);
    EXPECT_EQ(vm.run(compareSetLink).kind, LinkKind::None);
    EXPECT_EQ(vm.gprm(4), 0);
    vm.setGprm(3, 0);
    EXPECT_EQ(vm.run(compareSetLink), (Link{LinkKind::TopPgc}));
    EXPECT_EQ(vm.gprm(4), 7);

    // Group 6: the link happens whatever the compare says.
    Command compareSetAlwaysLink{0xD1, 0x24, 0x00, 0x05, 0x02, 0x03, 0x00, 0x0A};
    vm.setGprm(3, 1);
    EXPECT_EQ(vm.run(compareSetAlwaysLink), (Link{LinkKind::NextPgc}));
    EXPECT_EQ(vm.gprm(4), 7);
}

}  // namespace
}  // namespace nav
