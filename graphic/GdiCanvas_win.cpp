#include "graphic/GdiCanvas_win.h"

#include <cstddef>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <utility>

namespace {

// One measurement of the process-wide cache: what was measured, with which font, on a
// device of which resolution. Display device contexts of one resolution measure alike.
struct TTextKey {
  int DpiX = 0;
  int DpiY = 0;
  bool Height = false;  // tmHeight of the font rather than the extent of Text
  int Size = 0;
  int Escapement = 0;
  uint8_t Style = 0;
  uint8_t Charset = 0;
  std::string Name;
  std::string Text;
  bool operator==(const TTextKey& o) const {
    return DpiX == o.DpiX && DpiY == o.DpiY && Height == o.Height && Size == o.Size &&
           Escapement == o.Escapement && Style == o.Style && Charset == o.Charset &&
           Name == o.Name && Text == o.Text;
  }
};

struct TTextKeyHash {
  std::size_t operator()(const TTextKey& k) const {
    std::size_t h = std::hash<std::string>()(k.Text);
    auto mix = [&h](std::size_t v) { h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2); };
    mix(std::hash<std::string>()(k.Name));
    mix(static_cast<std::size_t>(k.Size) * 31u + static_cast<std::size_t>(k.Escapement));
    mix((static_cast<std::size_t>(k.Style) << 16) | (static_cast<std::size_t>(k.Charset) << 8) |
        (k.Height ? 1u : 0u));
    mix((static_cast<std::size_t>(k.DpiX) << 16) ^ static_cast<std::size_t>(k.DpiY));
    return h;
  }
};

using TTextCache = std::unordered_map<TTextKey, TTextSize, TTextKeyHash>;

// Longer texts are measured every time; the engine's texts are numbers and short titles.
constexpr std::size_t kMaxCachedText = 64;

TTextCache& TextCache() {
  static TTextCache cache;
  return cache;
}

void Remember(TTextKey&& key, TTextSize size) {
  TTextCache& cache = TextCache();
  // The engine's working set (digit samples, axis numbers, titles) is far below the limit;
  // emptying the whole cache keeps the bound without bookkeeping per entry.
  if (cache.size() >= TGdiCanvas::kTextCacheLimit) cache.clear();
  cache.emplace(std::move(key), size);
}

int PenStyleFlags(TPenStyle style) {
  switch (style) {
    case TPenStyle::Solid: return PS_SOLID;
    case TPenStyle::Dash: return PS_DASH;
    case TPenStyle::Dot: return PS_DOT;
    case TPenStyle::DashDot: return PS_DASHDOT;
    case TPenStyle::DashDotDot: return PS_DASHDOTDOT;
    case TPenStyle::Clear: return PS_NULL;
  }
  return PS_SOLID;
}

bool SamePenObject(const TPenAttr& a, const TPenAttr& b) {
  // The mix mode is device-context state (SetROP2), not part of the pen object.
  return a.Color == b.Color && a.Width == b.Width && a.Style == b.Style;
}

// Sizes are points of the device: a negative lfHeight asks for that character height.
LOGFONTA MakeLogFont(const TFontAttr& font, int pixelsPerInchY) {
  LOGFONTA lf{};
  lf.lfHeight = -::MulDiv(font.Size, pixelsPerInchY, 72);
  lf.lfEscapement = font.Escapement;
  lf.lfOrientation = font.Escapement;
  lf.lfWeight = (font.Style & 1) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (font.Style & 2) ? TRUE : FALSE;
  lf.lfUnderline = (font.Style & 4) ? TRUE : FALSE;
  lf.lfStrikeOut = (font.Style & 8) ? TRUE : FALSE;
  lf.lfCharSet = font.Charset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  std::size_t n = font.Name.size() < LF_FACESIZE - 1 ? font.Name.size() : LF_FACESIZE - 1;
  std::memcpy(lf.lfFaceName, font.Name.data(), n);
  lf.lfFaceName[n] = '\0';
  return lf;
}

