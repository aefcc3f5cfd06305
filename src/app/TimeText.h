#pragma once
#include <cstdint>
#include <string>

namespace app {

// Puts "0" characters in front until the text is at least `width` long; never cuts.
std::wstring FillZero(std::wstring text, std::uint8_t width);

struct Hms {
    unsigned hours, minutes, seconds;
};

// "hh:mm:ss/hh:mm:ss": the elapsed time, then the title's total; hours grow past two digits.
std::wstring TimeText(Hms elapsed, Hms total);

// Whole seconds of a time; the seek bar's unit.
int SecondsOf(Hms time);

// The time a seek-bar position stands for. Positions come from a bar whose maximum was
// built from byte-sized hours, so every field fits a byte.
Hms HmsAt(int seconds);

} // namespace app
