// Faults that fuzzing the picture readers found, kept as tests.
#include <climits>

#include <gtest/gtest.h>

#include "block/TrazelPicture.h"

// Device capabilities whose landscape height leaves the int range, or is no number at all
// (a zero page height with a zero aspect): the page keeps its own height.
TEST(PictureFuzzRegression, PrinterHeightOutsideTheIntRangeKeepsThePageHeight) {
  const struct {
    int horz, vert, aspectX, aspectY;
    TPictureSize want;
  } cases[] = {
      {1 << 20, (1 << 20) + 1, INT_MAX, 1, {1 << 20, (1 << 20) + 1}},  // about 2.3e15
      {-(1 << 20), 1, INT_MIN, 1, {-(1 << 20), 1}},                    // about -2.3e15
      {-5, 0, 0, 1, {-5, 0}},                                          // 0 / 0
      {-5, 0, 1, 1, {-5, 0}},                                          // 25 / 0
      {100, 200, INT_MAX, INT_MAX, {100, 50}},                         // still in range
  };
  for (const auto& c : cases)
    EXPECT_EQ(PrinterPictureSize(c.horz, c.vert, c.aspectX, c.aspectY), c.want)
        << c.horz << " x " << c.vert << " aspect " << c.aspectX << ":" << c.aspectY;
}
