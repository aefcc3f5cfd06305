#pragma once
// Interlaced pictures made whole, motion-adaptively (FFmpeg's bwdif): each field becomes a picture
// of its own (field rate), or each frame one picture (frame rate). Progressive pictures, film
// with its pulldown flags among them, pass as they are. Holds one picture back: a field is made
// from the pictures before and after it.
#include <cstdint>
#include <deque>

#include "media/Ffmpeg.h"

struct AVFilterGraph;
struct AVFilterContext;

namespace media {

class Deinterlacer {
public:
    explicit Deinterlacer(bool fieldRate = true);
    ~Deinterlacer();
    Deinterlacer(const Deinterlacer&) = delete;
    Deinterlacer& operator=(const Deinterlacer&) = delete;

    // Takes a reference to a decoded picture placed at `pts` (90 kHz) for `duration`. False when
    // FFmpeg cannot take it (no memory): the caller shows it as it is.
    bool push(AVFrame& frame, int64_t pts, int64_t duration);
    // No picture follows for now (a still, the end of the data): the one held back comes out.
    void drain();
    // The next picture into `out`, with its place and length (90 kHz); false when none is ready.
    bool pull(AVFrame& out, int64_t& pts, int64_t& duration);
    // Forgets what is held: after a jump nothing of the old place comes out.
    void reset();
    bool fieldRate() const { return fieldRate_; }
    void setFieldRate(bool fieldRate);

private:
    struct Placed {
        int64_t pts, duration;
        bool interlaced;
    };
    struct GraphFree {
        void operator()(AVFilterGraph* graph) const;
    };

    bool build(const AVFrame& like);
    bool fits(const AVFrame& frame) const;
    bool add(AVFrame& frame, int64_t pts, int64_t duration);
    int64_t lengthAt(int64_t pts);

    std::unique_ptr<AVFilterGraph, GraphFree> graph_;
    AVFilterContext* source_ = nullptr;
    AVFilterContext* sink_ = nullptr;
    int width_ = 0, height_ = 0, format_ = -1;
    bool fieldRate_;
    bool ended_ = false;  // the graph was drained: a new one takes what comes next
    std::deque<Placed> placed_;  // the pictures in the graph, for the length of what comes out
    // A picture of another size waits for what the drained graph still holds to come out.
    FramePtr waiting_;
    int64_t waitingPts_ = 0, waitingDuration_ = 0;
};

}  // namespace media
