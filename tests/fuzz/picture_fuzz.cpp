// Fuzz target: the background picture readers over arbitrary bytes: the metafile reader with
// its placeable header and record checks, the bitmap header reader and decoder, and the
// printer page rectangle over any device capabilities.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "block/TrazelBitmap.h"
#include "block/TrazelMetafile.h"
#include "block/TrazelPicture.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return U16(b, at) | (static_cast<uint32_t>(U16(b, at + 2)) << 16);
}

// What the platform is handed: a version 3 memory metafile whose header sizes are right and
// whose records chain exactly to one end record at its end.
void CheckMemoryMetafile(const std::vector<uint8_t>& bits) {
  FUZZ_CHECK(bits.size() >= kMetaHeaderSize + 6 && bits.size() % 2 == 0);
  FUZZ_CHECK(U16(bits, 0) == 1 && U16(bits, 2) == kMetaHeaderSize / 2 && U16(bits, 4) == 0x0300);
  FUZZ_CHECK(U32(bits, 6) == bits.size() / 2);
  const uint32_t maxRecord = U32(bits, 12);
  size_t at = kMetaHeaderSize;
  for (;;) {
    FUZZ_CHECK(at + 6 <= bits.size());
    const uint64_t words = U32(bits, at);
    FUZZ_CHECK(words >= 3 && words <= maxRecord && at + words * 2 <= bits.size());
    const bool end = U16(bits, at + 4) == 0;
    at += static_cast<size_t>(words) * 2;
    if (end) {
      FUZZ_CHECK(words == 3 && at == bits.size());
      return;
    }
  }
}

bool HasEmptyDibStretchBlt(const std::vector<uint8_t>& bits) {
  constexpr size_t kParams = 10, kHeaderWords = 20;
  for (size_t at = kMetaHeaderSize; at + 6 <= bits.size();) {
    const size_t words = U32(bits, at);
    if (U16(bits, at + 4) == 0x0B41 && words == 3 + kParams + kHeaderWords) {
      const size_t header = at + 6 + 2 * kParams;
      if (std::all_of(bits.begin() + header, bits.begin() + header + 2 * kHeaderWords,
                      [](uint8_t b) { return b == 0; }))
        return true;
    }
    at += words * 2;
  }
  return false;
}

void CheckMetafile(TByteView file) {
  const TPictureResult<TMetafilePicture> picture = ReadMetafileFile(file);
  FUZZ_CHECK(bool(picture) == (picture.Fault == TPictureFault::None));
  const bool magic = file.Has(0, kPlaceableHeaderSize) && file.U32(0) == kPlaceableMagic;
  FUZZ_CHECK(ReadPlaceableHeader(file).has_value() == magic);
  if (!picture) return;
  FUZZ_CHECK(picture->Placeable == magic);
  CheckMemoryMetafile(picture->Bits);
  if (picture->Frame.Known) FUZZ_CHECK(picture->Frame.Width != 0 && picture->Frame.Height != 0);
  // What the reader wrote passes its own checks unchanged, except a DIBSTRETCHBLT without
  // bitmap: it is written with a zero bitmap header after it, which the platform takes for a
  // no-op and the checks for no bitmap.
  if (HasEmptyDibStretchBlt(picture->Bits)) return;
  const std::optional<TMetafilePicture> again =
      ReadMetafileFile(TByteView(picture->Bits.data(), picture->Bits.size()));
  FUZZ_CHECK(again && again->Bits == picture->Bits && !again->Placeable);
}

void CheckDibHeader(TByteView dib) {
  const TPictureResult<TDibHeader> h = ReadDibHeader(dib);
  FUZZ_CHECK(bool(h) == (h.Fault == TPictureFault::None));
  if (!h) return;
  FUZZ_CHECK(h->Width >= 1 && h->Height >= 1 && h->Width <= kMaxBitmapSide &&
             h->Height <= kMaxBitmapSide);
  FUZZ_CHECK(int64_t{h->Width} * h->Height <= kMaxBitmapPixels);
  const int b = h->BitCount;
  FUZZ_CHECK(b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32);
  // Colour tables may be longer than the bits need; only those of up to 8 bits are used.
  FUZZ_CHECK(b > 8 || h->Colors != 0);
  FUZZ_CHECK(h->Stride() % 4 == 0 && h->Stride() * 8 >= static_cast<size_t>(h->Width) * b);
  if (PackedDibFits(*h, dib)) FUZZ_CHECK(h->HeaderSize + size_t{h->Colors} * 3 <= dib.Size());
}

// Pictures of more than 2^20 pixels are decoded by the unit tests; here they would cost a
// quarter of a second each (run-length data can claim 2^26 pixels in a few bytes).
constexpr int64_t kFuzzedPixels = int64_t{1} << 20;

void CheckBitmap(TByteView file) {
  const std::optional<TDibHeader> header = ReadDibHeader(file.From(14));
  if (header && int64_t{header->Width} * header->Height > kFuzzedPixels) return;
  const TPictureResult<TBitmapPicture> picture = DecodeBitmapFile(file);
  FUZZ_CHECK(bool(picture) == (picture.Fault == TPictureFault::None));
  if (!picture) return;
  FUZZ_CHECK(file.Size() >= 14 && file.U8(0) == 'B' && file.U8(1) == 'M');
  FUZZ_CHECK(picture->Width >= 1 && picture->Height >= 1);
  FUZZ_CHECK(picture->Pixels.size() == static_cast<size_t>(picture->Width) * picture->Height);
  for (uint32_t p : picture->Pixels) FUZZ_CHECK(p <= 0xFFFFFF);
}

// The page rectangle from any device capabilities: the page's width, a height that is the
// page's own or, for a portrait page, a non-negative one.
void CheckPrinterSize(const uint8_t* data, size_t size) {
  int32_t caps[4] = {};
  std::memcpy(caps, data, std::min(size, sizeof caps));
  const TPictureSize s = PrinterPictureSize(caps[0], caps[1], caps[2], caps[3]);
  FUZZ_CHECK(s.Width == caps[0]);
  if (caps[1] <= caps[0]) FUZZ_CHECK(s.Height == caps[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TByteView file(data, size);
  CheckMetafile(file);
  CheckBitmap(file);
  CheckDibHeader(file);
  CheckDibHeader(file.From(14));
  CheckPrinterSize(data, size);
  IsMetafileName(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
