// Test pictures: the repository's folder of real picture files, and small bitmap and
// metafile files built byte by byte (for exact expectations and for damaged variants).
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDataDir.h"

namespace testpictures {

// The repository's folder of real picture files (a Linux path; the build writes it into
// TestDataDir.h).
inline std::string PictureFolder() { return std::string(kTestDataDir) + "/pictures"; }

// A Linux path as Wine's drive Z: shows it.
inline std::string WinePath(const std::string& linuxPath) {
  std::string p = "Z:" + linuxPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The path of a picture file of the repository, relative to the picture folder ("bmp/good/pal1.bmp").
// A file that is missing fails the running test with its name.
inline std::string PicturePath(const std::string& relative) {
  const std::string path = PictureFolder() + "/" + relative;
  if (!std::ifstream(path, std::ios::binary)) ADD_FAILURE() << "test data file missing: " << path;
  return path;
}

// The bytes of a picture file of the repository; a missing, unreadable or empty file fails the
// running test with its name.
inline std::vector<uint8_t> PictureBytes(const std::string& relative) {
  const std::string path = PictureFolder() + "/" + relative;
  std::vector<uint8_t> bytes = ReadBytes(path);
  if (bytes.empty()) ADD_FAILURE() << "test data file missing, unreadable or empty: " << path;
  return bytes;
}

inline void PutU16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutU32(std::vector<uint8_t>& b, uint32_t v) {
  PutU16(b, v & 0xFFFF);
  PutU16(b, v >> 16);
}

// A bitmap file with a 40-byte header (or the 12-byte core header), colour table and data as given.
struct TestBmp {
  int32_t Width = 1;
  int32_t Height = 1;
  uint16_t Planes = 1;
  uint16_t BitCount = 24;
  uint32_t Compression = 0;
  uint32_t SizeImage = 0;
  uint32_t ClrUsed = 0;
  bool Core = false;
  std::vector<uint32_t> Masks;    // written after the header
  std::vector<uint32_t> Palette;  // 0x00RRGGBB
  std::vector<uint8_t> Data;      // pixel data as stored

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> info;
    if (Core) {
      PutU32(info, 12);
      PutU16(info, static_cast<uint32_t>(Width));
      PutU16(info, static_cast<uint32_t>(Height));
      PutU16(info, Planes);
      PutU16(info, BitCount);
    } else {
      for (uint32_t v : {40u, static_cast<uint32_t>(Width), static_cast<uint32_t>(Height)})
        PutU32(info, v);
      PutU16(info, Planes);
      PutU16(info, BitCount);
      for (uint32_t v : {Compression, SizeImage, 2835u, 2835u, ClrUsed, 0u}) PutU32(info, v);
    }
    for (uint32_t m : Masks) PutU32(info, m);
    for (uint32_t c : Palette) {
      info.push_back(static_cast<uint8_t>(c));
      info.push_back(static_cast<uint8_t>(c >> 8));
      info.push_back(static_cast<uint8_t>(c >> 16));
      if (!Core) info.push_back(0);
    }
    std::vector<uint8_t> file = {'B', 'M'};
    PutU32(file, static_cast<uint32_t>(14 + info.size() + Data.size()));
    PutU32(file, 0);
    PutU32(file, static_cast<uint32_t>(14 + info.size()));
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), Data.begin(), Data.end());
    return file;
  }
};

// A 24-bit picture of w x h pixels (rows from the top, 0x00RRGGBB), stored bottom-up.
inline std::vector<uint8_t> Bmp24(int w, int h, const std::vector<uint32_t>& pixels) {
  TestBmp bmp;
  bmp.Width = w;
  bmp.Height = h;
  const int stride = (w * 3 + 3) / 4 * 4;
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * w + x];
      bmp.Data.push_back(static_cast<uint8_t>(p));
      bmp.Data.push_back(static_cast<uint8_t>(p >> 8));
      bmp.Data.push_back(static_cast<uint8_t>(p >> 16));
    }
    bmp.Data.resize(bmp.Data.size() + (stride - w * 3), 0);
  }
  return bmp.Bytes();
}

