#include "block/TrazelMetafile.h"

#include <algorithm>
#include <utility>

#include "block/TrazelBitmap.h"

namespace {

// Record functions whose parameters the checks below look at.
enum : uint16_t {
  kEof = 0x0000,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kTextOut = 0x0521,
  kBitBlt = 0x0922,
  kStretchBlt = 0x0B23,
  kPolygon = 0x0324,
  kPolyline = 0x0325,
  kEscape = 0x0626,
  kFillRegion = 0x0228,
  kFrameRegion = 0x0429,
  kInvertRegion = 0x012A,
  kPaintRegion = 0x012B,
  kSelectClipRegion = 0x012C,
  kSelectObject = 0x012D,
  kExtTextOut = 0x0A32,
  kSetDibToDev = 0x0D33,
  kSelectPalette = 0x0234,
  kPolyPolygon = 0x0538,
  kDibBitBlt = 0x0940,
  kDibStretchBlt = 0x0B41,
  kDibCreatePatternBrush = 0x0142,
  kStretchDib = 0x0F43,
  kDeleteObject = 0x01F0,
  kCreatePalette = 0x00F7,
  kCreatePatternBrush = 0x01F9,
  kCreateFontIndirect = 0x02FB,
  kCreateRegion = 0x06FF,
};

// Parameter words that the platform reads from records of fixed layout, whatever the record's
// size says.
struct TFixedSize {
  uint16_t Function;
  uint8_t Words;
};

constexpr TFixedSize kFixedSizes[] = {
    {0x0201, 2}, {0x0102, 1}, {0x0103, 1}, {0x0104, 1}, {0x0105, 1}, {0x0106, 1}, {0x0107, 1},
    {0x0108, 1}, {0x0209, 2}, {0x020A, 2}, {0x020B, 2}, {0x020C, 2}, {0x020D, 2}, {0x020E, 2},
    {0x020F, 2}, {0x0410, 4}, {0x0211, 2}, {0x0412, 4}, {0x0213, 2}, {0x0214, 2}, {0x0415, 4},
    {0x0416, 4}, {0x0817, 8}, {0x0418, 4}, {0x0419, 4}, {0x081A, 8}, {0x041B, 4}, {0x061C, 6},
    {0x061D, 6}, {0x041F, 4}, {0x0220, 2}, {0x0127, 1}, {0x0228, 2}, {0x0429, 4}, {0x012A, 1},
    {0x012B, 1}, {0x012C, 1}, {0x012D, 1}, {0x012E, 1}, {0x0830, 8}, {0x0231, 2}, {0x0234, 2},
    {0x0548, 5}, {0x01F0, 1}, {0x02FA, 5}, {0x02FB, 25}, {0x02FC, 4}, {kBitBlt, 12},
    {kStretchBlt, 15}, {kDibBitBlt, 9}, {kDibStretchBlt, 10},
};

// DIBSTRETCHBLT without a bitmap is read as if one followed: a zero header makes it a no-op.
constexpr size_t kDibStretchBltWithHeader = 10 + 20;

size_t FixedWords(uint16_t function) {
  for (const TFixedSize& f : kFixedSizes)
    if (f.Function == function) return f.Words;
  return 0;
}

// One record's parameters (after padding), as 16-bit words.
class TParams {
 public:
  TParams(TByteView bytes, size_t givenWords) : bytes_(bytes), given_(givenWords) {}
  size_t Words() const { return bytes_.Size() / 2; }
  size_t GivenWords() const { return given_; }  // before padding
  uint16_t W(size_t i) const { return bytes_.U16(2 * i); }
  int16_t S(size_t i) const { return bytes_.I16(2 * i); }
  TByteView From(size_t word) const { return bytes_.From(2 * word); }

