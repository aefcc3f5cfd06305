#include "media/Deinterlacer.h"

#include <algorithm>
#include <string>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace media {

void Deinterlacer::GraphFree::operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }

Deinterlacer::Deinterlacer(bool fieldRate) : fieldRate_(fieldRate) {}

Deinterlacer::~Deinterlacer() = default;

void Deinterlacer::setFieldRate(bool fieldRate)
{
    if (fieldRate == fieldRate_) return;
    fieldRate_ = fieldRate;
    reset();
}

bool Deinterlacer::fits(const AVFrame& frame) const
{
    return graph_ && !ended_ && frame.width == width_ && frame.height == height_ && frame.format == format_;
}

// buffer -> bwdif -> buffersink, on the 90 kHz line.
bool Deinterlacer::build(const AVFrame& like)
{
    FramePtr waiting = std::move(waiting_);
    reset();
    waiting_ = std::move(waiting);
    graph_.reset(avfilter_graph_alloc());
    if (!graph_) return false;
    // The pictures are small and the streaming thread is the only one: no threads of its own.
    graph_->nb_threads = 1;
    const AVRational sar = like.sample_aspect_ratio.num > 0 ? like.sample_aspect_ratio : AVRational{1, 1};
    const std::string source = "video_size=" + std::to_string(like.width) + "x" + std::to_string(like.height) +
                               ":pix_fmt=" + std::to_string(like.format) + ":time_base=1/90000:pixel_aspect=" +
                               std::to_string(sar.num) + "/" + std::to_string(sar.den);
    AVFilterContext* bwdif = nullptr;
    const bool made =
        avfilter_graph_create_filter(&source_, avfilter_get_by_name("buffer"), "in", source.c_str(), nullptr,
                                     graph_.get()) >= 0 &&
        avfilter_graph_create_filter(&bwdif, avfilter_get_by_name("bwdif"), "bwdif",
                                     fieldRate_ ? "mode=send_field:parity=auto:deint=interlaced"
                                                : "mode=send_frame:parity=auto:deint=interlaced",
                                     nullptr, graph_.get()) >= 0 &&
        avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                     graph_.get()) >= 0 &&
        avfilter_link(source_, 0, bwdif, 0) >= 0 && avfilter_link(bwdif, 0, sink_, 0) >= 0 &&
        avfilter_graph_config(graph_.get(), nullptr) >= 0;
    if (!made) {
        reset();
        return false;
    }
    width_ = like.width;
    height_ = like.height;
    format_ = like.format;
    return true;
}

bool Deinterlacer::push(AVFrame& frame, int64_t pts, int64_t duration)
{
    if (fits(frame) || !graph_) return add(frame, pts, duration);
    // A picture of another size (a menu's and a title's may differ) goes into a new graph once
    // what the old one holds has come out.
    waiting_.reset(av_frame_clone(&frame));
    if (!waiting_) return false;
    waitingPts_ = pts;
    waitingDuration_ = duration;
    drain();
    return true;
}

bool Deinterlacer::add(AVFrame& frame, int64_t pts, int64_t duration)
{
    if (!fits(frame) && !build(frame)) return false;
    const int64_t decoded = frame.pts;
    frame.pts = pts;
    const int added = av_buffersrc_add_frame_flags(source_, &frame, AV_BUFFERSRC_FLAG_KEEP_REF);
    frame.pts = decoded;
    if (added < 0) return false;
    placed_.push_back({pts, duration, frame.interlaced_frame != 0});
    return true;
}

void Deinterlacer::drain()
{
    if (!graph_ || ended_) return;
    // A graph that cannot be ended holds its picture for good: the next picture starts a new one.
    if (av_buffersrc_add_frame_flags(source_, nullptr, 0) < 0) graph_.reset();
    ended_ = true;
}

// How long a picture that comes out at `pts` stands: the first field of an interlaced frame half
// the frame, the second the rest, a frame that passes the whole of it.
int64_t Deinterlacer::lengthAt(int64_t pts)
{
    while (placed_.size() > 1 && placed_[1].pts <= pts) placed_.pop_front();
    if (placed_.empty()) return 0;
    const Placed& p = placed_.front();
    if (pts > p.pts) return std::max<int64_t>(0, p.pts + p.duration - pts);
    return p.interlaced && fieldRate_ ? p.duration / 2 : p.duration;
}

bool Deinterlacer::pull(AVFrame& out, int64_t& pts, int64_t& duration)
{
    av_frame_unref(&out);
    if (graph_ && av_buffersink_get_frame(sink_, &out) >= 0) {
        pts = out.pts == AV_NOPTS_VALUE ? 0 : out.pts / 2;  // bwdif's line is twice as fine in either mode
        duration = lengthAt(pts);
        return true;
    }
    if ((graph_ && !ended_) || !waiting_) return false;
    FramePtr next = std::move(waiting_);
    return add(*next, waitingPts_, waitingDuration_) && pull(out, pts, duration);
}

void Deinterlacer::reset()
{
    graph_.reset();
    source_ = sink_ = nullptr;
    width_ = height_ = 0;
    format_ = -1;
    ended_ = false;
    placed_.clear();
    waiting_.reset();
}

}  // namespace media
