// Where the preview draws a picture in its 361 x 251 area (and in others):
// proportions, the portrait rule, what sticks out, and centring.

#include <gtest/gtest.h>

#include "results/fit_rectangle.h"

namespace filvex {
namespace {

TEST(FitRectangle, PlacesPicturesAsThePreviewDrawsThem) {
  struct Case {
    int areaW, areaH, picW, picH;
    FitRect want;
  } cases[] = {
      {361, 251, 722, 502, {0, 0, 361, 251}},   // twice the area: fills it
      {361, 251, 359, 249, {0, 0, 361, 251}},   // same percentage both ways
      {361, 251, 100, 50, {0, 35, 361, 180}},   // landscape: scaled by width
      {361, 251, 359, 180, {1, 35, 359, 180}},  // a thumbnail at the request size
      {361, 251, 50, 100, {118, 0, 125, 251}},  // portrait: scaled by height
      {361, 251, 100, 100, {55, 0, 251, 251}},  // square: the height sticks out
      {361, 251, 1, 1, {55, 0, 251, 251}},
      {10, 100, 50, 60, {0, 37, 10, 26}},  // portrait in a tall area: width sticks out
      {100, 100, 99, 100, {0, 0, 99, 100}},
      {361, 251, 0, 10, {0, 0, 0, 0}},  // no picture
      {361, 251, 10, -1, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.areaW) + "x" + std::to_string(c.areaH) + " " +
                 std::to_string(c.picW) + "x" + std::to_string(c.picH));
    const FitRect got = FitRectangle(c.areaW, c.areaH, c.picW, c.picH);
    EXPECT_EQ(got.left, c.want.left);
    EXPECT_EQ(got.top, c.want.top);
    EXPECT_EQ(got.width, c.want.width);
    EXPECT_EQ(got.height, c.want.height);
  }
}

TEST(FitRectangle, StaysInsideTheAreaForEveryPictureSize) {
  for (int w = 1; w <= 800; w += 7) {
    for (int h = 1; h <= 800; h += 11) {
      const FitRect r = FitRectangle(361, 251, w, h);
      ASSERT_GE(r.left, 0) << w << "x" << h;
      ASSERT_GE(r.top, 0) << w << "x" << h;
      ASSERT_LE(r.left + r.width, 361) << w << "x" << h;
      ASSERT_LE(r.top + r.height, 251) << w << "x" << h;
    }
  }
}

}  // namespace
}  // namespace filvex
