#pragma once
// MPEG-1 and MPEG-2 video: packets of the video stream in, pictures in display order out,
// interlaced ones deinterlaced (a picture a field, or a frame), converted to 32-bit BGRA into the
// caller's buffer. Holds at most one packet of input, the codec's own reordering delay, the one
// picture the deinterlacer looks ahead to and the picture last shown: nothing queues up inside.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/Deinterlacer.h"
#include "media/Ffmpeg.h"
#include "media/PictureScaler.h"
#include "media/PictureTimes.h"

namespace media {

struct Rational {
    int num = 0, den = 1;
    bool operator==(const Rational&) const = default;
};

enum class PictureType : uint8_t { I, P, B, Other };

// Pictures not decoded at all, for fast play: B pictures, or everything but I pictures.
enum class VideoSkip : uint8_t { None, NonReference, NonIntra };

struct Picture {
    int64_t pts = 0;       // 90 kHz; counted on from the previous picture where the stream has none
    int64_t duration = 0;  // 90 kHz, repeated fields included
    int width = 0, height = 0;
    Rational aspect;     // display aspect ratio: 4:3 or 16:9 on a DVD
    Rational frameRate;  // 25/1, 30000/1001, ...
    PictureType type = PictureType::Other;
};

class VideoDecoder {
public:
    VideoDecoder();

    // Takes the bytes of one video packet (copied) with its PTS. False, taking nothing, while
    // earlier input waits: call receive() until it gives nothing, then send again.
    bool send(std::span<const uint8_t> data, std::optional<int64_t> pts);
    // No more input for now (a still, the end of the data): the pictures held back for
    // reordering come out of receive(); input after them starts afresh.
    void drain();
    // The next picture in display order, or nothing until more input comes. Its pixels stay
    // available to convert() until the next picture comes out or flush().
    std::optional<Picture> receive();
    // Writes the last picture received as BGRA, scaled to width x height, as often as asked. A negative stride
    // writes bottom-up from `pixels` (the start of the last row). False when there is no picture.
    bool convert(uint8_t* pixels, ptrdiff_t stride, int width, int height);
    // Writes the picture last converted again, as convert() does: pictures received since
    // leave it be, a flush forgets it.
    bool convertShown(uint8_t* pixels, ptrdiff_t stride, int width, int height);
    // Forgets all input and pictures: after a jump nothing of the old place comes out.
    void flush();
    void setSkip(VideoSkip skip);
    // Interlaced pictures: whole pictures made of each field (the default), of each frame, or
    // shown woven as decoded. A change applies from the next picture decoded.
    enum class Deinterlace : uint8_t { Fields, Frames, Off };
    void setDeinterlace(Deinterlace mode);
    Deinterlace deinterlace() const { return deinterlace_; }

private:
    bool feed();
    void resetParser();
    Picture describe(const AVFrame& f) const;
    std::optional<Picture> deinterlaced();
    void keep(const AVFrame& f);
    int64_t duration(int fields) const;  // 90 kHz

    CodecContextPtr codec_;
    ParserPtr parser_;
    PacketPtr packet_;
    FramePtr frame_;  // as decoded
    FramePtr made_;   // as the deinterlacer made it
    FramePtr kept_;   // the last picture received: one of the two
    FramePtr shown_;  // the last picture converted
    Deinterlacer deinterlacer_;
    Deinterlace deinterlace_ = Deinterlace::Fields;
    PictureScaler scaler_;
    std::vector<uint8_t> input_;
    size_t inputSize_ = 0, inputUsed_ = 0;
    int64_t inputPts_ = AV_NOPTS_VALUE;
    bool packetWaiting_ = false;
    bool draining_ = false;
    bool parserDrained_ = false;
    PictureTimes times_;
    std::optional<int64_t> nextPts_;
};

}  // namespace media
