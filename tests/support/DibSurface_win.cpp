#include "support/DibSurface_win.h"

namespace {

// DIB pixels are stored blue, green, red (0x00RRGGBB as a 32-bit value).
COLORREF ToColorRef(uint32_t pixel) {
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

uint32_t ToPixel(COLORREF color) {
  return (static_cast<uint32_t>(GetRValue(color)) << 16) |
         (static_cast<uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
}

}  // namespace

TDibSurface::TDibSurface(int width, int height, COLORREF background)
    : width_(width), height_(height), background_(background) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top row
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_.reset(::CreateCompatibleDC(nullptr));
  bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bits_ = static_cast<uint32_t*>(bits);
  if (bitmap_) selection_ = win::SelectObjectScoped(dc_.get(), bitmap_.get());
  Clear();
}

void TDibSurface::Clear() {
  if (!bits_) return;
  ::GdiFlush();
  uint32_t value = ToPixel(background_);
  for (int i = 0; i < width_ * height_; ++i) bits_[i] = value;
}

COLORREF TDibSurface::Pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  ::GdiFlush();
  return ToColorRef(bits_[y * width_ + x]);
}

int TDibSurface::CountColor(COLORREF color) const {
  if (!bits_) return 0;
  ::GdiFlush();
  uint32_t value = ToPixel(color);
  int count = 0;
  for (int i = 0; i < width_ * height_; ++i) count += (bits_[i] & 0xFFFFFF) == value;
  return count;
}

int TDibSurface::CountInk() const {
  return width_ * height_ - CountColor(background_);
}

namespace {

template <class TDiffers>
TPixelBox BoxOf(int width, int height, TDiffers differs) {
  TPixelBox box{width, height, -1, -1};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (!differs(y * width + x)) continue;
      if (x < box.Left) box.Left = x;
      if (x > box.Right) box.Right = x;
      if (y < box.Top) box.Top = y;
      if (y > box.Bottom) box.Bottom = y;
    }
  }
  return box.Right < 0 ? TPixelBox{} : box;
}

}  // namespace

TPixelBox TDibSurface::InkBox() const {
  if (!bits_) return TPixelBox{};
  ::GdiFlush();
  const uint32_t back = ToPixel(background_);
  const uint32_t* bits = bits_;
  return BoxOf(width_, height_, [=](int i) { return (bits[i] & 0xFFFFFF) != back; });
}

TPixelBox TDibSurface::DiffBox(const TDibSurface& other) const {
  if (!bits_ || !other.bits_ || other.width_ != width_ || other.height_ != height_) {
    return TPixelBox{};
  }
  ::GdiFlush();
  const uint32_t* a = bits_;
  const uint32_t* b = other.bits_;
  return BoxOf(width_, height_, [=](int i) { return ((a[i] ^ b[i]) & 0xFFFFFF) != 0; });
}
