// Audio of every coding decoded to the playback format, against FFmpeg's own decoding of the
// same streams of the test disc.
#include "media/AudioDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "support/Files.h"
#include "support/Streams.h"

namespace {

using media::AudioDecoder;
using media::PcmBlock;
using media::StreamId;
using media::StreamKind;

struct Stream {
    const char* name;
    int titleSet;
    StreamId id;
    int ffmpegId;  // the stream's id in the program stream, as ffmpeg names it
    double tone;   // Hz
};

std::filesystem::path vob(int titleSet)
{
    return mediatest::vob("codings", "VTS_0" + std::to_string(titleSet) + "_1.VOB");
}

std::vector<mediatest::Payload> packetsOf(const Stream& s)
{
    return mediatest::streamPackets(vob(s.titleSet), s.id);
}

std::vector<std::int16_t> joined(const std::vector<PcmBlock>& blocks)
{
    std::vector<std::int16_t> all;
    for (const PcmBlock& b : blocks) all.insert(all.end(), b.samples.begin(), b.samples.end());
    return all;
}

std::vector<PcmBlock> decodeAll(AudioDecoder& decoder, const std::vector<mediatest::Payload>& in)
{
    std::vector<PcmBlock> out;
    for (const auto& p : in) decoder.decode(p.data, p.pts, out, p.firstAccessUnit);
    decoder.drain(out);
    return out;
}

// The tone's frequency from the rising zero crossings of the left channel.
double frequency(const std::vector<std::int16_t>& pcm)
{
    int crossings = 0;
    std::size_t first = 0, last = 0;
    bool low = false;
    for (std::size_t i = 0; i < pcm.size(); i += 2) {
        if (pcm[i] < -1000) low = true;
        if (low && pcm[i] >= 0) {
            low = false;
            if (crossings++ == 0) first = i;
            last = i;
        }
    }
    return crossings < 2 ? 0 : (crossings - 1) * double(media::PcmRate) / ((last - first) / 2.0);
}

class AudioCodings : public testing::TestWithParam<Stream> {};

TEST_P(AudioCodings, DecodeAsFfmpegDoesAtTheirOwnTone)
{
    const Stream& s = GetParam();
    auto payloads = packetsOf(s);
    ASSERT_FALSE(payloads.empty());
    AudioDecoder decoder(s.id.kind);
    std::vector<PcmBlock> blocks = decodeAll(decoder, payloads);
    std::vector<std::int16_t> ours = joined(blocks);
    std::vector<std::int16_t> theirs = mediatest::ffmpegPcm(vob(s.titleSet), s.ffmpegId);

    ASSERT_GT(ours.size(), std::size_t{media::PcmRate} * 2 * 2) << "about three seconds";
    ASSERT_EQ(ours.size(), theirs.size());
    std::size_t differ = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) differ += ours[i] != theirs[i];
    EXPECT_EQ(differ, 0u);
    EXPECT_NEAR(frequency(ours), s.tone, s.tone * 0.01);

    // One continuous time line from the stream's first PTS, ending where its last does.
    std::int64_t first = *payloads.front().pts, last = first;
    for (const auto& p : payloads) last = p.pts.value_or(last);
    // Sound that carries on comes out as one block: the audio pin's buffers are as long as it likes.
    EXPECT_EQ(blocks.size(), 1u);
    std::int64_t given = 0;
    for (const PcmBlock& b : blocks) {
        ASSERT_NEAR(b.pts, first + given * 90000 / media::PcmRate, 1) << "after " << given;
        given += std::int64_t(b.frames());
    }
    std::int64_t end = first + std::int64_t(ours.size() / 2) * 90000 / media::PcmRate;
    EXPECT_GT(end, last);
    EXPECT_LT(end, last + 9000);
}

// Decoders keep rounding and dither state across frames, so a stream that lost data comes
// back within a few steps of the whole one, not to the same bits. Compares the last half
// second of each.
int tailDifference(const std::vector<PcmBlock>& a, const std::vector<PcmBlock>& b)
{
    std::vector<std::int16_t> x = joined(a), y = joined(b);
    constexpr std::size_t Tail = media::PcmRate / 2 * 2;
    if (x.size() < Tail || y.size() < Tail) return INT16_MAX;
    int largest = 0;
    for (std::size_t i = 1; i <= Tail; ++i)
        largest = std::max(largest, std::abs(x[x.size() - i] - y[y.size() - i]));
    return largest;
}

std::int64_t endOf(const std::vector<PcmBlock>& blocks)
{
    return blocks.back().pts + std::int64_t(blocks.back().frames()) * 90000 / media::PcmRate;
}

// The PTS of a stream do not follow its samples exactly; a time line may sit this far (4 ms)
// from where they would put it, two decodings twice as far apart.
constexpr std::int64_t Play = 360;

// Gives LPCM packets the pointers to their first frames that a disc carries. FFmpeg's muxer
// points right after the header in every packet, though it ends 24-bit packets inside blocks
// of samples that the next packet completes.
void pointToFirstFrames(std::vector<mediatest::Payload>& payloads)
{
    std::size_t open = 0;
    for (mediatest::Payload& p : payloads) {
        const std::size_t channels = (p.data[1] & 7) + 1, bits = 16 + 4 * (p.data[1] >> 6);
        const std::size_t block = bits == 16 ? 2 * channels : 4 * bits / 8;  // 20 and 24 bits: stereo here
        const std::size_t bytes = (p.data.size() - 3) / (bits == 16 ? block : 1) * (bits == 16 ? block : 1);
        p.firstAccessUnit = 3 + (block - open) % block;
        open = (open + bytes) % block;
    }
}

