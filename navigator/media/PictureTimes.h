#pragma once
// Presentation times for pictures taken in decode order when the stream stamps only some of
// them. A B picture shows when the picture before it ends; a reference picture shows after the
// B pictures decoded behind it, so its time is known once the next reference picture comes.
// This holds while pictures are skipped too, since every picture passes here before decoding.
#include <array>
#include <cstdint>
#include <optional>

namespace media {

class PictureTimes {
public:
    static constexpr int64_t Unknown = INT64_MIN;

    // Records a picture (pts may be Unknown); returns the key to look its time up by.
    int64_t add(bool reference, int64_t pts, int64_t duration);
    // No picture follows: the last reference picture's time becomes known.
    void finish() { placeReference(); }
    // Unknown when the stream gave no time to count from, or the key is too old.
    int64_t lookup(int64_t key) const;
    void reset() { *this = PictureTimes(); }

private:
    void placeReference();

    // Far more than the pictures a decoder holds back for reordering.
    static constexpr int64_t Kept = 16;
    std::array<int64_t, Kept> times_{};
    int64_t next_ = 0;
    int64_t pending_ = -1;  // the reference picture whose time waits
    int64_t pendingDuration_ = 0;
    std::optional<int64_t> clock_;  // when the picture last placed ends
};

}  // namespace media
