// Times of pictures the stream leaves unstamped, worked out in decode order.
#include "media/PictureTimes.h"

#include <gtest/gtest.h>

namespace {

using media::PictureTimes;
constexpr int64_t Unknown = PictureTimes::Unknown;
constexpr int64_t Frame = 3600, Repeated = 5400;  // a picture of two fields, one of three

// Display order I0 B1 B2 P3 B4 B5 P6, some with a field repeated, only I0 stamped.
TEST(PictureTimes, ReferencePicturesShowAfterTheBPicturesDecodedBehindThem)
{
    PictureTimes times;
    const int64_t i0 = times.add(true, 90000, Frame);
    const int64_t p3 = times.add(true, Unknown, Repeated);
    const int64_t b1 = times.add(false, Unknown, Repeated);
    const int64_t b2 = times.add(false, Unknown, Frame);
    const int64_t p6 = times.add(true, Unknown, Frame);
    const int64_t b4 = times.add(false, Unknown, Frame);
    const int64_t b5 = times.add(false, Unknown, Frame);
    EXPECT_EQ(times.lookup(p6), Unknown);  // not until it is known what follows
    times.finish();

    EXPECT_EQ(times.lookup(i0), 90000);
    EXPECT_EQ(times.lookup(b1), 90000 + Frame);
    EXPECT_EQ(times.lookup(b2), 90000 + Frame + Repeated);
    EXPECT_EQ(times.lookup(p3), 90000 + 2 * Frame + Repeated);
    EXPECT_EQ(times.lookup(b4), 90000 + 2 * Frame + 2 * Repeated);
    EXPECT_EQ(times.lookup(b5), 90000 + 3 * Frame + 2 * Repeated);
    EXPECT_EQ(times.lookup(p6), 90000 + 4 * Frame + 2 * Repeated);
}

TEST(PictureTimes, StampsOfTheStreamWinAndNothingIsMadeUpWithoutOne)
{
    PictureTimes times;
    const int64_t first = times.add(false, Unknown, Frame);
    EXPECT_EQ(times.lookup(first), Unknown);

    times.add(true, 1000, Frame);
    const int64_t jumped = times.add(true, 500000, Frame);  // a new cell's clock
    const int64_t after = times.add(false, Unknown, Frame);
    times.finish();
    EXPECT_EQ(times.lookup(jumped), 500000);
    EXPECT_EQ(times.lookup(after), 1000 + Frame);  // a B picture shows before the reference

    for (int n = 0; n < 20; ++n)
        times.add(false, Unknown, Frame);
    EXPECT_EQ(times.lookup(first), Unknown);  // long gone
    times.reset();
    EXPECT_EQ(times.lookup(times.add(false, Unknown, Frame)), Unknown);
}

}  // namespace