 private:
  TByteView bytes_;
  size_t given_;
};

bool TextOutFits(const TParams& p) {
  const int16_t length = p.S(0);
  return length >= 0 && p.Words() >= 1 + (length + 1u) / 2 + 2;
}

bool PointsFit(const TParams& p) { return p.Words() >= 1 + 2u * p.W(0); }

bool PolyPolygonFits(const TParams& p) {
  const size_t polygons = p.W(0);
  if (p.Words() < 1 + polygons) return false;
  uint64_t points = 0;
  for (size_t i = 0; i < polygons; ++i) {
    if (p.S(1 + i) < 0) return false;
    points += static_cast<uint64_t>(p.S(1 + i));
  }
  return p.Words() >= 1 + polygons + 2 * points;
}

bool ExtTextOutFits(const TParams& p) {
  if (p.Words() < 4) return false;
  const size_t rect = (p.W(3) & 0x0006) ? 4 : 0;  // ETO_OPAQUE or ETO_CLIPPED: a rectangle follows
  return p.Words() >= 4 + rect + (p.W(2) + 1u) / 2;
}

bool EscapeFits(const TParams& p) { return p.Words() >= 2 && p.Words() >= 2 + (p.W(1) + 1u) / 2; }

bool PaletteFits(const TParams& p) { return p.Words() >= 2 && p.Words() >= 2 + 2u * p.W(1); }

// Bands of the region: each is m, top, bottom, m x-coordinates and m again.
bool RegionFits(const TParams& p) {
  if (p.Words() < 11) return false;
  size_t pos = 11;
  for (size_t band = 0; band < p.W(5); ++band) {
    if (pos >= p.Words()) return false;
    const size_t end = pos + p.W(pos) + 3;
    if (end >= p.Words()) return false;
    pos = end + 1;
  }
  return true;
}

bool DibFitsAt(const TParams& p, size_t word) {
  const TPictureResult<TDibHeader> h = ReadDibHeader(p.From(word));
  return h && PackedDibFits(*h, p.From(word));
}

// A device-dependent bitmap: width, height, planes and bits per pixel at the given words, the
// bits from bitsWord on in rows padded to 16 bits.
bool DdbFits(const TParams& p, size_t width, size_t height, size_t planes, size_t bpp,
             size_t bitsWord) {
  const uint64_t w = p.W(width), h = p.W(height);
  if (w == 0 || h == 0) return true;  // the platform makes an empty bitmap without reading
  const uint64_t row = (w * p.W(bpp) + 15) / 16 * 2;
  return p.Words() >= bitsWord && row * h * p.W(planes) <= (p.Words() - bitsWord) * 2;
}

bool PatternBrushFits(const TParams& p) {
  if (p.W(0) == 5) return DibFitsAt(p, 2);  // BS_DIBPATTERN
  if (p.W(0) != 3) return true;             // other styles are not read
  // BS_PATTERN: a bitmap header, then the bits of a device-dependent bitmap.
  if (p.Words() < 2 + 20) return false;
  const TByteView info = p.From(2);
  const int32_t w = info.I32(4), h = info.I32(8);
  if (w < 0 || h < 0 || w > kMaxBitmapSide || h > kMaxBitmapSide) return false;
  const uint64_t row = (uint64_t(w) * info.U16(14) + 15) / 16 * 2;
  const uint64_t need = row * uint64_t(h) * info.U16(12);
  constexpr size_t kBitsWord = 24;  // the bits follow the header after two more words
  return need == 0 || (p.Words() >= kBitsWord && need <= (p.Words() - kBitsWord) * 2);
}

bool SetDibToDevFits(const TParams& p) {
  if (!DibFitsAt(p, 9)) return false;
  const TPictureResult<TDibHeader> h = ReadDibHeader(p.From(9));
  return uint32_t(p.W(2)) + p.W(1) <= uint32_t(h->Height);  // first scan line + line count
}

// Records whose parameters hold counts or bitmaps: true when these fit the record.
bool CountsFit(uint16_t function, const TParams& p) {
  switch (function) {
    case kTextOut: return TextOutFits(p);
    case kPolygon:
    case kPolyline: return PointsFit(p);
    case kPolyPolygon: return PolyPolygonFits(p);
    case kExtTextOut: return ExtTextOutFits(p);
    case kEscape: return EscapeFits(p);
    case kCreatePalette: return PaletteFits(p);
    case kCreateRegion: return RegionFits(p);
    case kCreatePatternBrush: return PatternBrushFits(p);
    case kDibCreatePatternBrush: return DibFitsAt(p, 2);
    case kStretchDib: return DibFitsAt(p, 11);
    case kSetDibToDev: return SetDibToDevFits(p);
    case kDibBitBlt: return p.GivenWords() <= 9 || DibFitsAt(p, 8);
    case kDibStretchBlt: return p.GivenWords() <= 10 || DibFitsAt(p, 10);
    case kBitBlt: return DdbFits(p, 7, 8, 10, 11, 12);
    case kStretchBlt: return DdbFits(p, 10, 11, 13, 14, 15);
    default: return true;
  }
}

// Object numbers index the platform's table of mtNoObjects entries without a check.
bool ObjectsFit(uint16_t function, const TParams& p, uint16_t objects) {
  auto ok = [&](size_t word) { return p.W(word) < objects; };
  switch (function) {
    case kDeleteObject:
    case kSelectObject:
    case kInvertRegion:
    case kPaintRegion: return ok(0);
    case kSelectClipRegion: return p.W(0) == 0 || ok(0);  // 0 selects no region
    case kFillRegion: return ok(0) && ok(1);
    case kFrameRegion: return ok(2) && ok(3);
    case kSelectPalette: return ok(1);
    default: return true;
  }
}

class TMetafileWriter {
 public:
  explicit TMetafileWriter(TByteView header) : out_(header.Data(), header.Data() + kMetaHeaderSize) {}

