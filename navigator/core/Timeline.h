#pragma once
// A program chain's cells in the order they play for one angle: which cell follows which,
// where programs start, and where a time falls. Cells and programs count from 1; 0 = none.

#include "core/Ifo.h"
#include "core/Navigator.h"

namespace nav {

// A time as whole frames; a hair of tolerance keeps sums of frame times on their frame.
Timecode timecodeOf(double seconds, int frameRate);

class Timeline {
public:
    Timeline(const Pgc& pgc, int angle)
        : pgc_(pgc)
        , angle_(angle)
    {
    }

    int first() const { return resolve(1); }
    int next(int cell) const;
    int previous(int cell) const;

    int programCount() const { return static_cast<int>(pgc_.programs.size()); }
    int program(int cell) const;
    int programEntry(int program) const;

    // Every cell lasts at least a frame, so a chain that loops on itself still moves time on.
    double duration(int cell) const;
    double start(int cell) const;
    double length() const;

    struct Point {
        int cell = 0;
        double offset = 0;
    };
    // The cell playing at a time from the chain's start; past the end, the end of the last cell.
    Point at(double seconds) const;

    bool inAngleBlock(int cell) const;
    // The cell of the same angle block (or the cell itself) that this timeline's angle plays.
    int resolve(int cell) const;
    int frameRate() const;

private:
    int blockFirst(int cell) const;
    int blockLast(int cell) const;
    int cellCount() const { return static_cast<int>(pgc_.cells.size()); }

    const Pgc& pgc_;
    int angle_;
};

}  // namespace nav