TEST_P(AudioCodings, PlayOnInStepAfterACutPacket)
{
    const Stream& s = GetParam();
    auto payloads = packetsOf(s);
    if (s.id.kind == StreamKind::Lpcm) pointToFirstFrames(payloads);
    AudioDecoder decoder(s.id.kind);
    std::vector<PcmBlock> whole = decodeAll(decoder, payloads);
    std::size_t k = payloads.size() / 3;
    payloads[k].data.resize(payloads[k].data.size() / 2 + 1);
    std::vector<PcmBlock> damaged = decodeAll(decoder, payloads);
    EXPECT_NEAR(endOf(damaged), endOf(whole), 2 * Play);
    EXPECT_LE(tailDifference(damaged, whole), 4);
}

TEST_P(AudioCodings, AfterAJumpPlayWhatFollowsInStep)
{
    const Stream& s = GetParam();
    auto payloads = packetsOf(s);
    AudioDecoder decoder(s.id.kind);
    std::vector<PcmBlock> whole = decodeAll(decoder, payloads);
    std::size_t k = payloads.size() / 3;
    std::size_t j = 2 * payloads.size() / 3;
    while (!payloads[j].pts) ++j;
    // Into one vector, as a player keeps it: what follows the jump does not join what went before.
    std::vector<PcmBlock> heard;
    for (std::size_t i = 0; i < k; ++i) decoder.decode(payloads[i].data, payloads[i].pts, heard);
    decoder.flush();
    const std::size_t split = heard.size();
    for (std::size_t i = j; i < payloads.size(); ++i)
        decoder.decode(payloads[i].data, payloads[i].pts, heard, payloads[i].firstAccessUnit);
    decoder.drain(heard);
    const std::vector<PcmBlock> after(heard.begin() + static_cast<std::ptrdiff_t>(split), heard.end());
    ASSERT_FALSE(after.empty());
    EXPECT_GE(after.front().pts, *payloads[j].pts);
    EXPECT_LT(after.front().pts, *payloads[j].pts + 2 * 2880);
    EXPECT_NEAR(endOf(after), endOf(whole), 2 * Play);
    EXPECT_LE(tailDifference(after, whole), 4);
}

INSTANTIATE_TEST_SUITE_P(Disc, AudioCodings,
    testing::Values(Stream{"Ac3FiveOne", 1, {StreamKind::Ac3, 0}, 0x80, 440},
        Stream{"Ac3Stereo", 1, {StreamKind::Ac3, 1}, 0x81, 550},
        Stream{"MpegLayer2", 2, {StreamKind::MpegAudio, 0}, 0x1C0, 660},
        Stream{"Lpcm16Bit48k", 3, {StreamKind::Lpcm, 0}, 0xA0, 770},
        Stream{"Lpcm24Bit96k", 3, {StreamKind::Lpcm, 1}, 0xA1, 880},
        Stream{"Dts", 4, {StreamKind::Dts, 0}, 0x88, 990},
        Stream{"Lpcm16BitSixChannels", 5, {StreamKind::Lpcm, 0}, 0xA0, 935}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AudioDecoder, AnAc3FrameWithABadChecksumIsSilenced)
{
    auto payloads = mediatest::streamPackets(vob(1), {StreamKind::Ac3, 1});
    AudioDecoder decoder(StreamKind::Ac3);
    std::vector<std::int16_t> whole = joined(decodeAll(decoder, payloads));
    // A byte inside the audio blocks of a frame in the middle of the stream.
    auto& packet = payloads[payloads.size() / 2].data;
    std::size_t sync = 0;
    while (!(packet[sync] == 0x0B && packet[sync + 1] == 0x77)) ++sync;
    ASSERT_LT(sync + 200, packet.size());
    packet[sync + 200] ^= 0x5A;
    std::vector<std::int16_t> damaged = joined(decodeAll(decoder, payloads));

    ASSERT_EQ(damaged.size(), whole.size()) << "the frame keeps its place";
    std::size_t first = 0;
    while (first < whole.size() && damaged[first] == whole[first]) ++first;
    ASSERT_LT(first, whole.size());
    constexpr std::size_t Frame = 1536 * 2, Block = 256 * 2;
    for (std::size_t i = first; i < first + Frame; ++i) ASSERT_EQ(damaged[i], 0) << "silence";
    // The next frame's first block overlaps the lost one; after it only the decoder's
    // dither differs.
    int largest = 0;
    for (std::size_t i = first + Frame + Block; i < whole.size(); ++i)
        largest = std::max(largest, std::abs(damaged[i] - whole[i]));
    EXPECT_LE(largest, 4);
}

TEST(AudioDecoder, LpcmPacketsWithLyingHeadersDoNotDerailTheStream)
{
    auto payloads = mediatest::streamPackets(vob(3), {StreamKind::Lpcm, 0});
    AudioDecoder decoder(StreamKind::Lpcm);
    std::vector<PcmBlock> whole = decodeAll(decoder, payloads);
    std::size_t k = payloads.size() / 4;
    payloads[k].data[1] |= 0xC0;      // the reserved sample size
    payloads[k + 1].data[1] |= 0x20;  // a sample rate no disc carries
    payloads[k + 2].data[1] = 0x87;   // 20-bit, eight channels, in a 16-bit stereo packet
    payloads[k + 3].data.resize(2);   // no room even for its header
    std::vector<PcmBlock> damaged = decodeAll(decoder, payloads);
    EXPECT_NEAR(endOf(damaged), endOf(whole), Play);
    EXPECT_EQ(tailDifference(damaged, whole), 0);
}

}  // namespace
