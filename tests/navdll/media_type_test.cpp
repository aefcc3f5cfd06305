// Media types the pins offer, their copies, and the enumerators that hand them out.

#include "Enumerators.h"
#include "MediaType.h"
#include "SampleProducers.h"

#include <gtest/gtest.h>

using namespace lumanav;

TEST(MediaTypes, VideoIsBottomUpRgb32OfTheGivenSizeAndRate)
{
    const MediaType type = rgb32VideoType(720, 576, 400000);
    const AM_MEDIA_TYPE& raw = type.get();
    EXPECT_TRUE(IsEqualGUID(raw.majortype, MEDIATYPE_Video));
    EXPECT_TRUE(IsEqualGUID(raw.subtype, MEDIASUBTYPE_RGB32));
    ASSERT_TRUE(IsEqualGUID(raw.formattype, FORMAT_VideoInfo));
    ASSERT_EQ(sizeof(VIDEOINFOHEADER), raw.cbFormat);
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(raw.pbFormat);
    EXPECT_EQ(720, info->bmiHeader.biWidth);
    EXPECT_EQ(576, info->bmiHeader.biHeight);
    EXPECT_EQ(32, info->bmiHeader.biBitCount);
    EXPECT_EQ(720u * 576 * 4, info->bmiHeader.biSizeImage);
    EXPECT_EQ(720u * 576 * 4, raw.lSampleSize);
    EXPECT_EQ(400000, info->AvgTimePerFrame);

    // The type a change of picture size brings carries the display aspect besides.
    const MediaType changed = rgb32VideoType2(352, 288, 400000, 4, 3);
    ASSERT_TRUE(IsEqualGUID(changed.get().formattype, FORMAT_VideoInfo2));
    ASSERT_EQ(sizeof(VIDEOINFOHEADER2), changed.get().cbFormat);
    const auto* info2 = reinterpret_cast<const VIDEOINFOHEADER2*>(changed.get().pbFormat);
    EXPECT_EQ(352, info2->bmiHeader.biWidth);
    EXPECT_EQ(288, info2->bmiHeader.biHeight);
    EXPECT_EQ(352u * 288 * 4, changed.get().lSampleSize);
    EXPECT_EQ(4u, info2->dwPictAspectRatioX);
    EXPECT_EQ(3u, info2->dwPictAspectRatioY);
}

TEST(MediaTypes, AudioIsSixteenBitPcm)
{
    const MediaType type = pcmAudioType(48000, 2);
    ASSERT_TRUE(IsEqualGUID(type.get().formattype, FORMAT_WaveFormatEx));
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(type.get().pbFormat);
    EXPECT_EQ(WAVE_FORMAT_PCM, format->wFormatTag);
    EXPECT_EQ(16, format->wBitsPerSample);
    EXPECT_EQ(4, format->nBlockAlign);
    EXPECT_EQ(192000u, format->nAvgBytesPerSec);
}

TEST(MediaTypes, AudioTravelsInBuffersOfATenthOfASecond)
{
    const MediaType type = pcmAudioType(48000, 2);
    EXPECT_EQ(4800 * 4, audioBufferBytes(*reinterpret_cast<const WAVEFORMATEX*>(type.get().pbFormat)));
    const MediaType high = pcmAudioType(96000, 2);
    EXPECT_EQ(9600 * 4, audioBufferBytes(*reinterpret_cast<const WAVEFORMATEX*>(high.get().pbFormat)));
}

TEST(MediaTypes, CopiesOwnTheirFormat)
{
    const MediaType original = rgb32VideoType(352, 240, 333667);
    const MediaType copy(original.get());
    EXPECT_NE(original.get().pbFormat, copy.get().pbFormat);
    EXPECT_TRUE(copy.equals(original.get()));

    MediaType assigned = pcmAudioType(44100, 2);
    assigned = original;
    EXPECT_TRUE(assigned.equals(original.get()));

    AM_MEDIA_TYPE* handed = original.allocateCopy();
    ASSERT_NE(nullptr, handed);
    EXPECT_TRUE(original.equals(*handed));
    MediaType::freeFormat(*handed);
    CoTaskMemFree(handed);
}

TEST(MediaTypes, PartialTypesMatchOnTheFieldsTheyName)
{
    const MediaType video = rgb32VideoType(720, 480, 333667);
    AM_MEDIA_TYPE wanted{};
    EXPECT_TRUE(video.acceptsPartial(wanted));
    wanted.majortype = MEDIATYPE_Video;
    EXPECT_TRUE(video.acceptsPartial(wanted));
    wanted.subtype = MEDIASUBTYPE_RGB24;
    EXPECT_FALSE(video.acceptsPartial(wanted));
    wanted.subtype = GUID_NULL;
    wanted.majortype = MEDIATYPE_Audio;
    EXPECT_FALSE(video.acceptsPartial(wanted));

    const MediaType otherSize = rgb32VideoType(720, 576, 333667);
    EXPECT_FALSE(video.equals(otherSize.get()));
}

TEST(Enumerators, HandOutCopiesInOrderAndKeepTheirPlace)
{
    std::vector<MediaType> types{rgb32VideoType(720, 576, 400000), pcmAudioType(48000, 2)};
    auto enumerator = makeObject<MediaTypeEnumerator>(types);
    ASSERT_TRUE(enumerator);

    AM_MEDIA_TYPE* handed[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, enumerator->Next(3, handed, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_TRUE(IsEqualGUID(handed[0]->majortype, MEDIATYPE_Video));
    EXPECT_TRUE(IsEqualGUID(handed[1]->majortype, MEDIATYPE_Audio));
    for (ULONG i = 0; i < fetched; ++i) {
        MediaType::freeFormat(*handed[i]);
        CoTaskMemFree(handed[i]);
    }
    EXPECT_EQ(E_POINTER, enumerator->Next(2, handed, nullptr)) << "several at once need a count";

    ASSERT_EQ(S_OK, enumerator->Reset());
    EXPECT_EQ(S_OK, enumerator->Skip(1));
    ComPtr<IEnumMediaTypes> clone;
    ASSERT_EQ(S_OK, enumerator->Clone(&clone));
    EXPECT_EQ(S_FALSE, enumerator->Skip(5));
    ASSERT_EQ(S_OK, clone->Next(1, handed, nullptr)) << "the clone starts where the original was";
    EXPECT_TRUE(IsEqualGUID(handed[0]->majortype, MEDIATYPE_Audio));
    MediaType::freeFormat(*handed[0]);
    CoTaskMemFree(handed[0]);
    EXPECT_EQ(S_FALSE, clone->Next(1, handed, nullptr));
}
