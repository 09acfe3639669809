#include "block/TrazelMetafile.h"

#include <string>

#include <gtest/gtest.h>

#include "support/TestPictures.h"

namespace {

using namespace testpictures;

std::vector<uint8_t> SharedWmf(const std::string& name) {
  return PictureBytes("wmf/" + name);
}

TPictureResult<TMetafilePicture> Read(const std::vector<uint8_t>& bytes) {
  return ReadMetafileFile(TByteView(bytes.data(), bytes.size()));
}

struct TRecordInfo {
  uint32_t Words;
  uint16_t Function;
};

// The records of a memory metafile as the platform walks them.
std::vector<TRecordInfo> Records(const std::vector<uint8_t>& bits) {
  const TByteView v(bits.data(), bits.size());
  std::vector<TRecordInfo> records;
  for (size_t at = kMetaHeaderSize; v.Has(at, 6) && v.U32(at) >= 3; at += v.U32(at) * 2)
    records.push_back({v.U32(at), v.U16(at + 4)});
  return records;
}

// What the platform relies on: memory type, version 3, the header's size and largest record
// matching the records, and the end record last.
void ExpectPlayable(const TMetafilePicture& p, const std::string& what) {
  const TByteView v(p.Bits.data(), p.Bits.size());
  EXPECT_EQ(v.U16(0), 1) << what;
  EXPECT_EQ(v.U16(2), 9) << what;
  EXPECT_EQ(v.U16(4), 0x0300) << what;
  EXPECT_EQ(size_t(v.U32(6)) * 2, p.Bits.size()) << what;
  const std::vector<TRecordInfo> records = Records(p.Bits);
  ASSERT_FALSE(records.empty()) << what;
  uint32_t largest = 0, total = kMetaHeaderSize / 2;
  for (const TRecordInfo& r : records) {
    largest = std::max(largest, r.Words);
    total += r.Words;
  }
  EXPECT_EQ(v.U32(12), largest) << what;
  EXPECT_EQ(size_t(total) * 2, p.Bits.size()) << what;
  EXPECT_EQ(records.back().Function, 0) << what;
  EXPECT_EQ(records.back().Words, 3u) << what;
}

TEST(MetafileFiles, PlaceableAndPlainFilesAreReadWithTheirFrames) {
  const struct {
    const char* name;
    bool placeable;
    TMetafileFrame frame;
    size_t records;  // end record included
  } files[] = {
      {"2doorvan.wmf", true, {-8, -8, 1905, 692, true}, 320},
      {"ant.wmf", true, {0, 0, 3277, 2130, true}, 127},
      {"formula1.wmf", true, {-4, -4, 222, 41, true}, 85},
      {"sample.wmf", true, {-934, -1684, 3151, 2828, true}, 642},
      {"p0000001.wmf", false, {0, 0, 4800, 1792, true}, 97},
      {"text.wmf", false, {0, 0, 0, 0, false}, 70},
  };
  for (const auto& f : files) {
    const auto picture = Read(SharedWmf(f.name));
    ASSERT_TRUE(picture) << f.name;
    EXPECT_EQ(picture->Placeable, f.placeable) << f.name;
    EXPECT_EQ(picture->Frame.Known, f.frame.Known) << f.name;
    if (f.frame.Known) {
      EXPECT_EQ(picture->Frame.Left, f.frame.Left) << f.name;
      EXPECT_EQ(picture->Frame.Top, f.frame.Top) << f.name;
      EXPECT_EQ(picture->Frame.Width, f.frame.Width) << f.name;
      EXPECT_EQ(picture->Frame.Height, f.frame.Height) << f.name;
    }
    EXPECT_EQ(Records(picture->Bits).size(), f.records) << f.name;
    ExpectPlayable(*picture, f.name);
  }
}

TEST(MetafileFiles, WithoutItsPlaceableHeaderTheWindowRecordsGiveTheFrame) {
  std::vector<uint8_t> bytes = SharedWmf("sample.wmf");
  ASSERT_GT(bytes.size(), kPlaceableHeaderSize);
  bytes.erase(bytes.begin(), bytes.begin() + kPlaceableHeaderSize);
  const auto picture = Read(bytes);
  ASSERT_TRUE(picture);
  EXPECT_FALSE(picture->Placeable);
  EXPECT_EQ(picture->Frame.Left, -934);
  EXPECT_EQ(picture->Frame.Top, 1144);
  EXPECT_EQ(picture->Frame.Width, 3151);
  EXPECT_EQ(picture->Frame.Height, -2828);  // y grows upward in this picture
  // The records are the file's own, unchanged.
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 18, bytes.end()),
            std::vector<uint8_t>(picture->Bits.begin() + 18, picture->Bits.end()));
}

