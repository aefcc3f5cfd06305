#include "info/DiscReport.h"

namespace info {

std::vector<std::wstring> ReportLines(const DiscFacts& f)
{
    using std::to_wstring;
    return {
        L"Video resolution:\t" + to_wstring(f.width) + L"x" + to_wstring(f.height),
        L"Aspect ratio:\t" + to_wstring(f.aspectX) + L":" + to_wstring(f.aspectY),
        std::wstring(L"Letterboxed:\t") + (f.letterboxed ? L"True" : L"False"),
        L"Frame rate:\t" + to_wstring(f.frameRate),
        L"",
        L"Channels:\t\t" + to_wstring(f.channels),
        L"Quantization:\t" + to_wstring(f.quantization),
        L"Sampling rate:\t" + to_wstring(f.samplingRate / 1000) + L" kHz",
        L"Audio streams:\t" + to_wstring(f.audioStreams),
        L"Current stream:\t" + to_wstring(f.currentAudioStream),
        L"",
        L"Angles:\t\t" + to_wstring(f.angles),
        L"Current Angle:\t" + to_wstring(f.currentAngle),
        L"Chapters:\t\t" + to_wstring(f.chapters),
    };
}

std::wstring CurrentChapterLine(unsigned long chapter)
{
    return L"Current chapter:\t" + std::to_wstring(chapter);
}

} // namespace info
