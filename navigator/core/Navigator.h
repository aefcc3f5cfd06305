#pragma once
// The stand-in DVD navigator as the Windows side sees it: commands, queries and a queue
// of events, with numbers that map one to one onto the platform's DVD interfaces.
// Not thread-safe: the caller serialises every call.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nav {

class Playback;
struct Disc;
struct Vobu;
enum class VobSet;

// Reads whole sectors of a title set's menu or title VOBs (title set 0: the video manager).
using SectorReader = std::function<bool(
    unsigned titleSet, VobSet set, std::uint32_t sector, std::span<std::uint8_t> out)>;
// Told true as a read begins to wait on the drive and false once it has done, on the reading
// thread: the owner of a lock the reader's callers hold can let others in meanwhile.
using DriveWait = std::function<void(bool waiting)>;

enum class Domain {
    FirstPlay = 1,
    VideoManagerMenu = 2,
    VideoTitleSetMenu = 3,
    Title = 4,
    Stop = 5
};
enum class MenuId { Title = 2, Root = 3, Subpicture = 4, Audio = 5, Angle = 6, Chapter = 7 };
enum class Direction { Up, Down, Left, Right };

enum class Status {
    Ok,
    InvalidDomain,    // not possible where playback is now (e.g. chapter steps in a menu)
    InvalidArgument,  // no such title, chapter, stream, angle, time or rate
    Prohibited,       // the disc forbids this user operation here, or the rate is inhibited
    NoSuchButton,     // no buttons, or no button at that number or position
    StreamDisabled,   // the stream exists but the title does not offer it
    NotAvailable,     // the disc has no such menu, or there is nothing to resume
};

// Event codes as the platform numbers them.
namespace event {
constexpr std::uint32_t DomainChange = 0x101;            // p1 = Domain
constexpr std::uint32_t TitleChange = 0x102;             // p1 = title
constexpr std::uint32_t ChapterStart = 0x103;            // p1 = chapter
constexpr std::uint32_t AudioStreamChange = 0x104;       // p1 = stream
constexpr std::uint32_t SubpictureStreamChange = 0x105;  // p1 = stream, p2 = shown
constexpr std::uint32_t AngleChange = 0x106;             // p1 = angles, p2 = current
constexpr std::uint32_t ButtonChange = 0x107;            // p1 = buttons, p2 = current
constexpr std::uint32_t ValidUopsChange = 0x108;         // p1 = prohibited operations
constexpr std::uint32_t StillOn = 0x109;                 // p1 = 1 without buttons, p2 = seconds
constexpr std::uint32_t StillOff = 0x10A;
constexpr std::uint32_t PlaybackRateChange = 0x110;  // p1 = rate * 10000, negative backwards
constexpr std::uint32_t PlaybackStopped = 0x112;
constexpr std::uint32_t AnglesAvailable = 0x113;      // p1 = 1 inside an angle block
constexpr std::uint32_t ButtonAutoActivated = 0x115;  // p1 = button
// p1 = hours | minutes << 8 | seconds << 16 | frames << 24, p2 = TimeFlags
constexpr std::uint32_t CurrentHmsfTime = 0x11A;
}  // namespace event

constexpr std::int64_t InfiniteStillSeconds = 0xFFFFFFFF;

struct Event {
    std::uint32_t code;
    std::int64_t param1;
    std::int64_t param2;

    bool operator==(const Event&) const = default;
};

struct Hmsf {
    std::uint8_t hours = 0, minutes = 0, seconds = 0, frames = 0;

    bool operator==(const Hmsf&) const = default;
};

// Time-code flags as the platform reports them with a time.
enum TimeFlags : std::uint32_t { Fps25 = 1, Fps30 = 2, DropFrame = 4, Interpolated = 8 };

struct Timecode {
    Hmsf time;
    std::uint32_t flags = 0;
};

struct Location {
    int title = 0;
    int chapter = 0;
    Timecode time;
    // The program chain playing, numbered in its domain's table (a menu's in its language
    // unit), and the cell being read in it; both from 1, 0 when there is none.
    int programChain = 0;
    int cell = 0;
};

struct AudioState {
    int available = 0;
    int current = 0;
};
struct SubpictureState {
    int available = 0;
    int current = 0;
    bool disabled = true;
};
struct AngleState {
    int available = 1;
    int current = 1;
};

struct VideoInfo {
    int sourceWidth = 720, sourceHeight = 480;
    int aspectX = 4, aspectY = 3;
    int frameRate = 60;  // 50 for 625/50 video, 60 for 525/60
    bool mpeg2 = true;
    bool letterboxed = false;  // the picture itself is letterboxed 16:9 in 4:3
    bool panScanPermitted = true;
    bool letterboxPermitted = true;
    bool line21Field1 = false, line21Field2 = false;
    bool film = false;
};

enum class AudioCoding { Ac3, Mpeg1, Mpeg2, Lpcm, Dts, Sdds, Other };

struct AudioInfo {
    AudioCoding coding = AudioCoding::Ac3;
    int frequency = 48000;  // Hz
    int quantization = 16;  // bits per sample (16 for the compressed formats)
    int channels = 2;
    std::uint32_t language = 0;  // Windows locale id, 0 = none
    int languageExtension = 0;
    bool multichannelExtension = false;
    int applicationMode = 0;  // 0 none, 1 karaoke, 2 surround
};

struct SubpictureInfo {
    bool hasLanguage = false;
    std::uint32_t language = 0;  // Windows locale id, 0 = none
    int languageExtension = 0;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive

    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect&) const = default;
};