TEST(MetafileFiles, ShortFontRecordsAreLengthenedToWhatThePlatformReads) {
  const auto picture = Read(SharedWmf("text.wmf"));
  ASSERT_TRUE(picture);
  int fonts = 0;
  for (const TRecordInfo& r : Records(picture->Bits))
    if (r.Function == kWmfCreateFontIndirect) {
      EXPECT_EQ(r.Words, 3u + 25u);
      ++fonts;
    }
  EXPECT_EQ(fonts, 22);
}

TEST(MetafileFiles, EveryCutOfARealFileIsRefusedOrEndsAtARecord) {
  for (const char* name : {"ant.wmf", "formula1.wmf", "text.wmf"}) {
    const std::vector<uint8_t> bytes = SharedWmf(name);
    if (bytes.empty()) continue;  // reported by SharedWmf
    const size_t start = bytes[0] == 0xD7 ? kPlaceableHeaderSize : 0;
    for (size_t n = 0; n < bytes.size(); n += (n < 300 ? 1 : 5)) {
      const auto picture = ReadMetafileFile(TByteView(bytes.data(), n));
      if (n < start + kMetaHeaderSize) {
        EXPECT_FALSE(picture) << name << " cut at " << n;
      } else if (picture) {
        ExpectPlayable(*picture, std::string(name) + " cut at " + std::to_string(n));
      }
    }
  }
}

TEST(MetafileHeader, OnlyMetafileHeadersAreRead) {
  TestWmf wmf;
  wmf.Add(kWmfSetBkMode, {1});
  ASSERT_TRUE(Read(wmf.Bytes()));
  TestWmf disk = wmf;
  disk.Type = 2;
  disk.Version = 0x0100;
  const auto fromDisk = Read(disk.Bytes());
  ASSERT_TRUE(fromDisk);
  ExpectPlayable(*fromDisk, "disk metafile");
  for (uint16_t type : {0, 3}) {
    TestWmf bad = wmf;
    bad.Type = type;
    EXPECT_FALSE(Read(bad.Bytes())) << "type " << type;
  }
  TestWmf badVersion = wmf;
  badVersion.Version = 0x0200;
  EXPECT_FALSE(Read(badVersion.Bytes()));
  std::vector<uint8_t> badHeaderSize = wmf.Bytes();
  badHeaderSize[2] = 10;
  EXPECT_FALSE(Read(badHeaderSize));
  EXPECT_FALSE(Read({}));
  // A placeable header in front of nothing.
  std::vector<uint8_t> onlyPlaceable = wmf.Placeable(0, 0, 10, 10, 96);
  onlyPlaceable.resize(kPlaceableHeaderSize + 4);
  EXPECT_FALSE(Read(onlyPlaceable));
}

TEST(MetafileHeader, PlaceableBoxGivesTheFrameUnlessItIsEmpty) {
  TestWmf wmf;
  wmf.Add(kWmfSetWindowOrg, {20, 10});
  wmf.Add(kWmfSetWindowExt, {200, 100});
  auto picture = Read(wmf.Placeable(-5, -6, 95, 194, 1440));
  ASSERT_TRUE(picture);
  EXPECT_TRUE(picture->Placeable);
  EXPECT_EQ(picture->Frame.Left, -5);
  EXPECT_EQ(picture->Frame.Top, -6);
  EXPECT_EQ(picture->Frame.Width, 100);
  EXPECT_EQ(picture->Frame.Height, 200);
  // An empty box: the window records decide.
  picture = Read(wmf.Placeable(7, 7, 7, 50, 1440));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Frame.Left, 10);
  EXPECT_EQ(picture->Frame.Top, 20);
  EXPECT_EQ(picture->Frame.Width, 100);
  EXPECT_EQ(picture->Frame.Height, 200);
  const auto plain = Read(wmf.Bytes());
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->Placeable);
  EXPECT_EQ(plain->Frame.Width, 100);
}

TEST(MetafileRecords, SizesThatLeaveTheFileOrCannotBeWalkedAreRefused) {
  for (uint32_t words : {0u, 1u, 2u, 100u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    TestWmf wmf;
    wmf.AddSized(kWmfSetBkMode, {1}, words);
    EXPECT_FALSE(Read(wmf.Bytes())) << words << " words";
  }
  // Cut in the middle of a record header.
  TestWmf wmf;
  wmf.Add(kWmfSetBkMode, {1});
  std::vector<uint8_t> cut = wmf.Bytes(false);
  cut.resize(cut.size() - 2);
  EXPECT_FALSE(Read(cut));
}

TEST(MetafileRecords, EndRecordIsAddedAndWhatFollowsItDropped) {
  TestWmf wmf;
  wmf.Add(kWmfSetBkMode, {1});
  auto picture = Read(wmf.Bytes(false));
  ASSERT_TRUE(picture);
  ExpectPlayable(*picture, "without end record");
  EXPECT_EQ(Records(picture->Bits).size(), 2u);
  std::vector<uint8_t> trailing = wmf.Bytes();
  trailing.insert(trailing.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0x12});
  picture = Read(trailing);
  ASSERT_TRUE(picture);
  ExpectPlayable(*picture, "junk after the end");
  EXPECT_EQ(Records(picture->Bits).size(), 2u);
}