  void Append(uint16_t function, const std::vector<uint8_t>& params) {
    const size_t words = 3 + params.size() / 2;
    maxWords_ = std::max(maxWords_, words);
    PutU32(static_cast<uint32_t>(words));
    out_.push_back(static_cast<uint8_t>(function & 0xFF));
    out_.push_back(static_cast<uint8_t>(function >> 8));
    out_.insert(out_.end(), params.begin(), params.end());
  }

  // Memory metafile, version 3, and the sizes of what was written.
  std::vector<uint8_t> Finish() {
    Append(kEof, {});
    SetU16(0, 1);
    SetU16(4, 0x0300);
    SetU32(6, static_cast<uint32_t>(out_.size() / 2));
    SetU32(12, static_cast<uint32_t>(maxWords_));
    return std::move(out_);
  }

 private:
  void PutU32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void SetU16(size_t at, uint16_t v) {
    out_[at] = static_cast<uint8_t>(v);
    out_[at + 1] = static_cast<uint8_t>(v >> 8);
  }
  void SetU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }

  std::vector<uint8_t> out_;
  size_t maxWords_ = 3;
};

bool MetaHeaderMakesSense(TByteView body) {
  if (!body.Has(0, kMetaHeaderSize)) return false;
  const uint16_t type = body.U16(0), version = body.U16(4);
  return (type == 1 || type == 2) && body.U16(2) == kMetaHeaderSize / 2 &&
         (version == 0x0100 || version == 0x0300);
}

// The parameters of a record, lengthened with zeros to what the platform reads of it.
std::vector<uint8_t> PaddedParams(uint16_t function, TByteView given) {
  const size_t givenWords = given.Size() / 2;
  size_t words = std::max(givenWords, FixedWords(function));
  if (function == kDibStretchBlt && givenWords <= 10) words = kDibStretchBltWithHeader;
  std::vector<uint8_t> params(given.Data(), given.Data() + givenWords * 2);
  params.resize(words * 2, 0);
  return params;
}

void TakeWindowRecord(uint16_t function, const TParams& p, TMetafileFrame& frame,
                      bool& haveOrigin, bool& haveExtent) {
  if (function == kSetWindowOrg && !haveOrigin) {
    frame.Left = p.S(1);
    frame.Top = p.S(0);
    haveOrigin = true;
  } else if (function == kSetWindowExt && !haveExtent) {
    frame.Width = p.S(1);
    frame.Height = p.S(0);
    haveExtent = true;
  }
}

}  // namespace

std::optional<TPlaceableHeader> ReadPlaceableHeader(TByteView file) {
  if (!file.Has(0, kPlaceableHeaderSize) || file.U32(0) != kPlaceableMagic) return std::nullopt;
  TPlaceableHeader h;
  h.Left = file.I16(6);
  h.Top = file.I16(8);
  h.Right = file.I16(10);
  h.Bottom = file.I16(12);
  h.Inch = file.U16(14);
  return h;
}

TPictureResult<TMetafilePicture> ReadMetafileFile(TByteView file) {
  TMetafilePicture picture;
  TByteView body = file;
  if (const std::optional<TPlaceableHeader> p = ReadPlaceableHeader(file)) {
    picture.Placeable = true;
    picture.Frame = {p->Left, p->Top, p->Right - p->Left, p->Bottom - p->Top, false};
    picture.Frame.Known = picture.Frame.Width != 0 && picture.Frame.Height != 0;
    body = file.From(kPlaceableHeaderSize);
  }
  if (!MetaHeaderMakesSense(body)) return TPictureFault::NotAMetafile;
  const uint16_t objects = body.U16(10);
  TMetafileWriter writer(body);
  TMetafileFrame window;
  bool haveOrigin = false, haveExtent = false;
  size_t at = kMetaHeaderSize;
  while (at < body.Size()) {
    if (!body.Has(at, 6)) return TPictureFault::RecordCut;  // cut off in its header
    const uint64_t bytes = uint64_t(body.U32(at)) * 2;
    const uint16_t function = body.U16(at + 4);
    if (bytes < 6 || bytes > body.Size() - at) return TPictureFault::RecordCut;
    if (function == kEof) break;
    const TByteView given(body.Data() + at + 6, static_cast<size_t>(bytes) - 6);
    const std::vector<uint8_t> params = PaddedParams(function, given);
    const TParams p(TByteView(params.data(), params.size()), given.Size() / 2);
    if (!CountsFit(function, p)) return {TPictureFault::RecordContents, function};
    if (!ObjectsFit(function, p, objects)) return {TPictureFault::ObjectNumber, function};
    TakeWindowRecord(function, p, window, haveOrigin, haveExtent);
    writer.Append(function, params);
    at += static_cast<size_t>(bytes);
  }
  if (!picture.Frame.Known && haveExtent && window.Width != 0 && window.Height != 0) {
    picture.Frame = window;
    picture.Frame.Known = true;
  }
  picture.Bits = writer.Finish();
  return picture;
}