// A metafile built record by record.
struct TestWmf {
  uint16_t Objects = 0;
  uint16_t Type = 1;
  uint16_t Version = 0x0300;
  std::vector<uint8_t> Records;
  int RecordCount = 0;

  TestWmf& Add(uint16_t function, const std::vector<uint16_t>& params) {
    return AddSized(function, params, static_cast<uint32_t>(3 + params.size()));
  }
  // A record whose size field says `words` whatever its parameters are.
  TestWmf& AddSized(uint16_t function, const std::vector<uint16_t>& params, uint32_t words) {
    PutU32(Records, words);
    PutU16(Records, function);
    for (uint16_t p : params) PutU16(Records, p);
    ++RecordCount;
    return *this;
  }

  std::vector<uint8_t> Bytes(bool withEnd = true) const {
    std::vector<uint8_t> b;
    const size_t size = 18 + Records.size() + (withEnd ? 6 : 0);
    for (uint32_t v : {uint32_t(Type), 9u, uint32_t(Version)}) PutU16(b, v);
    PutU32(b, static_cast<uint32_t>(size / 2));
    PutU16(b, Objects);
    PutU32(b, 3);
    PutU16(b, 0);
    b.insert(b.end(), Records.begin(), Records.end());
    if (withEnd) {
      PutU32(b, 3);
      PutU16(b, 0);
    }
    return b;
  }

  // The same with the placeable header in front: bounding box and units per inch.
  std::vector<uint8_t> Placeable(int16_t left, int16_t top, int16_t right, int16_t bottom,
                                 uint16_t inch) const {
    std::vector<uint8_t> b;
    PutU32(b, 0x9AC6CDD7u);
    PutU16(b, 0);
    for (int16_t v : {left, top, right, bottom}) PutU16(b, static_cast<uint16_t>(v));
    PutU16(b, inch);
    PutU32(b, 0);
    uint16_t sum = 0;
    for (size_t i = 0; i < b.size(); i += 2) sum ^= static_cast<uint16_t>(b[i] | (b[i + 1] << 8));
    PutU16(b, sum);
    const std::vector<uint8_t> body = Bytes();
    b.insert(b.end(), body.begin(), body.end());
    return b;
  }
};

// Metafile record functions used by the tests.
enum : uint16_t {
  kWmfSetWindowOrg = 0x020B,
  kWmfSetWindowExt = 0x020C,
  kWmfSetBkMode = 0x0102,
  kWmfRectangle = 0x041B,
  kWmfPolyline = 0x0325,
  kWmfTextOut = 0x0521,
  kWmfSelectObject = 0x012D,
  kWmfDeleteObject = 0x01F0,
  kWmfCreatePenIndirect = 0x02FA,
  kWmfCreateBrushIndirect = 0x02FC,
  kWmfCreateFontIndirect = 0x02FB,
};

// A metafile whose frame is 100 x 100 units and that fills the rectangle (l, t)-(r, b) of it
// with colour (0x00RRGGBB) and no outline; with placeable, the frame comes from the placeable
// header only.
inline std::vector<uint8_t> FilledRectWmf(int16_t l, int16_t t, int16_t r, int16_t b,
                                          uint32_t colour, bool placeable) {
  TestWmf wmf;
  wmf.Objects = 2;
  if (!placeable) {
    wmf.Add(kWmfSetWindowOrg, {0, 0});
    wmf.Add(kWmfSetWindowExt, {100, 100});
  }
  const uint32_t ref = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
  wmf.Add(kWmfCreateBrushIndirect, {0, static_cast<uint16_t>(ref & 0xFFFF),
                                    static_cast<uint16_t>(ref >> 16), 0});
  wmf.Add(kWmfSelectObject, {0});
  wmf.Add(kWmfCreatePenIndirect, {5, 0, 0, 0, 0});  // PS_NULL
  wmf.Add(kWmfSelectObject, {1});
  // A rectangle without outline covers its right and bottom edge only up to one unit less.
  wmf.Add(kWmfRectangle, {static_cast<uint16_t>(b + 1), static_cast<uint16_t>(r + 1),
                          static_cast<uint16_t>(t), static_cast<uint16_t>(l)});
  return placeable ? wmf.Placeable(0, 0, 100, 100, 1440) : wmf.Bytes();
}

}  // namespace testpictures
