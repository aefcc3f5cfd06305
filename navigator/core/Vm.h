#pragma once
// The DVD virtual machine: 16 general and 24 system registers and the eight-byte
// navigation commands. It knows nothing of the disc; a command that leaves the
// current list (a link, jump or call) comes back as a Link for the player to carry out.

#include <array>
#include <cstdint>
#include <random>
#include <span>

namespace nav {

using Command = std::array<std::uint8_t, 8>;

enum class LinkKind : std::uint8_t {
    None,  // the list ran out, broke, or only set registers
    // Within the current domain.
    TopCell,
    NextCell,
    PrevCell,
    TopProgram,
    NextProgram,
    PrevProgram,
    TopPgc,
    NextPgc,
    PrevPgc,
    GoUpPgc,
    TailPgc,
    Resume,
    Pgc,
    Chapter,
    Program,
    Cell,
    // Across domains.
    Exit,
    JumpTitle,
    JumpVtsTitle,
    JumpVtsChapter,
    JumpFirstPlay,
    JumpVmgMenu,
    JumpVtsMenu,
    JumpVmgPgc,
    CallFirstPlay,
    CallVmgMenu,
    CallVtsMenu,
    CallVmgPgc,
};

struct Link {
    LinkKind kind = LinkKind::None;
    int number = 0;      // PGC, chapter, program, cell, title, VTS title or menu id, by kind
    int chapter = 0;     // JumpVtsChapter: the chapter in that VTS title
    int titleSet = 0;    // JumpVtsMenu: the title set
    int vtsTitle = 0;    // JumpVtsMenu: the VTS title whose menus are meant
    int resumeCell = 0;  // calls: the cell to resume at, 0 = the current one

    bool operator==(const Link&) const = default;
};

// System register numbers the player reads and writes by name.
namespace sprm {
enum : int {
    MenuLanguage = 0,
    AudioStream = 1,
    SubpictureStream = 2,
    AngleNumber = 3,
    TitleNumber = 4,
    VtsTitleNumber = 5,
    TitlePgcNumber = 6,
    ChapterNumber = 7,
    HighlightButton = 8,
    NavTimer = 9,
    NavTimerPgc = 10,
    KaraokeMix = 11,
    ParentalCountry = 12,
    ParentalLevel = 13,
    VideoConfig = 14,
    AudioCapabilities = 15,
    AudioLanguage = 16,
    AudioLanguageExtension = 17,
    SubpictureLanguage = 18,
    SubpictureLanguageExtension = 19,
    RegionMask = 20,
};
}  // namespace sprm

constexpr int GprmCount = 16;
constexpr int SprmCount = 24;
constexpr std::uint16_t NoAudioStream = 15;
constexpr std::uint16_t NoSubpictureStream = 62;
constexpr std::uint16_t SubpictureShown = 0x40;

class Vm {
public:
    Vm();

    std::uint16_t gprm(int n) const { return gprm_[n]; }
    void setGprm(int n, std::uint16_t value) { gprm_[n] = value; }
    bool counterMode(int n) const { return counter_[n]; }
    std::uint16_t sprm(int n) const { return sprm_[n]; }
    void setSprm(int n, std::uint16_t value) { sprm_[n] = value; }

    int highlightedButton() const { return sprm_[sprm::HighlightButton] >> 10; }
    void setHighlightedButton(int button)
    {
        sprm_[sprm::HighlightButton] = static_cast<std::uint16_t>(button << 10);
    }

    // Runs a pre, post or cell command list from its first line.
    Link run(std::span<const Command> commands);
    // Runs one button command.
    Link run(const Command& command) { return run(std::span<const Command>(&command, 1)); }

    // Moves the counters and the navigation timer on by presentation time.
    // True when the navigation timer ran out in this step.
    bool tick(double seconds);

    // Seeds the random set operation, so tests can repeat a sequence.
    void seed(unsigned value) { random_.seed(value); }

private:
    enum class Flow { Next, Goto, Break, Leave };
    struct Step {
        Flow flow = Flow::Next;
        int line = 0;
        Link link;
    };

    Step execute(const Command& c);
    Step special(const Command& c);
    Step linkOrJump(const Command& c);
    Step setSystem(const Command& c);
    Step setGeneral(const Command& c);
    Step setCompareLink(const Command& c);
    Step compareSetLink(const Command& c, bool linkAlways);

    std::uint16_t read(std::uint8_t selector) const;
    bool compare(int op, std::uint16_t left, std::uint16_t right) const;
    void set(int op, int target, std::uint16_t value, int sourceSelector);
    Step link(const Command& c, int branch);
    Step linkSub(const Command& c);
    void highlight(int button);

    std::array<std::uint16_t, GprmCount> gprm_{};
    std::array<bool, GprmCount> counter_{};
    std::array<std::uint16_t, SprmCount> sprm_{};
    double clock_ = 0;  // presentation time not yet counted as a whole second
    std::minstd_rand random_;
};

}  // namespace nav
