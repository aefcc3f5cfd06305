#pragma once
// The navigation structures of a DVD-Video volume, decoded from VIDEO_TS.IFO and VTS_nn_0.IFO.
//
// Units, unless a field says otherwise:
//   * sector numbers of cells and cell addresses count 2048-byte sectors from the start of the
//     VOBS the domain plays (VIDEO_TS.VOB, VTS_nn_0.VOB, or VTS_nn_1..9.VOB taken as one);
//   * times are the BCD playback times, decoded (see DvdTime);
//   * program, cell, PGC, title and chapter numbers are 1-based wherever they refer to another
//     entry, exactly as the disc stores them; vectors are 0-based, so entry n is at [n - 1].
//
// What a decoded disc guarantees (anything else came from the disc and must be checked before
// use, e.g. PGC links and command operands):
//   * every PgcEntry::pgc is set; cells and cellPositions have the same length;
//   * Pgc::programs ascend strictly and name existing cells; cell command numbers name
//     existing cell commands;
//   * every chapter names an existing PGC of its title set and an existing program in it;
//   * every title names an existing title set and an existing title inside it (loadDisc).
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace nav {

// A playback time as the disc stores it (hours, minutes, seconds, frames), already decoded from
// BCD. frameRate is 25 or 30 (30 stands for 29.97), 0 when the disc's rate bits are illegal.
struct DvdTime {
    uint8_t hours = 0;
    uint8_t minutes = 0;
    uint8_t seconds = 0;
    uint8_t frames = 0;
    uint8_t frameRate = 0;

    // Whole frames at frameRate (an illegal rate counts as 30 so the frames are not lost).
    uint64_t totalFrames() const;
    double totalSeconds() const;
    static DvdTime fromFrames(uint64_t frames, uint8_t frameRate);

    bool operator==(const DvdTime&) const = default;
};

// The four BCD bytes of a time as IFOs and NAV packs store them.
DvdTime decodeDvdTime(std::span<const uint8_t, 4> bytes);

// 32-bit user operation mask (1 = prohibited); the same layout the NAV packs use.
namespace uop {
inline constexpr uint32_t TimePlay = 1u << 0;
inline constexpr uint32_t ChapterPlay = 1u << 1;
inline constexpr uint32_t TitlePlay = 1u << 2;
inline constexpr uint32_t Stop = 1u << 3;
inline constexpr uint32_t GoUp = 1u << 4;
inline constexpr uint32_t TimeOrChapterSearch = 1u << 5;
inline constexpr uint32_t PrevOrTopProgramSearch = 1u << 6;
inline constexpr uint32_t NextProgramSearch = 1u << 7;
inline constexpr uint32_t ForwardScan = 1u << 8;
inline constexpr uint32_t BackwardScan = 1u << 9;
inline constexpr uint32_t TitleMenuCall = 1u << 10;
inline constexpr uint32_t RootMenuCall = 1u << 11;
inline constexpr uint32_t SubpictureMenuCall = 1u << 12;
inline constexpr uint32_t AudioMenuCall = 1u << 13;
inline constexpr uint32_t AngleMenuCall = 1u << 14;
inline constexpr uint32_t ChapterMenuCall = 1u << 15;
inline constexpr uint32_t Resume = 1u << 16;
inline constexpr uint32_t ButtonSelectOrActivate = 1u << 17;
inline constexpr uint32_t StillOff = 1u << 18;
inline constexpr uint32_t PauseOn = 1u << 19;
inline constexpr uint32_t AudioStreamChange = 1u << 20;
inline constexpr uint32_t SubpictureStreamChange = 1u << 21;
inline constexpr uint32_t AngleChange = 1u << 22;
inline constexpr uint32_t KaraokeModeChange = 1u << 23;
inline constexpr uint32_t VideoModeChange = 1u << 24;
}  // namespace uop

struct VideoAttributes {
    uint8_t mpegVersion = 2;          // 1 or 2
    bool pal = false;                 // 625/50; false = 525/60 (NTSC)
    bool wide = false;                // display aspect 16:9; false = 4:3
    uint8_t aspectCode = 0;           // raw: 0 = 4:3, 3 = 16:9, 1 and 2 reserved
    bool panScanDisallowed = false;   // automatic pan&scan not allowed
    bool letterboxDisallowed = false; // automatic letterbox not allowed
    bool line21Field1 = false;        // closed captions in GOP (NTSC)
    bool line21Field2 = false;
    uint8_t resolutionCode = 0;       // raw 3-bit code, decoded into width/height
    uint16_t width = 720;             // source picture size in pixels
    uint16_t height = 480;
    bool letterboxed = false;         // the 4:3 source carries a letterboxed picture
    bool film = false;                // PAL film (true) or camera (false) source
    uint8_t frameRate() const { return pal ? 25 : 30; }

    bool operator==(const VideoAttributes&) const = default;
};

enum class AudioFormat : uint8_t { Ac3 = 0, Mpeg1 = 2, Mpeg2Extended = 3, Lpcm = 4, Dts = 6, Sdds = 7 };

struct AudioAttributes {
    uint8_t codingMode = 0;      // raw; see AudioFormat (1 and 5 are reserved values)
    AudioFormat format() const { return static_cast<AudioFormat>(codingMode); }
    bool multichannelExtension = false;
    uint8_t languageType = 0;    // 1 = language is valid
    std::string language;        // ISO 639 two lower-case letters, empty when none
    uint8_t applicationMode = 0; // 0 unspecified, 1 karaoke, 2 surround
    uint8_t quantization = 0;    // raw: LPCM 0/1/2 = 16/20/24 bit; MPEG: DRC flag
    uint32_t sampleRate = 48000; // Hz
    uint8_t channels = 2;
    uint8_t codeExtension = 0;   // 1 normal, 2 visually impaired, 3/4 director's comments
    uint8_t applicationInfo = 0;
    // Bits per sample of LPCM streams; 0 for compressed formats.
    uint8_t bitsPerSample() const;

    bool operator==(const AudioAttributes&) const = default;
};

struct SubpictureAttributes {
    uint8_t codingMode = 0;    // 0 = 2-bit RLE
    uint8_t languageType = 0;  // 1 = language is valid
    std::string language;      // ISO 639 two lower-case letters, empty when none
    uint8_t codeExtension = 0; // 1 normal captions ... 9 forced, 13.. director's comments

    bool operator==(const SubpictureAttributes&) const = default;
};

// One 8-byte navigation command, undecoded.
using Command = std::array<uint8_t, 8>;

struct AudioStreamControl {
    bool available = false;
    uint8_t physicalStream = 0; // 0..7: 0xC0+n, or AC-3 0x80+n / DTS 0x88+n / LPCM 0xA0+n

    bool operator==(const AudioStreamControl&) const = default;
};

struct SubpictureStreamControl {
    bool available = false;
    uint8_t stream4x3 = 0;       // physical stream 0..31 (sub-stream 0x20+n) for each display
    uint8_t streamWide = 0;
    uint8_t streamLetterbox = 0;
    uint8_t streamPanScan = 0;

    bool operator==(const SubpictureStreamControl&) const = default;
};

enum class BlockMode : uint8_t { None = 0, First = 1, Inside = 2, Last = 3 };
enum class BlockType : uint8_t { Normal = 0, Angle = 1 };

// A cell's playback entry. An angle block is a run of cells with blockType Angle from the
// blockMode First cell to the Last one; angle k plays the k-th cell of the run.
struct CellPlayback {
    BlockMode blockMode = BlockMode::None;
    BlockType blockType = BlockType::Normal;
    bool seamless = false;
    bool interleaved = false;
    bool stcDiscontinuity = false;
    bool seamlessAngle = false;
    bool vobuStill = false;        // still after each VOBU
    bool restricted = false;
    uint8_t karaokeCellType = 0;
    uint8_t stillTime = 0;         // seconds after the cell; 255 = until released
    uint8_t commandNumber = 0;     // 1-based into Pgc::cellCommands; 0 = none
    DvdTime playbackTime;
    uint32_t firstSector = 0;         // first VOBU start (VOBS-relative)
    uint32_t firstIlvuEndSector = 0;  // interleaved cells only
    uint32_t lastVobuStartSector = 0;
    uint32_t lastSector = 0;          // last sector of the cell

    bool operator==(const CellPlayback&) const = default;
};

struct CellPosition {
    uint16_t vobId = 0;
    uint8_t cellId = 0;

    bool operator==(const CellPosition&) const = default;
};

inline constexpr uint8_t InfiniteStill = 255;

struct Pgc {
    DvdTime playbackTime;
    uint32_t prohibitedUops = 0;                         // uop:: mask
    std::array<AudioStreamControl, 8> audioControl{};    // by logical audio stream 0..7
    std::array<SubpictureStreamControl, 32> subpictureControl{}; // by logical stream 0..31
    uint16_t nextPgc = 0;                                // PGC numbers, 0 = none
    uint16_t prevPgc = 0;
    uint16_t goUpPgc = 0;
    uint8_t playbackMode = 0; // raw: 0 sequential; else bit 7 shuffle/random, bits 6-0 count - 1
    uint8_t stillTime = 0;    // seconds after the last cell; 255 = until released
    std::array<uint32_t, 16> palette{}; // sub-picture colours, 0x00YYCrCb
    std::vector<Command> preCommands;
    std::vector<Command> postCommands;
    std::vector<Command> cellCommands;
    std::vector<uint8_t> programs;       // programs[p - 1] = entry cell number of program p
    std::vector<CellPlayback> cells;     // cells[c - 1] = cell c
    std::vector<CellPosition> cellPositions; // parallel to cells

    bool sequential() const { return playbackMode == 0; }
    bool shuffle() const { return (playbackMode & 0x80) != 0; }
    // Number of programs a random or shuffle PGC plays before its post commands.
    unsigned randomProgramCount() const { return (playbackMode & 0x7Fu) + 1; }

    bool operator==(const Pgc&) const = default;
};

// One search pointer of a PGC table. Several pointers may share one PGC.
struct PgcEntry {
    bool entryPgc = false;
    uint8_t titleNumber = 0;  // title PGCs: the VTS_TTN the PGC belongs to
    uint8_t menuType = 0;     // menu entry PGCs: 2 title, 3 root, 4 sub-picture, 5 audio,
                              // 6 angle, 7 chapter; 0 otherwise
    uint16_t parentalMask = 0;
    std::shared_ptr<const Pgc> pgc; // never null
};

// A title set's PGC table or one menu language unit: pgcs[n - 1] is PGC number n.
struct PgcTable {
    std::vector<PgcEntry> pgcs;
};

// Menu existence flags of a language unit.
namespace menuflag {
inline constexpr uint8_t Title = 0x80; // video manager menus
inline constexpr uint8_t Root = 0x80;  // title set menus
inline constexpr uint8_t Subpicture = 0x40;
inline constexpr uint8_t Audio = 0x20;
inline constexpr uint8_t Angle = 0x10;
inline constexpr uint8_t Chapter = 0x08;
}  // namespace menuflag

struct MenuLanguageUnit {
    std::string language;       // ISO 639 letters, as stored (may be empty)
    uint8_t languageExtension = 0;
    uint8_t menuExistence = 0;  // menuflag:: bits
    PgcTable pgcs;
};

struct CellAddress {
    uint16_t vobId = 0;
    uint8_t cellId = 0;
    uint32_t firstSector = 0; // VOBS-relative
    uint32_t lastSector = 0;

    bool operator==(const CellAddress&) const = default;
};

// Title playback type bits (TitleInfo::playbackType).
namespace titletype {
inline constexpr uint8_t NotOneSequentialPgc = 0x40;
inline constexpr uint8_t CellCommandJumps = 0x20;
inline constexpr uint8_t PrePostCommandJumps = 0x10;
inline constexpr uint8_t ButtonCommandJumps = 0x08;
inline constexpr uint8_t AnyCommandJumps = 0x04;
inline constexpr uint8_t ChapterSearchProhibited = 0x02; // UOP1
inline constexpr uint8_t TimeSearchProhibited = 0x01;    // UOP0
}  // namespace titletype

// An entry of the disc's title table; titles[ttn - 1] is title ttn.
struct TitleInfo {
    uint8_t playbackType = 0;   // titletype:: bits
    uint8_t angleCount = 1;     // 1..9
    uint16_t chapterCount = 0;
    uint16_t parentalMask = 0;
    uint8_t titleSet = 0;       // VTSN, 1-based
    uint8_t titleSetTitle = 0;  // VTS_TTN inside that title set
    uint32_t titleSetStartSector = 0; // disc-relative; informational only

    bool operator==(const TitleInfo&) const = default;
};

// The chapters (parts of title) of one VTS title: chapters[pttn - 1].
struct PartOfTitle {
    uint16_t pgcNumber = 0;     // into TitleSet::pgcs
    uint16_t programNumber = 0; // inside that PGC

    bool operator==(const PartOfTitle&) const = default;
};

struct VideoManager {
    uint8_t versionMajor = 1;
    uint8_t versionMinor = 0;
    uint8_t regionProhibitionMask = 0; // bit n set = must not play in region n + 1
    uint16_t volumeCount = 1;
    uint16_t volumeNumber = 1;
    uint8_t discSide = 0;
    uint16_t titleSetCount = 0;
    std::string providerId;           // trailing blanks and NULs removed
    bool hasMenuVobs = false;         // VIDEO_TS.VOB is in use
    std::shared_ptr<const Pgc> firstPlay; // null when the disc has no first-play PGC
    std::vector<TitleInfo> titles;
    std::vector<MenuLanguageUnit> menus;
    VideoAttributes menuVideo;
    std::vector<AudioAttributes> menuAudio;           // 0 or 1 stream
    std::vector<SubpictureAttributes> menuSubpicture; // 0 or 1 stream
    std::vector<CellAddress> menuCells;
};

struct TitleSet {
    uint8_t number = 0;         // VTSN
    uint32_t category = 0;      // 1 = karaoke
    bool hasMenuVobs = false;   // VTS_nn_0.VOB is in use
    std::vector<std::vector<PartOfTitle>> titles; // titles[vts_ttn - 1][pttn - 1]
    PgcTable pgcs;
    std::vector<MenuLanguageUnit> menus;
    VideoAttributes menuVideo;
    std::vector<AudioAttributes> menuAudio;
    std::vector<SubpictureAttributes> menuSubpicture;
    VideoAttributes video;
    std::vector<AudioAttributes> audio;           // 0..8 streams
    std::vector<SubpictureAttributes> subpicture; // 0..32 streams
    std::vector<CellAddress> cells;
    std::vector<CellAddress> menuCells;
};

struct Disc {
    VideoManager videoManager;
    std::vector<TitleSet> titleSets; // titleSets[vtsn - 1]
};

// Raised for damaged, truncated or hostile IFO bytes; the text says what and where.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decode the bytes of one IFO (or BUP) file. Throw FormatError.
VideoManager parseVideoManager(std::span<const uint8_t> ifo);
TitleSet parseTitleSet(std::span<const uint8_t> ifo, uint8_t number);

}  // namespace nav