// Selects object; the first selection of a kind keeps the device context's original.
void SelectInto(HDC dc, win::TSelectGuard& original, HGDIOBJ object) {
  if (original) {
    ::SelectObject(dc, object);
  } else {
    original = win::SelectObjectScoped(dc, object);
  }
}

}  // namespace

TGdiCanvas::TGdiCanvas(HDC dc, bool isPrinter) : dc_(dc), isPrinter_(isPrinter) {
  displayDevice_ = ::GetDeviceCaps(dc_, TECHNOLOGY) == DT_RASDISPLAY;
  pixelsPerInchX_ = ::GetDeviceCaps(dc_, LOGPIXELSX);
  pixelsPerInchY_ = ::GetDeviceCaps(dc_, LOGPIXELSY);
}

TGdiCanvas::~TGdiCanvas() = default;

void TGdiCanvas::SetMixMode() {
  if (mixModeSet_ == style_.Pen.Mode) return;
  ::SetROP2(dc_, style_.Pen.Mode);
  mixModeSet_ = style_.Pen.Mode;
}

std::size_t TGdiCanvas::TextCacheSize() { return TextCache().size(); }

void TGdiCanvas::ClearTextCache() { TextCache().clear(); }

TGdiCanvas::TFontIdentity TGdiCanvas::IdentityOf(const TFontAttr& font) {
  return TFontIdentity{font.Name, font.Size, font.Style, font.Charset, font.Escapement};
}

// Printers and metafiles keep their own fonts and resolutions; only display device
// contexts without mapping, world transform or extra character spacing measure alike.
bool TGdiCanvas::CanUseCache() const {
  return cacheEnabled_ && displayDevice_ && !isPrinter_ && ::GetMapMode(dc_) == MM_TEXT &&
         ::GetGraphicsMode(dc_) == GM_COMPATIBLE && ::GetTextCharacterExtra(dc_) == 0;
}

HFONT TGdiCanvas::RealizeFont() {
  const TFontAttr& want = style_.Font;
  if (!font_ || !fontMade_.Describes(want)) {
    LOGFONTA lf = MakeLogFont(want, pixelsPerInchY_);
    win::TUniqueFont fresh(::CreateFontIndirectA(&lf));
    if (!fresh) return nullptr;
    // The new font displaces the old one before the old one is deleted.
    SelectInto(dc_, fontSelection_, fresh.get());
    font_ = std::move(fresh);
    fontMade_ = IdentityOf(want);
    ++stats_.FontsMade;
  } else if (::GetCurrentObject(dc_, OBJ_FONT) != font_.get()) {
    SelectInto(dc_, fontSelection_, font_.get());
  }
  return font_.get();
}

HPEN TGdiCanvas::RealizePen() {
  const TPenAttr& want = style_.Pen;
  if (!pen_ || !SamePenObject(penMade_, want)) {
    // Width 0 gives the device's thinnest line, one pixel wide.
    win::TUniquePen fresh(::CreatePen(PenStyleFlags(want.Style), want.Width, want.Color));
    if (!fresh) return nullptr;
    SelectInto(dc_, penSelection_, fresh.get());
    pen_ = std::move(fresh);
    penMade_ = want;
    ++stats_.PensMade;
  } else if (::GetCurrentObject(dc_, OBJ_PEN) != pen_.get()) {
    SelectInto(dc_, penSelection_, pen_.get());
  }
  return pen_.get();
}

HBRUSH TGdiCanvas::RealizeBrush() {
  const TBrushAttr& want = style_.Brush;
  if (!brush_ || !(brushMade_ == want)) {
    LOGBRUSH lb{};
    lb.lbStyle = want.Style == TBrushStyle::Clear ? BS_NULL : BS_SOLID;
    lb.lbColor = want.Color;
    win::TUniqueBrush fresh(::CreateBrushIndirect(&lb));
    if (!fresh) return nullptr;
    SelectInto(dc_, brushSelection_, fresh.get());
    brush_ = std::move(fresh);
    brushMade_ = want;
    ++stats_.BrushesMade;
  } else if (::GetCurrentObject(dc_, OBJ_BRUSH) != brush_.get()) {
    SelectInto(dc_, brushSelection_, brush_.get());
  }
  return brush_.get();
}

