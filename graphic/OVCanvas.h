// OVCanvas: the drawing surface the graph engine talks to. A GDI device context
// implements it on Windows (GdiCanvas_win), a recorder implements it for tests.
#pragma once

#include <cstdint>
#include <string>

using TColor = uint32_t;  // COLORREF layout 0x00BBGGRR

constexpr TColor RGBColor(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

enum class TPenStyle : uint8_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Clear = 5 };
enum class TBrushStyle : uint8_t { Solid = 0, Clear = 1 };

// Pen mix modes as SetROP2 takes them.
constexpr int kCopyPen = 13;

struct TPenAttr {
  TColor Color = 0;
  int Width = 1;
  TPenStyle Style = TPenStyle::Solid;
  int Mode = kCopyPen;
  bool operator==(const TPenAttr& o) const {
    return Color == o.Color && Width == o.Width && Style == o.Style && Mode == o.Mode;
  }
};

struct TBrushAttr {
  TColor Color = RGBColor(255, 255, 255);
  TBrushStyle Style = TBrushStyle::Solid;
  bool operator==(const TBrushAttr& o) const { return Color == o.Color && Style == o.Style; }
};

struct TFontAttr {
  std::string Name = "MS Sans Serif";
  int Size = 8;          // points of the canvas's device
  uint8_t Style = 0;     // bit 0 bold, 1 italic, 2 underline, 3 strike-out
  TColor Color = 0;
  uint8_t Charset = 1;   // DEFAULT_CHARSET
  int Escapement = 0;    // tenths of a degree, counter-clockwise; orientation follows it
  bool operator==(const TFontAttr& o) const {
    return Name == o.Name && Size == o.Size && Style == o.Style && Color == o.Color &&
           Charset == o.Charset && Escapement == o.Escapement;
  }
};

// Pen, brush and font of a canvas as plain data: what SaveCanvasStyle keeps.
struct TCanvasStyle {
  TPenAttr Pen;
  TBrushAttr Brush;
  TFontAttr Font;
  bool operator==(const TCanvasStyle& o) const {
    return Pen == o.Pen && Brush == o.Brush && Font == o.Font;
  }
};

struct TTextSize {
  int cx = 0;
  int cy = 0;
};

// Text alignment flags, values as the platform's SetTextAlign takes them.
constexpr uint32_t kTaLeft = 0, kTaTop = 0, kTaBottom = 8, kTaBaseline = 24;
// Background modes as SetBkMode takes them.
constexpr int kTransparent = 1, kOpaque = 2;
// Device capability indices as GetDeviceCaps takes them.
constexpr int kHorzRes = 8, kVertRes = 10, kLogPixelsX = 88, kLogPixelsY = 90, kAspectX = 40,
              kAspectY = 42;

// A point in device units.
struct TDevicePoint {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TDevicePoint& o) const { return X == o.X && Y == o.Y; }
  bool operator!=(const TDevicePoint& o) const { return !(*this == o); }
};

class TCanvas {
 public:
  TCanvas() = default;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  virtual ~TCanvas() = default;

  // Attributes take effect at the next drawing call.
  TPenAttr& Pen() { return style_.Pen; }
  TBrushAttr& Brush() { return style_.Brush; }
  TFontAttr& Font() { return style_.Font; }
  const TCanvasStyle& Style() const { return style_; }
  void SetStyle(const TCanvasStyle& style) { style_ = style; }

  // Width and height of text in the current font, in device units.
  virtual TTextSize TextExtent(const std::string& text) = 0;
  // tmHeight of the current font, in device units.
  virtual int TextHeight() = 0;
  // Returns the previous alignment.
  virtual uint32_t SetTextAlign(uint32_t align) = 0;
  virtual void SetBkMode(int mode) = 0;
  virtual void WriteText(int x, int y, const std::string& text) = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // The lines from each point to the next with the current pen, the same pixels as
  // MoveTo on the first point and LineTo on each further one; leaves the current
  // position at the last point. Asked only of canvases whose DrawsPolylines() is true.
  virtual void Polyline(const TDevicePoint* points, int count);
  // True when Polyline is cheaper than the MoveTo/LineTo pairs it stands for, and
  // gives the same pixels with a one-pixel solid pen in copy mode.
  virtual bool DrawsPolylines() const { return false; }
  virtual void SetPixel(int x, int y, TColor color) = 0;
  virtual void FillRect(int left, int top, int right, int bottom) = 0;
  virtual int DeviceCaps(int index) = 0;
  // True for the canvas of the print job.
  virtual bool IsPrinter() const { return false; }

 protected:
  TCanvasStyle style_;
};

inline void TCanvas::Polyline(const TDevicePoint* points, int count) {
  if (count < 1) return;
  MoveTo(points[0].X, points[0].Y);
  for (int i = 1; i < count; ++i) LineTo(points[i].X, points[i].Y);
}
