#pragma once
// The DVD time codes as graph events deliver them. MinGW's strmif.h already declares global
// structs of these names (the digit one as bit fields of other widths), so ours live in
// namespace graph and hold one byte a field. Name them qualified (graph::tagDVD_TIMECODE):
// with `using namespace graph` the plain names are ambiguous.

#include "graph/DirectShow.h"

namespace graph {

struct tagDVD_HMSF_TIMECODE {
    BYTE bHours;
    BYTE bMinutes;
    BYTE bSeconds;
    BYTE bFrames;
};

// Each field ending in 1 holds a units digit, each ending in 10 a tens digit.
struct tagDVD_TIMECODE {
    BYTE Hours1;
    BYTE Hours10;
    BYTE Minutes1;
    BYTE Minutes10;
    BYTE Seconds1;
    BYTE Seconds10;
    BYTE Frames1;
    BYTE Frames10;
    BYTE FrameRateCode;
};

// The value's four bytes, lowest first: hours, minutes, seconds, frames.
constexpr tagDVD_HMSF_TIMECODE DecodeHMSFTimeCode(DWORD value)
{
    return {static_cast<BYTE>(value & 0xFF), static_cast<BYTE>((value >> 8) & 0xFF),
            static_cast<BYTE>((value >> 16) & 0xFF), static_cast<BYTE>((value >> 24) & 0xFF)};
}

// The navigator's own record (same byte order) seen as ours.
constexpr tagDVD_HMSF_TIMECODE ToHMSFTimeCode(const ::DVD_HMSF_TIMECODE& time)
{
    return {time.bHours, time.bMinutes, time.bSeconds, time.bFrames};
}

// Digit nibbles from the top down; Frames10 has two bits and the frame-rate code the last two.
constexpr tagDVD_TIMECODE DecodeTimeCode(DWORD value)
{
    return {static_cast<BYTE>((value >> 28) & 0xF), static_cast<BYTE>((value >> 24) & 0xF),
            static_cast<BYTE>((value >> 20) & 0xF), static_cast<BYTE>((value >> 16) & 0xF),
            static_cast<BYTE>((value >> 12) & 0xF), static_cast<BYTE>((value >> 8) & 0xF),
            static_cast<BYTE>((value >> 4) & 0xF),  static_cast<BYTE>((value >> 2) & 0x3),
            static_cast<BYTE>(value & 0x3)};
}

}  // namespace graph