struct Button {
    int number = 0;  // from 1
    Rect rect;       // in the picture's source coordinates
    bool autoAction = false;
};

// Everything the DLL's frame drawer shows.
struct FrameInfo {
    Domain domain = Domain::Stop;
    int title = 0, chapter = 0;
    Timecode time;
    int audio = 0, subpicture = 0, angle = 1;
    bool subpictureShown = false;
    double rate = 1.0;
    bool still = false;
    std::vector<Button> buttons;
    int selectedButton = 0;   // 0 = none
    int activatedButton = 0;  // the button last activated while its menu shows, 0 = none
    int width = 720, height = 480;
};

// What the pictures show over them: a subpicture stream and the highlighted button.
struct Overlay {
    int stream = -1;     // physical subpicture stream, -1 = none
    bool shown = false;  // the user's choice; forced subpictures show either way
    std::array<std::uint32_t, 16> palette{};  // the program chain's colours, 0x00YYCrCb
    bool button = false;
    Rect rect;                  // of the highlighted button
    std::uint32_t colours = 0;  // its colour entry: selection, or action once activated
    bool acting = false;        // its command waits for a picture of these colours

    bool operator==(const Overlay&) const = default;
};

class Navigator;

struct OpenResult {
    std::unique_ptr<Navigator> navigator;
    std::string error;  // why there is no navigator
};

class Navigator {
public:
    // path: a folder holding VIDEO_TS, the VIDEO_TS folder, any file inside it, or a disc image.
    // With `readAhead` bytes, the VOBs are read that far ahead on a thread of their own, and a
    // read that has to wait for that thread tells `driveWait`.
    static OpenResult open(const std::string& path, std::size_t readAhead = 0, DriveWait driveWait = {});
    // Over structures already decoded; the reader supplies the NAV packs that hold the buttons.
    static std::unique_ptr<Navigator> create(Disc disc, SectorReader reader);
    ~Navigator();
    Navigator(const Navigator&) = delete;
    Navigator& operator=(const Navigator&) = delete;

    // Playback as when the disc is inserted: the first-play program chain.
    void start();
    void stop();
    // Moves playback on by this much presentation time at the current rate, without
    // pictures: time alone carries playback through the cells.
    void advance(double seconds);
    // Playback with pictures: the next VOBU to decode, in play order; cells, chapters,
    // buttons and stills follow what is read. Nothing while a still holds or once stopped.
    std::optional<Vobu> read();
    // Jumps change it; what was read under an older one belongs to the past.
    unsigned generation() const;
    // The picture of a VOBU of this generation showing this title time is on screen: the
    // time the player is told.
    void presented(unsigned generation, double seconds);
    // Clock time for stills and the navigation timer while playback follows the pictures.
    void elapse(double seconds);
    // Where reading took playback is told as its pictures show: the first picture of the
    // VOBU with this serial is on screen; every picture of what was read has been.
    void shown(std::uint32_t vobu);
    void caughtUp();
    std::vector<Event> takeEvents();
    void setHmsfTimeEvents(bool on);
    // For a player that shows pictures: an activated button's command waits until a picture
    // has shown the button in its action colours (Overlay::acting), told by actionShown(), or
    // at most a moment of clock time.
    void setActionsShown(bool on);
    void actionShown();

    Status playTitle(int title);
    Status playChapterInTitle(int title, int chapter);
    Status playChapter(int chapter);
    Status playAtTimeInTitle(int title, Hmsf time);  // title 0 = the one playing
    Status playAtTime(Hmsf time);
    Status playNextChapter();
    Status playPrevChapter();
    Status replayChapter();
    Status playForwards(double speed);
    Status playBackwards(double speed);
    Status showMenu(MenuId menu);
    Status resume();
    Status returnFromSubmenu();
    Status selectAudioStream(int stream);
    Status selectSubpictureStream(int stream);
    Status setSubpictureState(bool on);
    Status selectAngle(int angle);
    Status selectButton(int button);
    Status activateButton();
    Status selectRelativeButton(Direction direction);
    Status selectAtPosition(int x, int y);
    Status activateAtPosition(int x, int y);
    Status stillOff();
    Status setParentalLevel(int level);

    Domain domain() const;
    Location location() const;
    Timecode totalTitleTime() const;
    int numberOfTitles() const;
    int numberOfChapters(int title) const;  // 0 = no such title
    AudioState currentAudio() const;
    SubpictureState currentSubpicture() const;
    AngleState currentAngle() const;
    std::uint32_t audioLanguage(int stream) const;  // 0 = none or no such stream
    std::uint32_t subpictureLanguage(int stream) const;
    VideoInfo videoAttributes() const;
    // Of the disc's largest pictures, in any domain it has: a size every picture fits.
    VideoInfo largestVideo() const;
    AudioInfo audioAttributes(int stream) const;
    SubpictureInfo subpictureAttributes(int stream) const;
    std::vector<Button> buttons() const;
    int currentButton() const;             // 0 = none
    Overlay overlay() const;
    // The physical audio stream playing (0-7 of its coding), -1 when none.
    int audioStream() const;
    std::uint32_t prohibitedUops() const;  // the disc's user-operation bits, set = prohibited
    double rate() const;
    FrameInfo frame() const;

private:
    explicit Navigator(std::unique_ptr<Playback> playback);

    std::unique_ptr<Playback> playback_;
};

}  // namespace nav
