#include "VideoProducer.h"

#include "DiscSession.h"
#include "OutputPin.h"

#include <dvdevcod.h>

#include <algorithm>
#include <tuple>
#include <utility>

namespace lumanav {
namespace {

// Decoder steps one readying may take before it lets the thread look at the transport again.
constexpr int maxSteps = 4096;
// VOBUs whose pictures may still be in the decoder when they come out.
constexpr std::size_t maxAnchors = 8;
// VOBUs read ahead for the sound, and how far ahead of the clock the sound is wanted.
constexpr std::size_t maxPending = 4;
constexpr REFERENCE_TIME soundAhead = 6000000;

std::int64_t toTicks(REFERENCE_TIME time) { return time * 9 / 1000; }
REFERENCE_TIME fromTicks(std::int64_t ticks) { return ticks * 1000 / 9; }

// A picture laid out as the renderer's RGB32: its top row last in memory.
media::PictureView bottomUp(std::uint8_t* memory, int width, int height)
{
    const std::ptrdiff_t stride = std::ptrdiff_t{width} * 4;
    return {memory + (height - 1) * stride, width, height, -stride};
}

}  // namespace

VideoProducer::VideoProducer(DiscSession& session, SoundQueue& sound, bool withSound, OutputPin& pin, int width,
                             int height, REFERENCE_TIME frameDuration)
    : session_(session), soundQueue_(sound), withSound_(withSound), pin_(pin), width_(width), height_(height),
      frameDuration_(frameDuration), renderer_(pin.placedRenderer()), shown_(width, height),
      formatChanges_(!renderer_)
{
}

SampleProducer::Ready VideoProducer::prepare(REFERENCE_TIME now, REFERENCE_TIME& start, REFERENCE_TIME& stop)
{
    if (protectedDisc_) return Ready::End;
    if (redraw_) {
        start = now;
        stop = now + frameDuration_;
        return Ready::Sample;
    }
    if (session_.frozen()) return idle(now, start);
    followSound();
    readAhead(now);
    for (int step = 0; !picture_ && step < maxSteps; ++step) {
        if ((picture_ = decoder_.receive())) break;
        if (!pending_.empty()) {
            Pending& vobu = pending_.front();
            if (vobu.next < vobu.video.size()) {
                const media::Packet& packet = vobu.video[vobu.next];
                if (decoder_.send(packet.payload, packet.pts)) ++vobu.next;
                continue;
            }
            // Backward, VOBUs do not follow one another: each one's picture comes out alone.
            if (rate_ < 0 && !drained_) {
                decoder_.drain();
                drained_ = true;
                continue;
            }
            pending_.pop_front();
            continue;
        }
        // A VOBU that brings sound back (normal speed again, a title after a menu) has the sound
        // of its first pictures in the VOBUs after it: they are read before silence goes in its place.
        if (takeVobu(now)) {
            readAhead(now);
            continue;
        }
        if (protectedDisc_) return Ready::End;
        // Nothing more to read for now: the pictures the decoder holds back come out, the
        // last of them stays on screen through a still.
        if (!drained_) {
            decoder_.drain();
            drained_ = true;
            continue;
        }
        // Every picture read is out: what reading told after them is due.
        session_.caughtUp();
        if (!session_.playing()) {
            session_.publishEvents();
            return Ready::End;
        }
        // A place with no picture that reads (a menu whose VOBs are damaged) shows black: a
        // renderer without a picture holds the graph from running, and the clock with it that
        // stills and activated buttons wait on.
        if (blank_) return showBlack(now, start, stop);
        return idle(now, start);
    }
    if (!picture_) return idle(now, start);
    idleSince_.reset();
    start = fromTicks(picture_->pts);
    stop = start + (picture_->duration > 0 ? fromTicks(picture_->duration) : frameDuration_);
    keepUp(start, now);
    return Ready::Sample;
}

// A machine or renderer too slow for a picture a field shows the pictures it manages late, and
// stutters; a picture a frame halves the work, and stays for the rest of the playback. A new place
// starts with pictures late while reading catches up: those do not count.
void VideoProducer::keepUp(REFERENCE_TIME start, REFERENCE_TIME now)
{
    constexpr int settling = 50, count = 250, tooMany = count / 4;
    if (rate_ != 1.0 || decoder_.deinterlace() != media::VideoDecoder::Deinterlace::Fields) return;
    if (++readied_ <= settling) return;
    late_ += start + frameDuration_ / 2 < now;
    if (readied_ < settling + count) return;
    if (late_ > tooMany) decoder_.setDeinterlace(media::VideoDecoder::Deinterlace::Frames);
    readied_ = settling;
    late_ = 0;
}

// The sound is read as far ahead of the clock as the audio renderer wants it.
void VideoProducer::readAhead(REFERENCE_TIME now)
{
    while (audio_ && pending_.size() < maxPending) {
        const std::optional<std::int64_t> soundEnd = soundQueue_.end();
        if (soundEnd && *soundEnd > toTicks(now + soundAhead)) break;
        if (!takeVobu(now)) break;
    }
}

bool VideoProducer::takeVobu(REFERENCE_TIME now)
{
    std::optional<nav::Vobu> vobu = session_.read();
    if (!vobu) return false;
    if (vobu->generation != generation_ || vobu->rate != rate_) {
        // A new speed where playback is starts the pictures afresh; the subtitle showing stays.
        if (vobu->generation != generation_) forget();
        else forgetPictures();
        generation_ = vobu->generation;
        rate_ = vobu->rate;
        // Backward, each VOBU shows its intra picture for its own length; forward faster
        // than twice, pictures others do not refer to are left out.
        line_.restart(rate_ > 1 ? rate_ : 1.0);
        decoder_.setSkip(rate_ < 0 || rate_ > 4 ? media::VideoSkip::NonIntra
                         : rate_ > 2            ? media::VideoSkip::NonReference
                                                : media::VideoSkip::None);
    }
    if (vobu->scrambled) {
        // Decoding encrypted packs would only show garbage.
        protectedDisc_ = true;
        session_.notify(EC_DVD_ERROR, DVD_ERROR_CopyProtectFail, 0);
        return false;
    }
    drained_ = false;
    followSound();
    // A frame's grace after the clock lets the first picture of a new place arrive in time.
    const std::int64_t lineStart = line_.begin(vobu->startPtm, vobu->endPtm, toTicks(now + frameDuration_));
    anchors_.push_back({lineStart, vobu->time, rate_ > 1 ? rate_ : 1.0, vobu->serial});
    if (anchors_.size() > maxAnchors) anchors_.pop_front();
    Pending& pending = pending_.emplace_back();
    pending.sectors = std::move(vobu->sectors);
    pending.line = line_;
    std::vector<media::Packet>& packets = pending.video;
    media::Selection selection;
    if (const int stream = session_.overlay().stream; stream >= 0) selection.subpicture = stream;
    media::demux(pending.sectors, selection, packets);
    for (media::Packet& packet : packets) {
        if (packet.pts) packet.pts = line_.place(*packet.pts);
        if (packet.stream.kind == media::StreamKind::Subpicture) subpictures_.push(packet.payload, packet.pts);
    }
    std::erase_if(packets, [](const media::Packet& p) { return p.stream.kind != media::StreamKind::Video; });
    decodeSound(pending);
    return true;
}

// The stream to hear: the one playing, at normal speed, in a coding that is decoded.
std::optional<VideoProducer::Sound> VideoProducer::wantedSound() const
{
    const auto audio = withSound_ && rate_ == 1.0 ? session_.audio() : std::nullopt;
    if (!audio) return std::nullopt;
    switch (audio->second) {
    case nav::AudioCoding::Ac3: return Sound{media::StreamKind::Ac3, audio->first};
    case nav::AudioCoding::Mpeg1:
    case nav::AudioCoding::Mpeg2: return Sound{media::StreamKind::MpegAudio, audio->first};
    case nav::AudioCoding::Lpcm: return Sound{media::StreamKind::Lpcm, audio->first};
    case nav::AudioCoding::Dts: return Sound{media::StreamKind::Dts, audio->first};
    default: return std::nullopt;
    }
}

// A new stream is heard from where the sound has got to: what was decoded of the old one and
// not yet sent goes, and the VOBUs read ahead are decoded again for the new one.
void VideoProducer::followSound()
{
    const std::optional<Sound> wanted = wantedSound();
    if (wanted == sound_) return;
    sound_ = wanted;
    audio_.reset();
    soundQueue_.clear();
    try {
        if (wanted) audio_ = std::make_unique<media::AudioDecoder>(wanted->kind);
    } catch (const media::MediaError&) {
        return;  // the stream stays silent
    }
    for (const Pending& vobu : pending_) decodeSound(vobu);
}

void VideoProducer::decodeSound(const Pending& vobu)
{
    if (!audio_) return;
    media::Selection selection;
    selection.audio = sound_->stream;
    std::vector<media::Packet> packets;
    media::demux(vobu.sectors, selection, packets);
    // A VOBU's sound goes on as one block: the audio pin's buffers are then as long as it likes.
    for (const media::Packet& packet : packets) {
        if (packet.stream.kind != sound_->kind) continue;
        audio_->decode(packet.payload, packet.pts ? std::optional(vobu.line.place(*packet.pts)) : std::nullopt, blocks_,
                       packet.firstAccessUnit);
    }
    for (media::PcmBlock& block : blocks_) soundQueue_.push(std::move(block), generation_);
    blocks_.clear();
}

SampleProducer::Ready VideoProducer::idle(REFERENCE_TIME now, REFERENCE_TIME& start)
{
    // Stills run on the graph's clock: paused, they wait too.
    if (idleSince_ && !session_.frozen()) session_.elapse(static_cast<double>(now - *idleSince_) / 10000000.0);
    idleSince_ = now;
    session_.publishEvents();
    // The picture that holds is shown again at a new size: going full screen on a menu, say.
    redraw_ = sent_ && resized();
    start = redraw_ ? now : now + frameDuration_;
    return Ready::Wait;
}

// A renderer that takes a new format gets each picture at the size it is shown in: square
// pixels, so that it draws the picture as it is instead of stretching it crudely.
void VideoProducer::followSize(long bufferBytes)
{
    const media::Picture& p = *picture_;
    if (!formatChanges_ || change_ || p.width <= 0 || p.height <= 0) return;
    const int width = shownWidth(p.width, p.height, p.aspect.num, p.aspect.den);
    if ((width == width_ && p.height == height_) || bufferBytes < width * p.height * 4) return;
    const int aspectX = p.aspect.num > 0 ? p.aspect.num : width, aspectY = p.aspect.den > 0 ? p.aspect.den : p.height;
    for (MediaType type : {rgb32VideoType2(width, p.height, frameDuration_, aspectX, aspectY),
                           rgb32VideoType(width, p.height, frameDuration_)}) {
        if (!pin_.peerAccepts(type)) continue;
        change_ = std::move(type);
        width_ = width;
        height_ = p.height;
        return;
    }
}

// A renderer the pin places pictures in copies them at the size it shows them rather than
// stretching them crudely. The picture goes in the frame's middle rows, so that its source
// rectangle means the same rows whichever way up the renderer counts a bottom-up frame.
void VideoProducer::followRenderer()
{
    const std::optional<Placed> wanted = placement();
    if (!wanted || *wanted == placed_) return;
    if (FAILED(renderer_->SetSourcePosition(0, wanted->top, wanted->width, wanted->height))) {
        renderer_.Reset();
        return;
    }
    placed_ = *wanted;
}

bool VideoProducer::resized() const
{
    const std::optional<Placed> wanted = placement();
    return wanted && *wanted != placed_;
}

// Where the renderer's destination wants the picture; nothing while it cannot say.
std::optional<VideoProducer::Placed> VideoProducer::placement() const
{
    constexpr long smallest = 16;  // a window shrunk to less keeps the last size
    long left = 0, top = 0, width = 0, height = 0;
    if (!renderer_ || FAILED(renderer_->GetDestinationPosition(&left, &top, &width, &height)) || width < smallest ||
        height < smallest)
        return std::nullopt;
    // Larger than the frame, it gets the largest picture that fits at the same shape.
    const double fit = std::min({1.0, static_cast<double>(width_) / width, static_cast<double>(height_) / height});
    const int placedWidth = static_cast<int>(width * fit);
    int placedHeight = static_cast<int>(height * fit);
    placedHeight -= (height_ - placedHeight) % 2;
    return Placed{placedWidth, placedHeight, (height_ - placedHeight) / 2};
}

// Where the picture goes in a frame: the renderer's RGB32 is bottom-up, the first row in
// memory the picture's last.
media::PictureView VideoProducer::frameIn(std::uint8_t* buffer) const
{
    const media::PictureView whole = bottomUp(buffer, width_, height_);
    if (!renderer_ || placed_.width == 0) return whole;
    return {whole.pixels + placed_.top * whole.stride, placed_.width, placed_.height, whole.stride};
}

bool VideoProducer::fill(IMediaSample& sample)
{
    if (!redraw_) followSize(sample.GetSize());
    followRenderer();
    if (change_ && FAILED(sample.SetMediaType(const_cast<AM_MEDIA_TYPE*>(&change_->get())))) return false;
    sample.SetPreroll(change_ ? TRUE : FALSE);
    BYTE* buffer = nullptr;
    const long bytes = width_ * height_ * 4;
    if (FAILED(sample.GetPointer(&buffer)) || sample.GetSize() < bytes) return false;
    // The picture is scaled as it is converted, and the subpicture with it.
    const media::PictureView picture = frameIn(buffer);
    if (redraw_) {
        if (!sent_) return false;
        if (sent_->black) {
            for (int y = 0; y < picture.height; ++y)
                std::fill_n(picture.pixels + y * picture.stride, std::size_t{4} * picture.width, std::uint8_t{0});
        } else if (!decoder_.convertShown(picture.pixels, picture.stride, picture.width, picture.height)) {
            return false;
        }
        drawOverlay(picture, sent_->decoded, sent_->pts);
    } else {
        if (!decoder_.convert(picture.pixels, picture.stride, picture.width, picture.height)) return false;
        drawOverlay(picture, {picture_->width, picture_->height}, picture_->pts);
    }
    sample.SetActualDataLength(bytes);
    return true;
}

void VideoProducer::drawOverlay(const media::PictureView& picture, media::Size decoded, std::int64_t pts)
{
    const nav::Overlay overlay = session_.overlay();
    acting_ = overlay.acting;
    if (!redraw_) sent_ = Sent{decoded, pts, overlay.button};
    subpictures_.setShown(overlay.shown);
    const media::SubpicturePhase* phase = subpictures_.at(pts);
    if (!phase) return;
    const media::Highlight highlight{{overlay.rect.left, overlay.rect.top, overlay.rect.right, overlay.rect.bottom},
                                     media::colourSet(overlay.colours)};
    media::blend(picture, *phase, overlay.palette, overlay.button && overlay.colours ? &highlight : nullptr, decoded);
}

SampleProducer::Ready VideoProducer::showBlack(REFERENCE_TIME now, REFERENCE_TIME& start, REFERENCE_TIME& stop)
{
    // Its highlights are placed on the place's own pictures, which would have had this size.
    const nav::VideoInfo video =
        session_.query([](const nav::Navigator& core) { return core.videoAttributes(); }, nav::VideoInfo{});
    sent_ = Sent{{video.sourceWidth, video.sourceHeight}, toTicks(now), true, true};
    redraw_ = true;
    start = now;
    stop = now + frameDuration_;
    return Ready::Sample;
}

void VideoProducer::consumed()
{
    showDrawn();
    blank_ = false;
    if (change_) {
        // A renderer may take a new type and still draw in the old layout: scaling to the
        // size it shows is then the way.
        if (pin_.peerPictureSize() == std::pair{width_, height_}) {
            shown_ = {width_, height_};
        } else {
            std::tie(width_, height_) = shown_;
            formatChanges_ = false;
        }
        change_.reset();
    }
    if (std::exchange(acting_, false)) {
        // The button has been seen acting: its command runs, and what was read of the menu
        // has no place after a jump it makes.
        session_.actionShown();
        if (session_.generation() != generation_) forget();
    }
    if (std::exchange(redraw_, false)) return;
    // A picture already on its way when the navigator paused does not move its time.
    if (picture_ && !session_.frozen()) {
        if (const Anchor* a = anchorOf(picture_->pts)) {
            const double time = std::max(0.0, a->time + static_cast<double>(picture_->pts - a->line) * a->rate / 90000.0);
            session_.presented(generation_, time, a->vobu);
        }
    }
    session_.publishEvents();
    picture_.reset();
}

// Wine puts what a renderer drew into a window on the screen only when a thread of the process
// next looks at its messages: the GUI thread's next message may be a second away, and pictures
// drawn meanwhile are lost. Looking here shows each picture as it is drawn; on Windows the look
// finds an empty queue and costs nothing.
void VideoProducer::showDrawn()
{
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
}

void VideoProducer::flush()
{
    idleSince_.reset();
    // A flush after the new place was already read keeps it; one without a jump shows the
    // menu's picture again with what changed over it, and any picture standing at a new size.
    if (session_.generation() != generation_) forget();
    else redraw_ = sent_ && (sent_->menu || resized());
}

void VideoProducer::forget()
{
    forgetPictures();
    subpictures_.flush();
    redraw_ = false;
    blank_ = true;
}

void VideoProducer::forgetPictures()
{
    decoder_.flush();
    sent_.reset();  // the decoder no longer has it
    if (audio_) audio_->flush();
    soundQueue_.clear();
    picture_.reset();
    pending_.clear();
    drained_ = false;
    line_.restart(rate_ > 1 ? rate_ : 1.0);
    anchors_.clear();
    readied_ = late_ = 0;
}

// The VOBU a picture at this place on the line came from.
const VideoProducer::Anchor* VideoProducer::anchorOf(std::int64_t line) const
{
    if (anchors_.empty()) return nullptr;
    auto after = std::upper_bound(anchors_.begin(), anchors_.end(), line,
                                  [](std::int64_t at, const Anchor& a) { return at < a.line; });
    return after == anchors_.begin() ? &*after : &*(after - 1);
}

}  // namespace lumanav
