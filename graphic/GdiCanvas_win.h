// GdiCanvas: the graph engine's canvas over a Windows device context. Pen, brush and
// font are made as GDI objects only when a drawing or measuring call needs them and
// their attributes changed since they were made; text measurements of display device
// contexts are kept in a small process-wide cache.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "graphic/OVCanvas.h"
#include "graphic/WinHandles_win.h"

// How many GDI objects and measurements a canvas has made (for tests and benchmarks).
struct TGdiCanvasStats {
  int PensMade = 0;
  int BrushesMade = 0;
  int FontsMade = 0;
  int Measurements = 0;  // text extents and heights taken from the device, not the cache
};

class TGdiCanvas : public TCanvas {
 public:
  // dc stays the caller's: the canvas never deletes or releases it. On destruction the
  // canvas selects the device context's original pen, brush and font back and frees its own.
  TGdiCanvas(HDC dc, bool isPrinter);
  ~TGdiCanvas() override;

  HDC Handle() const { return dc_; }

  TTextSize TextExtent(const std::string& text) override;
  int TextHeight() override;
  uint32_t SetTextAlign(uint32_t align) override;
  void SetBkMode(int mode) override;
  void WriteText(int x, int y, const std::string& text) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Polyline(const TDevicePoint* points, int count) override;
  // Raster devices only: a print job keeps the single lines it was specified with.
  bool DrawsPolylines() const override { return !isPrinter_; }
  void SetPixel(int x, int y, TColor color) override;
  void FillRect(int left, int top, int right, int bottom) override;
  int DeviceCaps(int index) override;
  bool IsPrinter() const override { return isPrinter_; }

  // Off: every measurement goes to the device (the cache is neither read nor filled).
  void SetTextCacheEnabled(bool enabled) { cacheEnabled_ = enabled; }
  const TGdiCanvasStats& Stats() const { return stats_; }

  // The process-wide text measurement cache: entries now held, and emptying it.
  static std::size_t TextCacheSize();
  static void ClearTextCache();
  // Entries the cache holds at most; reaching it empties the cache.
  static constexpr std::size_t kTextCacheLimit = 512;

 private:
  // What makes a GDI font: every font attribute but the colour.
  struct TFontIdentity {
    std::string Name;
    int Size = 0;
    uint8_t Style = 0;
    uint8_t Charset = 0;
    int Escapement = 0;
    bool Describes(const TFontAttr& a) const {
      return Name == a.Name && Size == a.Size && Style == a.Style && Charset == a.Charset &&
             Escapement == a.Escapement;
    }
  };

  static TFontIdentity IdentityOf(const TFontAttr& font);
  bool CanUseCache() const;
  HFONT RealizeFont();
  HPEN RealizePen();
  HBRUSH RealizeBrush();
  TTextSize MeasureExtent(const std::string& text);
  // The pen's mix mode; the canvas is the only one that sets it on its device context.
  void SetMixMode();
  int MeasureHeight();

  HDC dc_;
  bool isPrinter_;
  bool cacheEnabled_ = true;
  bool displayDevice_ = false;
  int pixelsPerInchX_ = 0;
  int pixelsPerInchY_ = 0;
  TGdiCanvasStats stats_;
  int mixModeSet_ = 0;  // none yet

  win::TUniquePen pen_;
  TPenAttr penMade_;
  win::TUniqueBrush brush_;
  TBrushAttr brushMade_;
  win::TUniqueFont font_;
  TFontIdentity fontMade_;
  // Declared after the objects so that they are destroyed first: the device context gets
  // its original pen, brush and font back before the canvas deletes its own.
  win::TSelectGuard penSelection_;
  win::TSelectGuard brushSelection_;
  win::TSelectGuard fontSelection_;
};
