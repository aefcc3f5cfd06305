// The disc information refresh: what the other windows learn about the current title, the
// pickers, and the report the information dialog shows.

#include "app/Forms.h"
#include "app/MainForm.h"
#include "app/Shared.h"
#include "app/TimeText.h"
#include "info/DiscReport.h"
#include "info/InfoForm.h"

void TMainForm::StorePictureShape(const DVD_VideoAttributes& video)
{
    VideoWidth = static_cast<std::uint16_t>(video.ulSourceResolutionX);
    VideoHeight = static_cast<std::uint16_t>(video.ulSourceResolutionY);
    VideoAspectX = static_cast<std::uint16_t>(video.ulAspectX);
    VideoAspectY = static_cast<std::uint16_t>(video.ulAspectY);
}

void TMainForm::GetInfo()
{
    if (!FilterGraph.Active())
        return;
    ui::Memo& memo = InfoForm->InfoMemo;
    memo.Clear();

    // Results are not examined: a refused query leaves its zeros.
    const ComPtr<IDvdInfo2> info = FilterGraph.Get<IDvdInfo2>();
    DVD_VideoAttributes video{};
    DVD_AudioAttributes audio{};
    ULONG audioStreams = 0, currentAudio = 0;
    ULONG subpictureStreams = 0, currentSubpicture = 0;
    BOOL subpictureDisabled = FALSE;
    ULONG chapters = 0, angles = 0, currentAngle = 0;
    info->GetCurrentVideoAttributes(&video);
    info->GetCurrentAudio(&audioStreams, &currentAudio);
    info->GetAudioAttributes(currentAudio, &audio);
    info->GetCurrentSubpicture(&subpictureStreams, &currentSubpicture, &subpictureDisabled);
    info->GetNumberOfChapters(static_cast<ULONG>(GetCurrentTitle()), &chapters);
    info->GetCurrentAngle(&angles, &currentAngle);

    info::DiscFacts facts;
    facts.width = static_cast<std::uint16_t>(video.ulSourceResolutionX);
    facts.height = static_cast<std::uint16_t>(video.ulSourceResolutionY);
    facts.aspectX = static_cast<std::uint16_t>(video.ulAspectX);
    facts.aspectY = static_cast<std::uint16_t>(video.ulAspectY);
    facts.letterboxed = video.fIsSourceLetterboxed != FALSE;
    facts.frameRate = video.ulFrameRate;
    facts.channels = audio.bNumberOfChannels;
    facts.quantization = audio.bQuantization;
    facts.samplingRate = audio.dwFrequency;
    facts.audioStreams = audioStreams;
    facts.currentAudioStream = currentAudio;
    facts.angles = angles;
    facts.currentAngle = currentAngle;
    facts.chapters = chapters;
    StorePictureShape(video);

    // A refused query keeps the length of the previous refresh.
    DVD_HMSF_TIMECODE total{TitleLength.bHours, TitleLength.bMinutes, TitleLength.bSeconds, TitleLength.bFrames};
    ULONG timeCodeFlags = 0;
    info->GetTotalTitleTime(&total, &timeCodeFlags);
    TitleLength = graph::ToHMSFTimeCode(total);
    dsTrackbar.SetMax(app::SecondsOf({TitleLength.bHours, TitleLength.bMinutes, TitleLength.bSeconds}));

    RebuildPickers(*info.Get(), audioStreams, subpictureStreams, angles, chapters);

    for (const std::wstring& line : info::ReportLines(facts))
        memo.AddLine(line);
    memo.AddLine(info::CurrentChapterLine(static_cast<unsigned long>(GetCurrentChapter())));
    // Appending leaves the box scrolled to its end; the report reads from the top.
    SendMessageW(memo.Handle(), EM_SETSEL, 0, 0);
    SendMessageW(memo.Handle(), EM_SCROLLCARET, 0, 0);
}