TTextSize TGdiCanvas::MeasureExtent(const std::string& text) {
  ++stats_.Measurements;
  SIZE size{};
  if (!RealizeFont() ||
      !::GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size)) {
    return TTextSize{-1, -1};
  }
  return TTextSize{size.cx, size.cy};
}

int TGdiCanvas::MeasureHeight() {
  ++stats_.Measurements;
  TEXTMETRICA metrics{};
  if (!RealizeFont() || !::GetTextMetricsA(dc_, &metrics)) return -1;
  return metrics.tmHeight;
}

TTextSize TGdiCanvas::TextExtent(const std::string& text) {
  bool cached = text.size() <= kMaxCachedText && CanUseCache();
  if (!cached) {
    TTextSize size = MeasureExtent(text);
    return size.cx < 0 ? TTextSize{} : size;
  }
  const TFontAttr& f = style_.Font;
  TTextKey key{pixelsPerInchX_, pixelsPerInchY_, false, f.Size, f.Escapement, f.Style,
               f.Charset, f.Name, text};
  auto found = TextCache().find(key);
  if (found != TextCache().end()) return found->second;
  TTextSize size = MeasureExtent(text);
  // A failed measurement (no font, no device) is reported as 0 and never remembered.
  if (size.cx < 0) return TTextSize{};
  Remember(std::move(key), size);
  return size;
}

int TGdiCanvas::TextHeight() {
  if (!CanUseCache()) {
    int height = MeasureHeight();
    return height < 0 ? 0 : height;
  }
  const TFontAttr& f = style_.Font;
  TTextKey key{pixelsPerInchX_, pixelsPerInchY_, true, f.Size, f.Escapement, f.Style,
               f.Charset, f.Name, std::string()};
  auto found = TextCache().find(key);
  if (found != TextCache().end()) return found->second.cy;
  int height = MeasureHeight();
  if (height < 0) return 0;
  Remember(std::move(key), TTextSize{0, height});
  return height;
}

uint32_t TGdiCanvas::SetTextAlign(uint32_t align) { return ::SetTextAlign(dc_, align); }

void TGdiCanvas::SetBkMode(int mode) { ::SetBkMode(dc_, mode); }

void TGdiCanvas::WriteText(int x, int y, const std::string& text) {
  RealizeFont();
  ::SetTextColor(dc_, style_.Font.Color);
  ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

void TGdiCanvas::MoveTo(int x, int y) { ::MoveToEx(dc_, x, y, nullptr); }

void TGdiCanvas::LineTo(int x, int y) {
  RealizePen();
  SetMixMode();
  ::LineTo(dc_, x, y);
}

void TGdiCanvas::Polyline(const TDevicePoint* points, int count) {
  static_assert(sizeof(TDevicePoint) == sizeof(POINT) && offsetof(TDevicePoint, Y) == offsetof(POINT, y),
                "a device point has the layout of POINT");
  if (count < 1) return;
  RealizePen();
  SetMixMode();
  ::Polyline(dc_, reinterpret_cast<const POINT*>(points), count);
  ::MoveToEx(dc_, points[count - 1].X, points[count - 1].Y, nullptr);
}

void TGdiCanvas::SetPixel(int x, int y, TColor color) { ::SetPixel(dc_, x, y, color); }

void TGdiCanvas::FillRect(int left, int top, int right, int bottom) {
  RECT rect{left, top, right, bottom};
  if (HBRUSH brush = RealizeBrush()) ::FillRect(dc_, &rect, brush);
}

int TGdiCanvas::DeviceCaps(int index) { return ::GetDeviceCaps(dc_, index); }
