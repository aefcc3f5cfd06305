#include "media/PictureTimes.h"

namespace media {

int64_t PictureTimes::add(bool reference, int64_t pts, int64_t duration)
{
    const int64_t key = next_++;
    if (reference) {
        placeReference();
        pending_ = key;
        pendingDuration_ = duration;
    } else {
        if (pts == Unknown && clock_)
            pts = *clock_;
        if (pts != Unknown)
            clock_ = pts + duration;
    }
    times_[key % Kept] = pts;
    return key;
}

void PictureTimes::placeReference()
{
    if (pending_ < 0)
        return;
    int64_t& pts = times_[pending_ % Kept];
    if (pts == Unknown && clock_)
        pts = *clock_;
    if (pts != Unknown)
        clock_ = pts + pendingDuration_;
    pending_ = -1;
}

int64_t PictureTimes::lookup(int64_t key) const
{
    return key >= 0 && key < next_ && next_ - key <= Kept ? times_[key % Kept] : Unknown;
}

}  // namespace media
