#include "block/TrazelBitmap.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "support/TestPictures.h"

namespace {

using testpictures::TestBmp;

std::vector<uint8_t> Shared(const std::string& name) {
  return testpictures::PictureBytes("bmp/" + name);
}

TPictureResult<TBitmapPicture> Decode(const std::vector<uint8_t>& bytes) {
  return DecodeBitmapFile(TByteView(bytes.data(), bytes.size()));
}

struct Probe {
  int x, y;
  uint32_t rgb;
};

// Pixels as another decoder reads these files.
TEST(BitmapFiles, EveryGoodFileDecodesToItsPixels) {
  const struct {
    const char* name;
    std::vector<Probe> probes;
  } files[] = {
      {"pal1.bmp", {{0, 0, 0xFFFFFF}, {0, 63, 0x000000}, {126, 63, 0x000000}, {63, 32, 0xFFFFFF}}},
      {"pal4rle.bmp",
       {{0, 0, 0xFF0000}, {126, 0, 0xFF80FF}, {0, 63, 0}, {20, 50, 0x00FFFF}, {100, 10, 0xFF80FF}}},
      {"pal8.bmp",
       {{0, 0, 0xFF0000}, {126, 0, 0x99AACC}, {126, 63, 0x665566}, {20, 50, 0x33AACC}}},
      {"pal8topdown.bmp",
       {{0, 0, 0xFF0000}, {126, 0, 0x99AACC}, {126, 63, 0x665566}, {100, 10, 0x99AA99}}},
      {"rgb16-565.bmp",
       {{0, 0, 0xFF0000}, {126, 0, 0x9C9EBD}, {126, 63, 0x63617B}, {20, 50, 0x31A6A5}}},
      {"rgb24.bmp",
       {{0, 0, 0xFF0000}, {126, 0, 0x9F9FBD}, {126, 63, 0x60607E}, {100, 10, 0x959599}}},
      {"rgb32bf.bmp", {{0, 0, 0xFF0000}, {126, 0, 0x9F9FBD}, {20, 50, 0x35A5A5}}},
  };
  for (const auto& f : files) {
    const auto picture = Decode(Shared(std::string("good/") + f.name));
    ASSERT_TRUE(picture) << f.name;
    EXPECT_EQ(picture->Width, 127) << f.name;
    EXPECT_EQ(picture->Height, 64) << f.name;
    for (const Probe& p : f.probes)
      EXPECT_EQ(picture->At(p.x, p.y), p.rgb) << f.name << " at " << p.x << ", " << p.y;
  }
}

TEST(BitmapFiles, SamePictureInOtherLayoutsDecodesAlike) {
  const auto rgb24 = Decode(Shared("good/rgb24.bmp"));
  const auto rgb32 = Decode(Shared("good/rgb32bf.bmp"));
  const auto rgb16 = Decode(Shared("good/rgb16-565.bmp"));
  const auto pal8 = Decode(Shared("good/pal8.bmp"));
  const auto pal8top = Decode(Shared("good/pal8topdown.bmp"));
  ASSERT_TRUE(rgb24 && rgb32 && rgb16 && pal8 && pal8top);
  EXPECT_EQ(rgb32->Pixels, rgb24->Pixels);
  EXPECT_EQ(pal8top->Pixels, pal8->Pixels);
  // 5 and 6 bits per channel: each channel within one step of the 8-bit value.
  int worst = 0;
  for (size_t i = 0; i < rgb24->Pixels.size(); ++i)
    for (int shift : {0, 8, 16}) {
      const int a = (rgb24->Pixels[i] >> shift) & 0xFF, b = (rgb16->Pixels[i] >> shift) & 0xFF;
      worst = std::max(worst, std::abs(a - b));
    }
  EXPECT_LE(worst, 8);
}

TEST(BitmapFiles, DamagedFilesGiveNoPictureExceptRunsThatLeaveThePicture) {
  const struct {
    const char* name;
    TPictureFault fault;
    uint32_t detail;
  } bad[] = {{"badbitcount.bmp", TPictureFault::BitDepth, 30000},
             {"badheadersize.bmp", TPictureFault::HeaderSize, 66},
             {"reallybig.bmp", TPictureFault::TooLarge, 0},
             {"shortfile.bmp", TPictureFault::PixelsCut, 0}};
  for (const auto& b : bad) {
    const auto picture = Decode(Shared(std::string("bad/") + b.name));
    EXPECT_FALSE(picture) << b.name;
    EXPECT_EQ(picture.Fault, b.fault) << b.name;
    EXPECT_EQ(picture.Detail, b.detail) << b.name;
  }
  // Runs that write beyond the picture are cut at its edge; the rest shows.
  const auto rle = Decode(Shared("bad/badrle.bmp"));
  ASSERT_TRUE(rle);
  EXPECT_EQ(rle->Width, 127);
  EXPECT_EQ(rle->Height, 64);
  EXPECT_EQ(rle->At(0, 0), 0x8000FFu);
  EXPECT_EQ(rle->At(126, 0), 0x8000FFu);
  EXPECT_EQ(rle->At(0, 63), 0u);
}

// Every cut of every good file, and every header byte set to extreme values: no read beyond the
// data (the sanitizer build checks), and a picture only when its sizes make sense.
TEST(BitmapFiles, CutAndScrambledHeadersNeverReadBeyondTheData) {
  for (const char* name : {"pal1.bmp", "pal4rle.bmp", "pal8.bmp", "rgb16-565.bmp", "rgb24.bmp",
                           "rgb32bf.bmp", "pal8topdown.bmp"}) {
    const std::vector<uint8_t> bytes = Shared(std::string("good/") + name);
    ASSERT_GT(bytes.size(), 100u) << name;
    const bool rle = std::string(name).find("rle") != std::string::npos;
    for (size_t n = 0; n < bytes.size(); n += (n < 200 ? 1 : 97)) {
      const auto picture = DecodeBitmapFile(TByteView(bytes.data(), n));
      if (!rle) {
        EXPECT_FALSE(picture) << name << " cut at " << n;
      }
    }
    for (size_t at = 0; at < 70; ++at)
      for (uint8_t v : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
        std::vector<uint8_t> scrambled = bytes;
        scrambled[at] = v;
        const auto picture = Decode(scrambled);
        if (picture) {
          EXPECT_EQ(picture->Pixels.size(), size_t(picture->Width) * picture->Height);
          EXPECT_LE(int64_t(picture->Width) * picture->Height, kMaxBitmapPixels);
        }
      }
  }
}

// Each refused file with the reason that its message names.
TEST(BitmapHeaders, SizesBitCountsAndColourTablesOutsideTheRulesAreRefused) {
  TestBmp ok;
  ok.Width = 2;
  ok.Height = 2;
  ok.Data.assign(16, 0);
  ASSERT_TRUE(Decode(ok.Bytes()));
  using F = TPictureFault;
  const struct {
    const char* what;
    void (*change)(TestBmp&);
    TPictureFault fault;
  } cases[] = {
      {"no width", [](TestBmp& b) { b.Width = 0; }, F::NoSize},
      {"negative width", [](TestBmp& b) { b.Width = -2; }, F::NoSize},
      {"no height", [](TestBmp& b) { b.Height = 0; }, F::NoSize},
      {"lowest height", [](TestBmp& b) { b.Height = INT32_MIN; }, F::TooLarge},
      {"too wide", [](TestBmp& b) { b.Width = kMaxBitmapSide + 1; }, F::TooLarge},
      {"too many pixels", [](TestBmp& b) { b.Width = 10000, b.Height = 10000; }, F::TooLarge},
      {"two planes", [](TestBmp& b) { b.Planes = 2; }, F::Planes},
      {"bit count 2", [](TestBmp& b) { b.BitCount = 2; }, F::BitDepth},
      {"core header, 32 bits", [](TestBmp& b) { b.Core = true, b.BitCount = 32; }, F::BitDepth},
      {"RLE8 at 24 bits", [](TestBmp& b) { b.Compression = kBiRle8; }, F::Compression},
      {"JPEG data", [](TestBmp& b) { b.Compression = 4; }, F::Compression},
      {"257 colours, not in the file", [](TestBmp& b) { b.ClrUsed = 257; }, F::ColorTableCut},
      {"colour table beyond the file", [](TestBmp& b) { b.BitCount = 8, b.ClrUsed = 200; },
       F::ColorTableCut},
      {"a billion colours", [](TestBmp& b) { b.ClrUsed = 0x40000001; }, F::ColorTableCut},
      {"top-down RLE", [](TestBmp& b) { b.BitCount = 8, b.Compression = kBiRle8, b.Height = -2; },
       F::Compression},
      {"masks cut off",
       [](TestBmp& b) { b.BitCount = 32, b.Compression = kBiBitfields, b.Data.resize(4); },
       F::HeaderCut},
      {"pixels cut off", [](TestBmp& b) { b.Data.resize(15); }, F::PixelsCut},
  };
  for (const auto& c : cases) {
    TestBmp bmp = ok;
    c.change(bmp);
    const auto picture = Decode(bmp.Bytes());
    EXPECT_FALSE(picture) << c.what;
    EXPECT_EQ(picture.Fault, c.fault) << c.what;
  }
  // Files that are no bitmap or end inside the headers.
  std::vector<uint8_t> bytes = ok.Bytes();
  EXPECT_EQ(Decode({}).Fault, F::NotABitmap);
  EXPECT_EQ(Decode({'G', 'I', 'F', '8', '9', 'a'}).Fault, F::NotABitmap);
  EXPECT_EQ(Decode({bytes.begin(), bytes.begin() + 10}).Fault, F::HeaderCut);
  EXPECT_EQ(Decode({bytes.begin(), bytes.begin() + 40}).Fault, F::HeaderCut);
}

// A colour table longer than the bits need is read as the platform reads it: the entries that
// the pixels can index are used, the others ignored.
TEST(BitmapHeaders, ColourTablesLongerThanNeededAreIgnoredBeyondTheBits) {
  const struct {
    uint16_t bits;
    uint32_t entries;
    std::vector<uint8_t> data;  // one row of two pixels
    uint32_t left, right;
  } cases[] = {
      {24, 300, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0}, 0x302010, 0x605040},
      {8, 300, {255, 1, 0, 0}, 0x0000FF, 0x000001},
      {1, 5, {0x40, 0, 0, 0}, 0x000000, 0x000001},
      {4, 17, {0x0F, 0, 0, 0}, 0x000000, 0x00000F},
  };
  for (const auto& c : cases) {
    TestBmp bmp;
    bmp.Width = 2;
    bmp.BitCount = c.bits;
    bmp.ClrUsed = c.entries;
    for (uint32_t i = 0; i < c.entries; ++i) bmp.Palette.push_back(i);  // entry i is colour i
    bmp.Data = c.data;
    const auto picture = Decode(bmp.Bytes());
    ASSERT_TRUE(picture) << c.bits << " bits, " << c.entries << " entries";
    EXPECT_EQ(picture->At(0, 0), c.left) << c.bits;
    EXPECT_EQ(picture->At(1, 0), c.right) << c.bits;
  }
}

