#include "core/Vm.h"

#include <iterator>

namespace nav {
namespace {

// A goto loop on a broken disc must not hang the player: a list that has run this many
// commands without leaving ends as if it had broken. Lists hold at most 128 commands, and
// loops that count through a register stay far below this.
constexpr int MaxSteps = 4096;

std::uint16_t word(const Command& c, int at)
{
    return static_cast<std::uint16_t>(c[at] << 8 | c[at + 1]);
}
bool immediate(const Command& c)
{
    return (c[0] & 0x10) != 0;
}
bool compareImmediate(const Command& c)
{
    return (c[1] & 0x80) != 0;
}
int compareOp(const Command& c)
{
    return (c[1] >> 4) & 7;
}
int branch(const Command& c)
{
    return c[1] & 0x0F;
}

enum SetOp { Mov = 1, Swp, Add, Sub, Mul, Div, Mod, Rnd, And, Or, Xor };

}  // namespace

Vm::Vm()
{
    sprm_[sprm::MenuLanguage] = 'e' << 8 | 'n';
    sprm_[sprm::AudioStream] = NoAudioStream;
    sprm_[sprm::SubpictureStream] = NoSubpictureStream;
    sprm_[sprm::AngleNumber] = 1;
    sprm_[sprm::TitleNumber] = 1;
    sprm_[sprm::VtsTitleNumber] = 1;
    sprm_[sprm::ChapterNumber] = 1;
    sprm_[sprm::HighlightButton] = 1 << 10;
    sprm_[sprm::ParentalCountry] = 'U' << 8 | 'S';
    sprm_[sprm::ParentalLevel] = 15;
    sprm_[sprm::AudioCapabilities] = 0x4000;
    sprm_[sprm::AudioLanguage] = 'e' << 8 | 'n';
    sprm_[sprm::SubpictureLanguage] = 'e' << 8 | 'n';
    sprm_[sprm::RegionMask] = 1;
}

Link Vm::run(std::span<const Command> commands)
{
    std::size_t line = 0;
    for (int steps = 0; line < commands.size() && steps < MaxSteps; ++steps) {
        Step step = execute(commands[line]);
        switch (step.flow) {
        case Flow::Next: ++line; break;
        case Flow::Goto:
            if (step.line < 1) return {};
            line = static_cast<std::size_t>(step.line - 1);
            break;
        case Flow::Break: return {};
        case Flow::Leave: return step.link;
        }
    }
    return {};
}

bool Vm::tick(double seconds)
{
    clock_ += seconds;
    bool expired = false;
    while (clock_ >= 1.0) {
        clock_ -= 1.0;
        for (int n = 0; n < GprmCount; ++n) {
            if (counter_[n]) ++gprm_[n];
        }
        if (sprm_[sprm::NavTimer] > 0 && --sprm_[sprm::NavTimer] == 0) expired = true;
    }
    return expired;
}

Vm::Step Vm::execute(const Command& c)
{
    switch (c[0] >> 5) {
    case 0: return special(c);
    case 1: return linkOrJump(c);
    case 2: return setSystem(c);
    case 3: return setGeneral(c);
    case 4: return setCompareLink(c);
    case 5: return compareSetLink(c, false);
    case 6: return compareSetLink(c, true);
    default: return {};
    }
}

std::uint16_t Vm::read(std::uint8_t selector) const
{
    if (selector & 0x80) {
        int n = selector & 0x7F;
        return n < SprmCount ? sprm_[n] : 0;
    }
    return gprm_[selector & 0x0F];
}

bool Vm::compare(int op, std::uint16_t left, std::uint16_t right) const
{
    switch (op) {
    case 1: return (left & right) != 0;
    case 2: return left == right;
    case 3: return left != right;
    case 4: return left >= right;
    case 5: return left > right;
    case 6: return left <= right;
    case 7: return left < right;
    default: return true;
    }
}

// Arithmetic is on 16-bit registers and wraps; division or remainder by zero gives
// 0xFFFF rather than trapping, as a player must carry on whatever the disc says.
void Vm::set(int op, int target, std::uint16_t value, int sourceSelector)
{
    std::uint16_t& r = gprm_[target];
    switch (op) {
    case Mov: r = value; break;
    case Swp:
        if (sourceSelector >= 0 && !(sourceSelector & 0x80)) {
            gprm_[sourceSelector & 0x0F] = r;
        }
        r = value;
        break;
    case Add: r = static_cast<std::uint16_t>(r + value); break;
    case Sub: r = static_cast<std::uint16_t>(r - value); break;
    case Mul: r = static_cast<std::uint16_t>(static_cast<std::uint32_t>(r) * value); break;
    case Div: r = value == 0 ? 0xFFFF : static_cast<std::uint16_t>(r / value); break;
    case Mod: r = value == 0 ? 0xFFFF : static_cast<std::uint16_t>(r % value); break;
    case Rnd:
        r = value == 0
            ? 0
            : static_cast<std::uint16_t>(std::uniform_int_distribution<int>(1, value)(random_));
        break;
    case And: r &= value; break;
    case Or: r |= value; break;
    case Xor: r ^= value; break;
    default: break;  // an unknown operation leaves the register alone
    }
}

void Vm::highlight(int button)
{
    if (button != 0) setHighlightedButton(button);
}

// Group 0: nop, goto, break and the temporary parental level.
Vm::Step Vm::special(const Command& c)
{
    std::uint16_t right = compareImmediate(c) ? word(c, 4) : read(c[5]);
    if (!compare(compareOp(c), read(c[3]), right)) return {};
    switch (branch(c)) {
    case 1: return {Flow::Goto, c[7], {}};
    case 2: return {Flow::Break, 0, {}};
    case 3: sprm_[sprm::ParentalLevel] = c[6] & 0x0F; return {Flow::Goto, c[7], {}};
    default: return {};
    }
}

// Group 1: links (within the domain) and jumps or calls (across domains).
Vm::Step Vm::linkOrJump(const Command& c)
{
    if (!immediate(c)) {
        std::uint16_t right = compareImmediate(c) ? word(c, 4) : read(c[5]);
        if (!compare(compareOp(c), read(c[3]), right)) return {};
        return link(c, branch(c));
    }
    if (!compare(compareOp(c), read(c[6]), read(c[7]))) return {};
    Link l;
    int selector = c[5] >> 6;
    switch (branch(c)) {
    case 1: l.kind = LinkKind::Exit; break;
    case 2: l = {LinkKind::JumpTitle, c[5] & 0x7F}; break;
    case 3: l = {LinkKind::JumpVtsTitle, c[5] & 0x7F}; break;
    case 5: l = {LinkKind::JumpVtsChapter, c[5] & 0x7F, (c[2] & 0x03) << 8 | c[3]}; break;
    case 6:
        switch (selector) {
        case 0: l.kind = LinkKind::JumpFirstPlay; break;
        case 1: l = {LinkKind::JumpVmgMenu, c[5] & 0x0F}; break;
        case 2: l = {LinkKind::JumpVtsMenu, c[5] & 0x0F, 0, c[4], c[3]}; break;
        case 3: l = {LinkKind::JumpVmgPgc, word(c, 2) & 0x7FFF}; break;
        }
        break;
    case 8: {
        static constexpr LinkKind calls[] = {LinkKind::CallFirstPlay, LinkKind::CallVmgMenu,
            LinkKind::CallVtsMenu, LinkKind::CallVmgPgc};
        l.kind = calls[selector];
        l.number = selector == 3 ? word(c, 2) & 0x7FFF : c[5] & 0x0F;
        if (selector == 0) l.number = 0;
        l.resumeCell = c[4];
        break;
    }
    default: return {};
    }
    return {Flow::Leave, 0, l};
}

// The link family shared by group 1 and the trailing links of groups 2 and 3;
// its operands are in bytes 6 and 7.
Vm::Step Vm::link(const Command& c, int code)
{
    int button = c[6] >> 2;
    Link l;
    switch (code) {
    case 1: return linkSub(c);
    case 4:
        l = {LinkKind::Pgc, word(c, 6) & 0x7FFF};
        button = 0;
        break;
    case 5: l = {LinkKind::Chapter, (c[6] & 0x03) << 8 | c[7]}; break;
    case 6: l = {LinkKind::Program, c[7] & 0x7F}; break;
    case 7: l = {LinkKind::Cell, c[7]}; break;
    default: return {};
    }
    highlight(button);
    return {Flow::Leave, 0, l};
}

Vm::Step Vm::linkSub(const Command& c)
{
    static constexpr LinkKind kinds[] = {LinkKind::None, LinkKind::TopCell, LinkKind::NextCell,
        LinkKind::PrevCell, LinkKind::None, LinkKind::TopProgram, LinkKind::NextProgram,
        LinkKind::PrevProgram, LinkKind::None, LinkKind::TopPgc, LinkKind::NextPgc,
        LinkKind::PrevPgc, LinkKind::GoUpPgc, LinkKind::TailPgc, LinkKind::None, LinkKind::None,
        LinkKind::Resume};
    highlight(c[6] >> 2);
    int code = c[7] & 0x1F;
    LinkKind kind = code < static_cast<int>(std::size(kinds)) ? kinds[code] : LinkKind::None;
    if (kind == LinkKind::None) return {};  // NoLink only sets the button
    return {Flow::Leave, 0, {kind}};
}

// Group 2: stream numbers, navigation timer, counter mode, karaoke mix and button.
Vm::Step Vm::setSystem(const Command& c)
{
    bool compared = compareOp(c) != 0;
    if (!compare(compareOp(c), read(c[6]), read(c[7]))) return {};
    bool imm = immediate(c);
    switch (c[0] & 0x0F) {
    case 1: {  // SetSTN
        auto value = [&](int at) -> std::uint16_t {
            return imm ? c[at] & 0x7F : gprm_[c[at] & 0x0F];
        };
        if (c[3] & 0x80) sprm_[sprm::AudioStream] = value(3);
        if (c[4] & 0x80) sprm_[sprm::SubpictureStream] = value(4);
        if (c[5] & 0x80) sprm_[sprm::AngleNumber] = value(5);
        break;
    }
    case 2:  // SetNVTMR
        sprm_[sprm::NavTimer] = imm ? word(c, 2) : read(c[3]);
        sprm_[sprm::NavTimerPgc] = word(c, 4) & 0x7FFF;
        break;
    case 3: {  // SetGPRMMD
        int n = c[5] & 0x0F;
        gprm_[n] = imm ? word(c, 2) : read(c[3]);
        counter_[n] = (c[5] & 0x80) != 0;
        break;
    }
    case 4:  // SetAMXMD
        sprm_[sprm::KaraokeMix] = imm ? word(c, 2) : read(c[3]);
        break;
    case 6:  // SetHL_BTNN
        sprm_[sprm::HighlightButton] = (imm ? word(c, 4) : read(c[5])) & 0xFC00;
        break;
    default: break;
    }
    return compared ? Step{} : link(c, branch(c));
}

// Group 3: arithmetic on a general register, with a compare or a trailing link.
Vm::Step Vm::setGeneral(const Command& c)
{
    bool compared = compareOp(c) != 0;
    std::uint16_t right = compareImmediate(c) ? word(c, 6) : read(c[7]);
    if (!compare(compareOp(c), gprm_[c[2] & 0x0F], right)) return {};
    bool imm = immediate(c);
    set(c[0] & 0x0F, c[3] & 0x0F, imm ? word(c, 4) : read(c[5]), imm ? -1 : c[5]);
    return compared ? Step{} : link(c, branch(c));
}

// Group 4: set, then compare the same register, then a sub-link.
Vm::Step Vm::setCompareLink(const Command& c)
{
    bool imm = immediate(c);
    int target = c[1] & 0x0F;
    set(c[0] & 0x0F, target, imm ? word(c, 2) : read(c[3]), imm ? -1 : c[3]);
    std::uint16_t right = compareImmediate(c) ? word(c, 4) : read(c[5]);
    if (!compare(compareOp(c), gprm_[target], right)) return {};
    return linkSub(c);
}

// Groups 5 and 6: compare two registers (bytes 4 and 5), then set; group 5 links only
// when the compare holds, group 6 always.
Vm::Step Vm::compareSetLink(const Command& c, bool linkAlways)
{
    bool holds = compare(compareOp(c), read(c[4]), read(c[5]));
    if (holds) {
        bool imm = immediate(c);
        set(c[0] & 0x0F, c[1] & 0x0F, imm ? word(c, 2) : read(c[3]), imm ? -1 : c[3]);
    }
    return holds || linkAlways ? linkSub(c) : Step{};
}

}  // namespace nav
