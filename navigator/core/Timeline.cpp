#include "core/Timeline.h"

#include <algorithm>
#include <cmath>

namespace nav {

Timecode timecodeOf(double seconds, int frameRate)
{
    auto frames = static_cast<long long>(std::floor(std::max(0.0, seconds) * frameRate + 1e-6));
    long long whole = frames / frameRate;
    Timecode t;
    t.time.hours = static_cast<std::uint8_t>(std::min(whole / 3600, 255LL));
    t.time.minutes = static_cast<std::uint8_t>(whole / 60 % 60);
    t.time.seconds = static_cast<std::uint8_t>(whole % 60);
    t.time.frames = static_cast<std::uint8_t>(frames % frameRate);
    t.flags = frameRate == 25 ? Fps25 : Fps30;
    return t;
}

bool Timeline::inAngleBlock(int cell) const
{
    return cell >= 1 && cell <= cellCount() && pgc_.cells[cell - 1].blockType == BlockType::Angle;
}

int Timeline::blockFirst(int cell) const
{
    while (cell > 1 && inAngleBlock(cell - 1) && pgc_.cells[cell - 1].blockMode != BlockMode::First)
        --cell;
    return cell;
}

int Timeline::blockLast(int cell) const
{
    while (cell < cellCount() && inAngleBlock(cell + 1) &&
        pgc_.cells[cell - 1].blockMode != BlockMode::Last &&
        pgc_.cells[cell].blockMode != BlockMode::First)
        ++cell;
    return cell;
}

int Timeline::resolve(int cell) const
{
    if (cell < 1 || cell > cellCount()) return 0;
    if (!inAngleBlock(cell)) return cell;
    int firstCell = blockFirst(cell);
    int angles = blockLast(cell) - firstCell + 1;
    return firstCell + std::clamp(angle_, 1, angles) - 1;
}

// Damaged block marks can make a block's first and last cells disagree, so that resolving the
// next block leads back to an earlier cell: steps always move on, or walks would never end.
int Timeline::next(int cell) const
{
    int after = (inAngleBlock(cell) ? blockLast(cell) : cell) + 1;
    int resolved = resolve(after);
    return resolved > cell || resolved == 0 ? resolved : after;
}

int Timeline::previous(int cell) const
{
    int before = (inAngleBlock(cell) ? blockFirst(cell) : cell) - 1;
    if (before < 1) return 0;
    int resolved = resolve(blockFirst(before));
    return resolved >= 1 && resolved < cell ? resolved : before;
}

int Timeline::program(int cell) const
{
    int found = 0;
    for (int p = 1; p <= programCount(); ++p) {
        if (pgc_.programs[p - 1] <= cell) found = p;
    }
    return found;
}

int Timeline::programEntry(int program) const
{
    if (program < 1 || program > programCount()) return 0;
    return resolve(pgc_.programs[program - 1]);
}

int Timeline::frameRate() const
{
    if (pgc_.playbackTime.frameRate) return pgc_.playbackTime.frameRate;
    for (const CellPlayback& c : pgc_.cells) {
        if (c.playbackTime.frameRate) return c.playbackTime.frameRate;
    }
    return 30;
}

double Timeline::duration(int cell) const
{
    if (cell < 1 || cell > cellCount()) return 0;
    return std::max(pgc_.cells[cell - 1].playbackTime.totalSeconds(), 1.0 / frameRate());
}

double Timeline::start(int cell) const
{
    double t = 0;
    for (int c = first(); c != 0 && c != cell; c = next(c)) t += duration(c);
    return t;
}

double Timeline::length() const
{
    double t = 0;
    for (int c = first(); c != 0; c = next(c)) t += duration(c);
    return t;
}

Timeline::Point Timeline::at(double seconds) const
{
    Point p;
    double t = 0;
    for (int c = first(); c != 0; c = next(c)) {
        p = {c, std::max(0.0, seconds - t)};
        if (seconds < t + duration(c)) return p;
        t += duration(c);
    }
    if (p.cell) p.offset = duration(p.cell);
    return p;
}

}  // namespace nav