TEST(BitmapHeaders, CoreHeaderBitfieldsAndTopDownRows) {
  TestBmp core;
  core.Core = true;
  core.Width = 1;
  core.Height = 2;
  core.BitCount = 8;
  core.Palette.assign(256, 0);
  core.Palette[7] = 0x112233;
  core.Palette[9] = 0x445566;
  core.Data = {9, 0, 0, 0, 7, 0, 0, 0};  // bottom row first
  auto picture = Decode(core.Bytes());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->At(0, 0), 0x112233u);
  EXPECT_EQ(picture->At(0, 1), 0x445566u);

  TestBmp fields;
  fields.Width = 2;
  fields.Height = -1;  // top-down
  fields.BitCount = 16;
  fields.Compression = kBiBitfields;
  fields.Masks = {0xF800, 0x07E0, 0x001F};
  fields.Data = {0x00, 0xF8, 0x1F, 0x00};  // pure red, pure blue
  picture = Decode(fields.Bytes());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->At(0, 0), 0xFF0000u);
  EXPECT_EQ(picture->At(1, 0), 0x0000FFu);
}

// RLE8 pictures of 4 x 2 pixels; palette index i is colour i.
std::optional<TBitmapPicture> Rle8(const std::vector<uint8_t>& data, int height = 2) {
  TestBmp bmp;
  bmp.Width = 4;
  bmp.Height = height;
  bmp.BitCount = 8;
  bmp.Compression = kBiRle8;
  bmp.SizeImage = static_cast<uint32_t>(data.size());
  for (uint32_t i = 0; i < 256; ++i) bmp.Palette.push_back(i);
  bmp.Data = data;
  return Decode(bmp.Bytes());
}