TEST(MetafileRecords, ShortFixedRecordsAreLengthenedWithZeros) {
  TestWmf wmf;
  wmf.Objects = 1;
  wmf.Add(kWmfSetWindowExt, {100});  // the platform reads two words
  wmf.Add(kWmfSelectObject, {});     // one word: object 0
  wmf.Add(0x0B41, {0, 0xCC, 0, 0, 10, 10, 0, 0, 10, 10});  // DIBSTRETCHBLT without a bitmap
  wmf.Add(0x0922, {});               // BITBLT without anything
  const auto picture = Read(wmf.Bytes());
  ASSERT_TRUE(picture);
  const std::vector<TRecordInfo> records = Records(picture->Bits);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].Words, 3u + 2);
  EXPECT_EQ(records[1].Words, 3u + 1);
  EXPECT_EQ(records[2].Words, 3u + 30);  // room for a bitmap header of zeros
  EXPECT_EQ(records[3].Words, 3u + 12);
  const TByteView v(picture->Bits.data(), picture->Bits.size());
  EXPECT_EQ(v.U16(kMetaHeaderSize + 6), 100);
  EXPECT_EQ(v.U16(kMetaHeaderSize + 8), 0);
}

// A metafile of one record with two objects in its table.
TPictureResult<TMetafilePicture> One(uint16_t function, const std::vector<uint16_t>& params) {
  TestWmf wmf;
  wmf.Objects = 2;
  wmf.Add(function, params);
  return Read(wmf.Bytes());
}

