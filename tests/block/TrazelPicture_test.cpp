#include "block/TrazelPicture.h"

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace {

TEST(PictureKind, ExtensionWmfInAnyCaseSelectsTheMetafileReader) {
  const struct {
    const char* name;
    bool metafile;
  } cases[] = {
      {"map.Wmf", true},          {"MAP.WMF", true},
      {"karte.wmf", true},        {"C:\\Bilder\\Karte 1.wmf", true},
      {".wmf", true},             {"map.bmp", false},
      {"map.BMP", false},         {"map.dib", false},
      {"wmf", false},             {"map.wmf.bmp", false},
      {"map.wmfx", false},        {"C:\\maps.wmf\\plan", false},
      {"C:\\maps.wmf\\plan.", false}, {"D:.wmf", true},
      {"", false},                {"*.*", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsMetafileName(c.name), c.metafile) << c.name;
}

TEST(PrinterPicture, PortraitPagesGetLandscapeProportions) {
  const struct {
    int horz, vert, aspectX, aspectY;
    TPictureSize want;
  } cases[] = {
      {4800, 6600, 1, 1, {4800, 3491}},  // 4800^2 / 6600 = 3490.9
      {6600, 4800, 1, 1, {6600, 4800}},  // landscape: the whole page
      {5000, 5000, 1, 1, {5000, 5000}},  // square: not portrait
      {2479, 3508, 300, 300, {2479, 1752}},
      {4800, 6600, 2, 1, {4800, 6982}},  // pixels twice as wide as high
      {4800, 6600, 1, 2, {4800, 1745}},  // 1745.45
      {4800, 6600, 0, 1, {4800, 0}},
      {4800, 6600, 1, 0, {4800, 6600}},  // no aspect known: left as it is
  };
  for (const auto& c : cases)
    EXPECT_EQ(PrinterPictureSize(c.horz, c.vert, c.aspectX, c.aspectY), c.want)
        << c.horz << " x " << c.vert << " aspect " << c.aspectX << ":" << c.aspectY;
}

TEST(ByteView, ReadsAreCheckedAgainstTheEndWithoutOverflow) {
  const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05};
  const TByteView v(bytes, sizeof bytes);
  EXPECT_EQ(v.U16(0), 0x0201);
  EXPECT_EQ(v.U32(1), 0x05040302u);
  EXPECT_EQ(v.I16(3), 0x0504);
  EXPECT_EQ(v.U32(2), 0u);  // would end beyond the view
  EXPECT_EQ(v.U16(4), 0);
  EXPECT_EQ(v.U8(5), 0);
  EXPECT_TRUE(v.Has(5, 0));
  EXPECT_FALSE(v.Has(6, 0));
  EXPECT_FALSE(v.Has(1, std::numeric_limits<size_t>::max()));
  EXPECT_FALSE(v.Has(std::numeric_limits<size_t>::max(), 2));
  EXPECT_EQ(v.From(2).Size(), 3u);
  EXPECT_EQ(v.From(2).U8(0), 0x03);
  EXPECT_EQ(v.From(9).Size(), 0u);
}

}  // namespace
