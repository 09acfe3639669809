#include "block/TrazelBitmap.h"

#include <algorithm>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kMaxColors = 256;

using THeaderResult = TPictureResult<TDibHeader>;

bool KnownHeaderSize(uint32_t size) {
  switch (size) {
    case 40: case 52: case 56: case 64: case 108: case 124:
      return true;
    default:
      return false;
  }
}

bool KnownBitCount(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool BitCountFits(int bits, uint32_t compression) {
  switch (compression) {
    case kBiRgb:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kBiRle8:
      return bits == 8;
    case kBiRle4:
      return bits == 4;
    case kBiBitfields:
    case kBiAlphaBitfields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

TPictureFault SizeFault(int64_t width, int64_t height) {
  if (width < 1 || height < 1) return TPictureFault::NoSize;
  if (width > kMaxBitmapSide || height > kMaxBitmapSide || width * height > kMaxBitmapPixels)
    return TPictureFault::TooLarge;
  return TPictureFault::None;
}

bool IsBitfields(uint32_t compression) {
  return compression == kBiBitfields || compression == kBiAlphaBitfields;
}

// The old core header: 16-bit sizes, no compression, colour entries of 3 bytes.
THeaderResult ReadCoreHeader(TByteView dib) {
  if (!dib.Has(0, kCoreHeaderSize)) return TPictureFault::HeaderCut;
  TDibHeader h;
  h.HeaderSize = kCoreHeaderSize;
  h.Width = dib.U16(4);
  h.Height = dib.U16(6);
  h.BitCount = dib.U16(10);
  if (dib.U16(8) != 1) return {TPictureFault::Planes, dib.U16(8)};
  if (h.BitCount == 16 || h.BitCount == 32 || !KnownBitCount(h.BitCount))
    return {TPictureFault::BitDepth, static_cast<uint32_t>(h.BitCount)};
  if (const TPictureFault f = SizeFault(h.Width, h.Height); f != TPictureFault::None) return f;
  h.Colors = h.BitCount <= 8 ? 1u << h.BitCount : 0;
  return h;
}

void SetDefaultMasks(TDibHeader& h) {
  if (h.BitCount == 16) {
    h.Masks[0] = 0x7C00;
    h.Masks[1] = 0x03E0;
    h.Masks[2] = 0x001F;
  } else if (h.BitCount == 32) {
    h.Masks[0] = 0xFF0000;
    h.Masks[1] = 0x00FF00;
    h.Masks[2] = 0x0000FF;
  }
}

// Masks follow a 40-byte header; larger headers hold them at the same place inside.
bool ReadMasks(TByteView dib, TDibHeader& h) {
  if (!IsBitfields(h.Compression)) {
    SetDefaultMasks(h);
    return true;
  }
  if (!dib.Has(kInfoHeaderSize, 12)) return false;
  for (int i = 0; i < 3; ++i) h.Masks[i] = dib.U32(kInfoHeaderSize + 4 * i);
  return true;
}

// A colour table longer than the bits need is allowed: the entries beyond are not used.
THeaderResult CheckInfoHeader(const TDibHeader& h, int32_t rawHeight, uint16_t planes) {
  if (planes != 1) return {TPictureFault::Planes, planes};
  if (!KnownBitCount(h.BitCount))
    return {TPictureFault::BitDepth, static_cast<uint32_t>(h.BitCount)};
  // Old OS/2 headers use codes 3 and 4 for compressions that are not read here.
  const bool os2Code = h.HeaderSize == 64 && h.Compression > kBiRle4;
  const bool topDownRle = h.TopDown && (h.Compression == kBiRle8 || h.Compression == kBiRle4);
  if (os2Code || topDownRle || !BitCountFits(h.BitCount, h.Compression))
    return {TPictureFault::Compression, h.Compression};
  if (rawHeight == INT32_MIN) return TPictureFault::TooLarge;
  if (const TPictureFault f = SizeFault(h.Width, h.Height); f != TPictureFault::None) return f;
  return h;
}

}  // namespace

size_t TDibHeader::Stride() const {
  return (static_cast<size_t>(Width) * static_cast<size_t>(BitCount) + 31) / 32 * 4;
}

size_t TDibHeader::ImageBytes() const {
  if (Compression == kBiRle8 || Compression == kBiRle4) return SizeImage;
  return Stride() * static_cast<size_t>(Height);
}

THeaderResult ReadDibHeader(TByteView dib) {
  if (!dib.Has(0, 4)) return TPictureFault::HeaderCut;
  const uint32_t size = dib.U32(0);
  if (size == kCoreHeaderSize) return ReadCoreHeader(dib);
  if (!KnownHeaderSize(size)) return {TPictureFault::HeaderSize, size};
  if (!dib.Has(0, size)) return TPictureFault::HeaderCut;
  TDibHeader h;
  h.HeaderSize = size;
  h.Width = dib.I32(4);
  const int32_t rawHeight = dib.I32(8);
  h.TopDown = rawHeight < 0;
  h.Height = rawHeight == INT32_MIN ? 0 : (rawHeight < 0 ? -rawHeight : rawHeight);
  h.BitCount = dib.U16(14);
  h.Compression = dib.U32(16);
  h.SizeImage = dib.U32(20);
  const uint32_t colorsUsed = dib.U32(32);
  THeaderResult checked = CheckInfoHeader(h, rawHeight, dib.U16(12));
  if (!checked) return checked;
  h.Colors = colorsUsed != 0 || h.BitCount > 8 ? colorsUsed : 1u << h.BitCount;
  if (!ReadMasks(dib, h)) return TPictureFault::HeaderCut;
  return h;
}

bool PackedDibFits(const TDibHeader& h, TByteView dib) {
  const bool rle = h.Compression == kBiRle8 || h.Compression == kBiRle4;
  if (rle && h.SizeImage == 0) return false;
  // Readers disagree whether masks of larger headers repeat after them: allow room for both.
  const uint64_t masks = IsBitfields(h.Compression) ? 16 : 0;
  const uint64_t need = uint64_t(h.HeaderSize) + masks + uint64_t(h.Colors) * 4 + h.ImageBytes();
  return need <= dib.Size();
}

namespace {

// One colour channel of a 16- or 32-bit pixel, scaled to 0..255.
class TChannel {
 public:
  explicit TChannel(uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    while (!((mask >> shift_) & 1)) ++shift_;
    uint64_t max = mask >> shift_;
    while (max & (max + 1)) max |= max >> 1;  // the mask's width, gaps included
    max_ = max;
  }
  uint32_t operator()(uint32_t pixel) const {
    if (max_ == 0) return 0;
    const uint64_t v = (pixel & mask_) >> shift_;
    return static_cast<uint32_t>((v * 255 + max_ / 2) / max_);
  }

 private:
  uint32_t mask_;
  int shift_ = 0;
  uint64_t max_ = 0;
};

using TPalette = std::vector<uint32_t>;

TPalette ReadPalette(TByteView table, const TDibHeader& h) {
  TPalette palette(kMaxColors, 0);
  const size_t entry = h.HeaderSize == kCoreHeaderSize ? 3 : 4;
  const size_t count = std::min<size_t>(h.Colors, kMaxColors);
  for (size_t i = 0; i < count; ++i) {
    const size_t at = i * entry;
    palette[i] = (uint32_t(table.U8(at + 2)) << 16) | (uint32_t(table.U8(at + 1)) << 8) |
                 table.U8(at);
  }
  return palette;
}

// Converts one stored row (its bytes at row) into pixels.
void DecodeRow(TByteView row, const TDibHeader& h, const TPalette& palette, uint32_t* out) {
  const TChannel red(h.Masks[0]), green(h.Masks[1]), blue(h.Masks[2]);
  const int bits = h.BitCount;
  for (int x = 0; x < h.Width; ++x) {
    if (bits <= 8) {
      const size_t bit = static_cast<size_t>(x) * bits;
      const int shift = 8 - bits - static_cast<int>(bit % 8);
      out[x] = palette[(row.U8(bit / 8) >> shift) & ((1 << bits) - 1)];
    } else if (bits == 24) {
      const size_t at = static_cast<size_t>(x) * 3;
      out[x] = (uint32_t(row.U8(at + 2)) << 16) | (uint32_t(row.U8(at + 1)) << 8) | row.U8(at);
    } else {
      const uint32_t p = bits == 16 ? row.U16(static_cast<size_t>(x) * 2) : row.U32(size_t(x) * 4);
      out[x] = (red(p) << 16) | (green(p) << 8) | blue(p);
    }
  }
}

void DecodeRows(TByteView bits, const TDibHeader& h, const TPalette& palette,
                TBitmapPicture& picture) {
  const size_t stride = h.Stride();
  for (int r = 0; r < h.Height; ++r) {
    const int y = h.TopDown ? r : h.Height - 1 - r;
    DecodeRow(bits.From(static_cast<size_t>(r) * stride), h, palette,
              &picture.Pixels[static_cast<size_t>(y) * h.Width]);
  }
}

// Run-length data: pairs of count and value, or escapes (0: end of line, 1: end of picture,
// 2: move by dx, dy, 3..255: that many literal pixels, padded to a 16-bit boundary).
class TRleDecoder {
 public:
  TRleDecoder(TByteView data, bool fourBits, const TPalette& palette, TBitmapPicture& picture)
      : data_(data), four_(fourBits), palette_(palette), picture_(picture) {}

  void Run() {
    while (data_.Has(at_, 2) && row_ < picture_.Height) {
      const uint8_t count = data_.U8(at_), value = data_.U8(at_ + 1);
      at_ += 2;
      if (count > 0) {
        for (int i = 0; i < count; ++i) Put(four_ ? Nibble(value, i) : value);
      } else if (value == 0) {
        x_ = 0;
        ++row_;
      } else if (value == 1) {
        return;
      } else if (!(value == 2 ? Move() : Literal(value))) {
        return;
      }
    }
  }

 private:
  static uint8_t Nibble(uint8_t b, int i) { return i % 2 == 0 ? b >> 4 : b & 0x0F; }

  void Put(uint8_t index) {
    if (x_ >= picture_.Width) return;  // beyond the right edge: dropped
    const size_t y = static_cast<size_t>(picture_.Height - 1 - row_);
    picture_.Pixels[y * picture_.Width + x_] = palette_[index];
    ++x_;
  }

  bool Move() {
    if (!data_.Has(at_, 2)) return false;
    x_ = std::min(x_ + data_.U8(at_), picture_.Width);
    row_ += data_.U8(at_ + 1);
    at_ += 2;
    return true;
  }

  bool Literal(uint8_t count) {
    const size_t bytes = four_ ? (count + 1u) / 2 : count;
    if (!data_.Has(at_, bytes)) return false;
    for (int i = 0; i < count; ++i)
      Put(four_ ? Nibble(data_.U8(at_ + i / 2), i) : data_.U8(at_ + i));
    at_ += (bytes + 1) & ~size_t(1);
    return true;
  }

  TByteView data_;
  bool four_;
  const TPalette& palette_;
  TBitmapPicture& picture_;
  size_t at_ = 0;
  int x_ = 0;
  int row_ = 0;  // from the bottom
};

}  // namespace

TPictureResult<TBitmapPicture> DecodeBitmapFile(TByteView file) {
  if (file.U8(0) != 'B' || file.U8(1) != 'M') return TPictureFault::NotABitmap;
  if (!file.Has(0, kFileHeaderSize)) return TPictureFault::HeaderCut;
  const TByteView dib = file.From(kFileHeaderSize);
  const THeaderResult h = ReadDibHeader(dib);
  if (!h) return {h.Fault, h.Detail};
  const size_t entry = h->HeaderSize == kCoreHeaderSize ? 3 : 4;
  const size_t tableAt = h->HeaderSize + (h->HeaderSize == kInfoHeaderSize && IsBitfields(h->Compression)
                                              ? (h->Compression == kBiAlphaBitfields ? 16 : 12)
                                              : 0);
  if (!dib.Has(tableAt, 0) || uint64_t(h->Colors) * entry > dib.Size() - tableAt)
    return TPictureFault::ColorTableCut;
  const TPalette palette = ReadPalette(dib.From(tableAt), *h);
  const size_t bitsAt = file.U32(10);
  const bool rle = h->Compression == kBiRle8 || h->Compression == kBiRle4;
  if (rle ? bitsAt > file.Size() : !file.Has(bitsAt, h->ImageBytes()))
    return TPictureFault::PixelsCut;

  TBitmapPicture picture;
  picture.Width = h->Width;
  picture.Height = h->Height;
  picture.Pixels.assign(static_cast<size_t>(h->Width) * h->Height, rle ? palette[0] : 0);
  if (rle) {
    TByteView data = file.From(bitsAt);
    if (h->SizeImage != 0 && h->SizeImage < data.Size()) data = TByteView(data.Data(), h->SizeImage);
    TRleDecoder(data, h->Compression == kBiRle4, palette, picture).Run();
  } else {
    DecodeRows(file.From(bitsAt), *h, palette, picture);
  }
  return picture;
}