std::vector<uint32_t> Rows(const TBitmapPicture& p) { return p.Pixels; }

TEST(BitmapRle, RunsEscapesAndRunsThatLeaveThePicture) {
  const struct {
    const char* what;
    std::vector<uint8_t> data;
    std::vector<uint32_t> want;  // top row first
  } cases[] = {
      {"runs and end of line", {2, 5, 2, 6, 0, 0, 4, 7, 0, 1}, {7, 7, 7, 7, 5, 5, 6, 6}},
      {"literal run padded", {0, 3, 1, 2, 3, 0, 1, 9, 0, 0, 0, 1}, {0, 0, 0, 0, 1, 2, 3, 9}},
      {"delta", {0, 2, 1, 1, 1, 8, 0, 1}, {0, 8, 0, 0, 0, 0, 0, 0}},
      {"run beyond the right edge is cut", {9, 4, 0, 0, 1, 3, 0, 1}, {3, 0, 0, 0, 4, 4, 4, 4}},
      {"delta below the picture ends it", {1, 5, 0, 2, 0, 9, 1, 6}, {0, 0, 0, 0, 5, 0, 0, 0}},
      {"literal run beyond the data ends it", {1, 5, 0, 5, 1, 2}, {0, 0, 0, 0, 5, 0, 0, 0}},
      {"data without end", {2, 3}, {0, 0, 0, 0, 3, 3, 0, 0}},
      {"empty data", {}, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"lines beyond the last", {0, 0, 0, 0, 0, 0, 4, 1}, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const auto picture = Rle8(c.data);
    ASSERT_TRUE(picture) << c.what;
    EXPECT_EQ(Rows(*picture), c.want) << c.what;
  }
}

TEST(BitmapRle, FourBitRunsAlternateTheirTwoColours) {
  TestBmp bmp;
  bmp.Width = 6;
  bmp.Height = 1;
  bmp.BitCount = 4;
  bmp.Compression = kBiRle4;
  for (uint32_t i = 0; i < 16; ++i) bmp.Palette.push_back(i);
  bmp.Data = {3, 0x12, 0, 3, 0xAB, 0xC0, 0, 1};
  bmp.SizeImage = static_cast<uint32_t>(bmp.Data.size());
  const auto picture = Decode(bmp.Bytes());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Pixels, (std::vector<uint32_t>{1, 2, 1, 0xA, 0xB, 0xC}));
}

TEST(PackedDib, HeaderTableAndBitsMustFitTheRecord) {
  TestBmp bmp;
  bmp.Width = 3;
  bmp.Height = 2;
  bmp.BitCount = 8;
  bmp.ClrUsed = 4;
  bmp.Palette.assign(4, 0);
  bmp.Data.assign(8, 0);
  const std::vector<uint8_t> file = bmp.Bytes();
  const std::vector<uint8_t> packed(file.begin() + 14, file.end());  // 40 + 16 + 8 bytes
  const auto h = ReadDibHeader(TByteView(packed.data(), packed.size()));
  ASSERT_TRUE(h);
  EXPECT_EQ(h->Stride(), 4u);
  EXPECT_EQ(h->ImageBytes(), 8u);
  EXPECT_TRUE(PackedDibFits(*h, TByteView(packed.data(), packed.size())));
  EXPECT_FALSE(PackedDibFits(*h, TByteView(packed.data(), packed.size() - 1)));
  TDibHeader rle = *h;
  rle.Compression = kBiRle8;
  rle.SizeImage = 0;
  EXPECT_FALSE(PackedDibFits(rle, TByteView(packed.data(), packed.size())));
}

}  // namespace
