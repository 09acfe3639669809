// TrazelBitmap: reads Windows bitmap files (and the bitmaps inside metafile records) without
// trusting a single field: every size and offset is checked against the data, so a damaged or
// hostile file gives no picture instead of a read beyond its end or a huge allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "block/TrazelPicture.h"

// Compression codes of a bitmap header.
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;
// Largest width or height, and largest number of pixels, that a picture may have.
constexpr int kMaxBitmapSide = 65535;
constexpr int64_t kMaxBitmapPixels = int64_t(1) << 26;

// The header of a device-independent bitmap, checked for sense: a known header size, one plane,
// a bit count that fits the compression, a size within the limits.
struct TDibHeader {
  uint32_t HeaderSize = 0;  // 12 (the old core header), 40, 52, 56, 64, 108 or 124
  int Width = 0;
  int Height = 0;           // number of rows, always positive
  bool TopDown = false;     // rows stored from the top (a negative height in the file)
  int BitCount = 0;         // 1, 4, 8, 16, 24 or 32
  uint32_t Compression = kBiRgb;
  uint32_t Colors = 0;      // entries of the colour table
  uint32_t SizeImage = 0;   // stated size of the pixel data (needed for RLE only)
  uint32_t Masks[3] = {};   // red, green and blue masks for 16 and 32 bits per pixel

  // Bytes of one uncompressed row (rows are padded to 4 bytes).
  size_t Stride() const;
  // Bytes of the pixel data: all rows uncompressed, or the stated size of RLE data.
  size_t ImageBytes() const;
};

// Reads the header at the start of dib and the colour masks that follow a 40-byte header; or
// why it makes no sense. A colour table longer than the bits need is allowed.
TPictureResult<TDibHeader> ReadDibHeader(TByteView dib);

// True when a packed bitmap (header, masks, colour table, pixel data in this order) lies within
// dib, whichever way a reader places the masks and with colour entries of up to 4 bytes.
bool PackedDibFits(const TDibHeader& header, TByteView dib);

// A decoded picture: rows from the top, pixels as 0x00RRGGBB.
struct TBitmapPicture {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// Decodes a bitmap file (BITMAPFILEHEADER first). Nothing, with the reason, when the file is no
// bitmap, is cut short or states sizes that do not fit it. Colour entries beyond those that the
// bits can index are ignored. RLE data is decoded as far as it goes: runs that
// leave the picture are cut at its edge, and pixels that the data never sets keep colour 0.
TPictureResult<TBitmapPicture> DecodeBitmapFile(TByteView file);
