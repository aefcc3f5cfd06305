#pragma once
// The disc's pictures for the video pin: VOBUs from the core's reading cursor, their video
// packets decoded, each picture stamped from its time stamp on one continuous line of stream
// time, converted into the renderer's bottom-up RGB32 buffer at the size it is shown in
// (square pixels) and the subpicture and menu highlight drawn over it. Holds one VOBU of
// packets and one picture: the queues downstream are the renderer's. A picture of another size
// (a menu's and a title's may differ) changes the format on the way where the renderer takes
// such changes, and is scaled to the current size where it does not. A renderer the pin
// places pictures in gets them at the size of its destination rectangle, whatever the window.

#include "MediaType.h"
#include "SoundQueue.h"
#include "StreamWorker.h"
#include "core/StreamLine.h"
#include "media/Demux.h"
#include "media/Overlay.h"
#include "media/VideoDecoder.h"

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace lumanav {

class DiscSession;
class OutputPin;

class VideoProducer final : public SampleProducer {
public:
    // `withSound`: the audio pin is connected, so the sound is worth decoding.
    VideoProducer(DiscSession& session, SoundQueue& sound, bool withSound, OutputPin& pin, int width, int height,
                  REFERENCE_TIME frameDuration);
    REFERENCE_TIME lead() const override { return frameDuration_; }
    Ready prepare(REFERENCE_TIME now, REFERENCE_TIME& start, REFERENCE_TIME& stop) override;
    bool fill(IMediaSample& sample) override;
    void consumed() override;
    void flush() override;

private:
    // Where in a frame the picture goes, for a renderer told which part of the frame to show.
    struct Placed {
        int width = 0, height = 0, top = 0;
        bool operator==(const Placed&) const = default;
    };
    // Where a VOBU went on the line, to tell the title time of its pictures.
    struct Anchor {
        std::int64_t line = 0;
        double time = 0;
        double rate = 1.0;  // title seconds per second of the line
        std::uint32_t vobu = 0;  // its serial
    };

    // VOBUs read whose pictures are still to decode: one, or a few more while the sound
    // needs reading ahead of the pictures.
    struct Pending {
        std::vector<std::uint8_t> sectors;
        std::vector<media::Packet> video;  // of sectors
        std::size_t next = 0;
        nav::StreamLine line;  // as the VOBU was placed on it
    };
    struct Sound {
        media::StreamKind kind;
        int stream;
        bool operator==(const Sound&) const = default;
    };

    void readAhead(REFERENCE_TIME now);
    void keepUp(REFERENCE_TIME start, REFERENCE_TIME now);
    bool takeVobu(REFERENCE_TIME now);
    void followSize(long bufferBytes);
    void followRenderer();
    std::optional<Placed> placement() const;
    bool resized() const;  // the renderer wants the picture at another size than the last
    media::PictureView frameIn(std::uint8_t* buffer) const;
    void drawOverlay(const media::PictureView& picture, media::Size decoded, std::int64_t pts);
    static void showDrawn();
    std::optional<Sound> wantedSound() const;
    void followSound();
    void decodeSound(const Pending& vobu);
    Ready idle(REFERENCE_TIME now, REFERENCE_TIME& start);
    Ready showBlack(REFERENCE_TIME now, REFERENCE_TIME& start, REFERENCE_TIME& stop);
    void forget();
    void forgetPictures();
    const Anchor* anchorOf(std::int64_t line) const;

    DiscSession& session_;
    SoundQueue& soundQueue_;
    const bool withSound_;
    OutputPin& pin_;
    int width_;   // of the frames sent
    int height_;
    const REFERENCE_TIME frameDuration_;
    // The renderer told which part of a frame to show, and that part: the picture at the size
    // shown, in the frame's middle rows.
    ComPtr<IBasicVideo> renderer_;
    Placed placed_;
    // A new format goes on a preroll sample, which no renderer shows: the renderer's own
    // connection tells afterwards whether it follows such changes.
    std::optional<MediaType> change_;
    std::pair<int, int> shown_;  // the size the renderer is known to draw
    bool formatChanges_ = true;

    media::VideoDecoder decoder_;
    nav::StreamLine line_;
    unsigned generation_ = 0;  // the core's, of what is held
    double rate_ = 1.0;
    std::deque<Pending> pending_;
    bool drained_ = false;
    bool protectedDisc_ = false;
    std::deque<Anchor> anchors_;
    std::optional<media::Picture> picture_;
    media::SubpictureTrack subpictures_;
    // The sound of the stream playing, decoded as its VOBUs pass, at normal speed only.
    std::optional<Sound> sound_;
    std::unique_ptr<media::AudioDecoder> audio_;
    std::vector<media::PcmBlock> blocks_;
    // The last picture sent, which the decoder keeps: drawn again with a new highlight while a
    // menu holds still, and at a new size while a still or a pause holds. Black stands in for a
    // place with no readable picture.
    struct Sent {
        media::Size decoded;
        std::int64_t pts = 0;
        bool menu = false;
        bool black = false;
    };
    std::optional<Sent> sent_;
    bool redraw_ = false;
    bool blank_ = true;  // no picture of this place has gone downstream
    bool acting_ = false;  // the picture on its way shows a button in its action colours
    std::optional<REFERENCE_TIME> idleSince_;  // while a still holds or the navigator pauses
    // Of the pictures readied at normal speed since the last count began, those readied after
    // their time: where too many are, a picture a frame takes the place of a picture a field.
    int readied_ = 0, late_ = 0;
};

}  // namespace lumanav