TEST(MetafileRecords, CountsAndObjectNumbersMustFitTheRecord) {
  const struct {
    const char* what;
    uint16_t function;
    std::vector<uint16_t> params;
    bool ok;
  } cases[] = {
      {"polyline of 2 points", kWmfPolyline, {2, 1, 1, 5, 5}, true},
      {"polyline claims 3", kWmfPolyline, {3, 1, 1, 5, 5}, false},
      {"polyline claims 65535", kWmfPolyline, {0xFFFF}, false},
      {"polygon claims 1", 0x0324, {1}, false},
      {"text of 3 bytes", kWmfTextOut, {3, 0x6261, 0x0063, 10, 20}, true},
      {"text without position", kWmfTextOut, {3, 0x6261, 0x0063}, false},
      {"text of negative length", kWmfTextOut, {0x8000, 0, 0}, false},
      {"polypolygon 2 x 1 point", 0x0538, {2, 1, 1, 5, 5, 6, 6}, true},
      {"polypolygon negative count", 0x0538, {2, 0xFFFF, 2, 5, 5, 6, 6}, false},
      {"polypolygon too few points", 0x0538, {1, 3, 5, 5, 6, 6}, false},
      {"exttextout plain", 0x0A32, {5, 5, 2, 0, 0x6261}, true},
      {"exttextout with rectangle missing", 0x0A32, {5, 5, 2, 4, 0x6261}, false},
      {"exttextout with rectangle", 0x0A32, {5, 5, 2, 2, 0, 0, 9, 9, 0x6261}, true},
      {"escape of 4 bytes", 0x0626, {15, 4, 1, 2}, true},
      {"escape claims 40 bytes", 0x0626, {15, 40, 1, 2}, false},
      {"palette of 1 entry", 0x00F7, {0x300, 1, 0, 0}, true},
      {"palette claims 256", 0x00F7, {0x300, 256, 0, 0}, false},
      {"region of one band", 0x06FF, {0, 6, 0, 0, 30, 1, 2, 0, 0, 9, 9, 2, 0, 5, 1, 4, 2}, true},
      {"region band beyond", 0x06FF, {0, 6, 0, 0, 30, 2, 2, 0, 0, 9, 9, 2, 0, 5, 1, 4, 2}, false},
      {"region band count huge", 0x06FF, {0, 6, 0, 0, 30, 1, 2, 0, 0, 9, 9, 40, 0, 5}, false},
      {"select object 1", kWmfSelectObject, {1}, true},
      {"select object 2 of 2", kWmfSelectObject, {2}, false},
      {"delete object 9", kWmfDeleteObject, {9}, false},
      {"clip region none", 0x012C, {0}, true},
      {"clip region 5", 0x012C, {5}, false},
      {"fill region 1 with 3", 0x0228, {1, 3}, false},
      {"frame region", 0x0429, {1, 1, 0, 1}, true},
      {"frame region brush 7", 0x0429, {1, 1, 0, 7}, false},
      {"select palette 4", 0x0234, {0, 4}, false},
      {"stretchblt bitmap missing bits", 0x0B23,
       {0xCC, 0, 1, 1, 0, 0, 1, 1, 0, 0, 16, 16, 2, 1, 1}, false},
      {"bitblt with 1 x 1 bitmap", 0x0922, {0xCC, 0, 0, 1, 1, 0, 0, 1, 1, 2, 1, 1, 0xFFFF}, true},
      {"pattern brush of a huge bitmap", 0x01F9,
       {3, 0, 40, 0, 100, 0, 100, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
      {"unknown record", 0x0999, {1, 2, 3}, true},
  };
  for (const auto& c : cases) EXPECT_EQ(bool(One(c.function, c.params)), c.ok) << c.what;
  TestWmf none;  // object numbers with an empty table
  none.Add(kWmfSelectObject, {0});
  EXPECT_FALSE(Read(none.Bytes()));
}

// A STRETCHDIB record with a 2 x 2, 24-bit bitmap whose header says `height` rows.
std::vector<uint16_t> StretchDib(int32_t height, size_t dataBytes) {
  std::vector<uint16_t> p = {0x20, 0xCC, 0, 2, 2, 0, 0, 10, 10, 0, 0};
  const uint32_t header[] = {40, 2, static_cast<uint32_t>(height), 1 | (24u << 16), 0, 0, 0, 0, 0, 0};
  for (uint32_t v : header) {
    p.push_back(static_cast<uint16_t>(v & 0xFFFF));
    p.push_back(static_cast<uint16_t>(v >> 16));
  }
  p.resize(p.size() + dataBytes / 2, 0x7777);
  return p;
}

TEST(MetafileRecords, BitmapsInRecordsMustFitThem) {
  EXPECT_TRUE(One(0x0F43, StretchDib(2, 16)));
  EXPECT_FALSE(One(0x0F43, StretchDib(3, 16)));      // a third row is missing
  EXPECT_FALSE(One(0x0F43, StretchDib(60000, 16)));
  EXPECT_FALSE(One(0x0F43, StretchDib(2, 0)));
  std::vector<uint16_t> badHeader = StretchDib(2, 16);
  badHeader[11] = 41;  // no known header size
  EXPECT_FALSE(One(0x0F43, badHeader));
  // SETDIBTODEV: first line and line count within the bitmap.
  std::vector<uint16_t> toDevice = {0, 2, 0, 0, 0, 2, 2, 0, 0};
  std::vector<uint16_t> dib = StretchDib(2, 16);
  toDevice.insert(toDevice.end(), dib.begin() + 11, dib.end());
  EXPECT_TRUE(One(0x0D33, toDevice));
  toDevice[2] = 1;  // lines 1 and 2 of a bitmap of two
  EXPECT_FALSE(One(0x0D33, toDevice));
}

}  // namespace

// Each refused metafile with the reason that its message names.
TEST(MetafileRecords, EachRefusalNamesItsCause) {
  TestWmf wrongType;
  wrongType.Type = 3;
  TestWmf tooLong;
  tooLong.AddSized(kWmfSetBkMode, {1}, 100);
  TestWmf plain;
  plain.Add(kWmfSetBkMode, {1});
  std::vector<uint8_t> cutHeader = plain.Bytes(false);
  cutHeader.resize(cutHeader.size() - 2);
  using F = TPictureFault;
  const struct {
    const char* what;
    TPictureResult<TMetafilePicture> read;
    TPictureFault fault;
  } cases[] = {
      {"empty file", Read({}), F::NotAMetafile},
      {"type 3", Read(wrongType.Bytes()), F::NotAMetafile},
      {"record beyond the file", Read(tooLong.Bytes()), F::RecordCut},
      {"record header cut", Read(cutHeader), F::RecordCut},
      {"polyline claims 3 points", One(kWmfPolyline, {3, 1, 1, 5, 5}), F::RecordContents},
      {"bitmap without its third row", One(0x0F43, StretchDib(3, 16)), F::RecordContents},
      {"select object 2 of 2", One(kWmfSelectObject, {2}), F::ObjectNumber},
      {"fill region 1 with 3", One(0x0228, {1, 3}), F::ObjectNumber},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(c.read) << c.what;
    EXPECT_EQ(c.read.Fault, c.fault) << c.what;
  }
}
