#pragma once
// Subpictures: units reassembled from a subpicture stream's packets, decoded into their
// run-length bitmap and display control sequences, and kept per stream for the pictures
// they are drawn over.

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace media {

struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Area&) const = default;
};

// Palette indices and contrasts (0 transparent to 15 opaque) by pixel type: background,
// pattern, emphasis 1, emphasis 2.
struct ColourSet {
    std::array<std::uint8_t, 4> colour{};
    std::array<std::uint8_t, 4> contrast{};

    bool operator==(const ColourSet&) const = default;
};

// A highlight's 32-bit colour entry (emphasis 2, emphasis 1, pattern, background colours,
// then their contrasts, four bits each).
ColourSet colourSet(std::uint32_t entry);

// Colours and contrasts replaced over a band of lines, from column to column: each change
// holds from its column to the next change's, the last to the end of the line.
struct ColourChange {
    int column = 0;
    ColourSet colours;
};
struct ColourRegion {
    int top = 0, bottom = 0;  // lines, bottom exclusive
    std::vector<ColourChange> changes;  // left to right
};

struct Bitmap {
    Area area;
    std::vector<std::uint8_t> pixels;  // pixel types 0-3, row by row, area.width() wide
};

// What a unit shows from `start` on, until its next phase or the next unit.
struct SubpicturePhase {
    std::int64_t start = 0;  // 90 kHz
    bool shown = false;
    bool forced = false;     // shown even with subtitles off
    ColourSet colours;
    std::vector<ColourRegion> regions;  // in line order, not overlapping
    std::shared_ptr<const Bitmap> bitmap;
};

struct Subpicture {
    std::vector<SubpicturePhase> phases;  // in time order, the first at the unit's PTS
};

// Decodes one whole unit; nothing when any part of it lies outside the unit or a run leaves
// its line: such a subpicture is dropped whole rather than drawn half.
std::optional<Subpicture> decodeSubpicture(std::span<const std::uint8_t> unit, std::int64_t pts);

// Joins the packets of one subpicture stream into units. The first two bytes of a unit give
// its size; the packet that starts it carries its PTS.
class SubpictureAssembler {
public:
    // Takes a packet's data after the sub-stream id; answers the unit it completes.
    std::optional<std::vector<std::uint8_t>> push(std::span<const std::uint8_t> data,
        std::optional<std::int64_t> pts, std::int64_t& unitPts);
    void flush() { unit_.clear(); }

private:
    std::vector<std::uint8_t> unit_;
    std::int64_t pts_ = 0;
};

// The chosen subpicture stream between demultiplexer and pictures: takes its packets, and
// answers what to draw over the picture of a given time. Holds a few units ahead at most.
class SubpictureTrack {
public:
    static constexpr std::size_t MaxPending = 16;

    // The user's choice; forced subpictures show either way.
    void setShown(bool shown) { shown_ = shown; }
    void push(std::span<const std::uint8_t> data, std::optional<std::int64_t> pts);
    // Forgets units and partial packets, for a jump or a change of stream.
    void flush();
    // The phase to draw at `pts`, or none; drops what that time has passed.
    const SubpicturePhase* at(std::int64_t pts);

private:
    SubpictureAssembler assembler_;
    std::deque<Subpicture> units_;
    bool shown_ = false;
};

}  // namespace media
