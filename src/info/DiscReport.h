#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace info {

// What one disc information refresh learned from the navigator; zero where a query failed.
struct DiscFacts {
    std::uint16_t width = 0, height = 0;    // source resolution, cut to 16 bits
    std::uint16_t aspectX = 0, aspectY = 0; // cut to 16 bits
    bool letterboxed = false;
    unsigned long frameRate = 0;            // hertz
    unsigned channels = 0;
    unsigned quantization = 0;              // bits per sample
    unsigned long samplingRate = 0;         // hertz
    unsigned long audioStreams = 0, currentAudioStream = 0;
    unsigned long angles = 0, currentAngle = 0;
    unsigned long chapters = 0;
};

// Lines 1 to 14 of the information report; the tabs line the values up in a column.
std::vector<std::wstring> ReportLines(const DiscFacts& facts);

// The last line, written with the chapter asked for at the moment it is written.
std::wstring CurrentChapterLine(unsigned long chapter);

} // namespace info
