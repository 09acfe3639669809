// DibSurface: a memory device context over a 32-bit top-down DIB section, so that
// tests can draw through GDI and read back the pixels that were really set.
#pragma once

#include <windows.h>

#include <cstdint>

#include "graphic/WinHandles_win.h"

// A rectangle of pixels, inclusive on all sides; empty when nothing was found.
struct TPixelBox {
  int Left = 0;
  int Top = 0;
  int Right = -1;
  int Bottom = -1;
  bool Empty() const { return Right < Left || Bottom < Top; }
  int Width() const { return Empty() ? 0 : Right - Left + 1; }
  int Height() const { return Empty() ? 0 : Bottom - Top + 1; }
};

class TDibSurface {
 public:
  // A surface of width x height pixels filled with background.
  TDibSurface(int width, int height, COLORREF background = RGB(255, 255, 255));
  TDibSurface(const TDibSurface&) = delete;
  TDibSurface& operator=(const TDibSurface&) = delete;

  HDC dc() const { return dc_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF Background() const { return background_; }

  void Clear();
  // Colour of the pixel in COLORREF layout; pixels outside the surface read as CLR_INVALID.
  COLORREF Pixel(int x, int y) const;
  bool IsInk(int x, int y) const { return Pixel(x, y) != background_; }
  // Pixels of exactly this colour in the whole surface.
  int CountColor(COLORREF color) const;
  // Pixels that differ from the background, in the whole surface.
  int CountInk() const;
  // Smallest box holding every pixel that differs from the background.
  TPixelBox InkBox() const;
  // Smallest box holding every pixel that differs from the same pixel of other (a surface
  // of the same size).
  TPixelBox DiffBox(const TDibSurface& other) const;

 private:
  int width_;
  int height_;
  COLORREF background_;
  uint32_t* bits_ = nullptr;  // owned by bitmap_
  win::TUniqueDC dc_;
  win::TUniqueBitmap bitmap_;
  // Last, so that the original bitmap is back in the context before the DIB is deleted.
  win::TSelectGuard selection_;
};
