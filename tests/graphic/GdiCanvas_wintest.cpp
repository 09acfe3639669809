// The GDI canvas on a real memory device context: pixels read back from a DIB section.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graphic/GdiCanvas_win.h"
#include "graphic/WinHandles_win.h"
#include "support/DibSurface_win.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr TColor kRed = RGBColor(255, 0, 0);
constexpr TColor kGreen = RGBColor(0, 160, 0);
constexpr TColor kBlue = RGBColor(0, 0, 255);

// Lengths of the runs of ink along row y, from x0 to x1 inclusive.
std::vector<int> InkRuns(const TDibSurface& s, int y, int x0, int x1) {
  std::vector<int> runs;
  int run = 0;
  for (int x = x0; x <= x1; ++x) {
    if (s.IsInk(x, y)) {
      ++run;
    } else if (run > 0) {
      runs.push_back(run);
      run = 0;
    }
  }
  if (run > 0) runs.push_back(run);
  return runs;
}

int InkRowsInColumn(const TDibSurface& s, int x) {
  int rows = 0;
  for (int y = 0; y < s.Height(); ++y) rows += s.IsInk(x, y);
  return rows;
}

int Longest(const std::vector<int>& runs) {
  int longest = 0;
  for (int r : runs) longest = r > longest ? r : longest;
  return longest;
}

void UseArial(TCanvas& c, int size) {
  c.Font().Name = "Arial";
  c.Font().Size = size;
}

// Live GDI objects of the process as Windows counts them (Wine always answers 0).
DWORD GdiObjects() { return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS); }

}  // namespace

// ---- handle owners ----------------------------------------------------------------

TEST(WinHandles, OwnerFreesOnResetAndDestructionButNotAfterRelease) {
  HPEN kept = nullptr;
  HPEN first = ::CreatePen(PS_SOLID, 1, 0);
  HPEN second = ::CreatePen(PS_SOLID, 1, 0);
  {
    win::TUniquePen pen(first);
    EXPECT_TRUE(pen);
    pen.reset(second);  // frees first
    EXPECT_EQ(::GetObjectType(first), 0u);
    EXPECT_EQ(pen.get(), second);
    win::TUniquePen moved(std::move(pen));
    EXPECT_FALSE(pen);
    EXPECT_EQ(moved.get(), second);
    kept = ::CreatePen(PS_SOLID, 2, 0);
    win::TUniquePen released(kept);
    EXPECT_EQ(released.release(), kept);
    EXPECT_FALSE(released);
  }
  EXPECT_EQ(::GetObjectType(second), 0u);              // freed by the moved-to owner
  EXPECT_EQ(::GetObjectType(kept), DWORD(OBJ_PEN));  // released: still alive
  ::DeleteObject(kept);
}

TEST(WinHandles, MoveAssignmentFreesTheTargetsOldHandle) {
  HBRUSH a = ::CreateSolidBrush(0);
  HBRUSH b = ::CreateSolidBrush(0);
  win::TUniqueBrush x(a);
  win::TUniqueBrush y(b);
  x = std::move(y);
  EXPECT_EQ(::GetObjectType(a), 0u);
  EXPECT_EQ(x.get(), b);
  x = std::move(x);  // self-move keeps the handle
  EXPECT_EQ(::GetObjectType(b), DWORD(OBJ_BRUSH));
}

TEST(WinHandles, SelectGuardRestoresTheOriginalEvenAfterFurtherSelections) {
  TDibSurface surface(8, 8);
  HGDIOBJ original = ::GetCurrentObject(surface.dc(), OBJ_PEN);
  win::TUniquePen a(::CreatePen(PS_SOLID, 1, 0));
  win::TUniquePen b(::CreatePen(PS_SOLID, 1, 0));
  {
    win::TSelectGuard guard = win::SelectObjectScoped(surface.dc(), a.get());
    EXPECT_EQ(guard.previous(), original);
    ::SelectObject(surface.dc(), b.get());
    win::TSelectGuard moved(std::move(guard));
    EXPECT_FALSE(guard);
  }
  EXPECT_EQ(::GetCurrentObject(surface.dc(), OBJ_PEN), original);
}

TEST(WinHandles, WindowOwnerDestroysTheWindowAndDeviceContextOwnerDeletesIt) {
  HWND window = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
  ASSERT_TRUE(window);
  {
    win::TUniqueWindow owner(window);
    win::TWindowDC dc(window);
    EXPECT_TRUE(dc);
    EXPECT_EQ(dc.window(), window);
  }
  EXPECT_FALSE(::IsWindow(window));
  HDC memory = ::CreateCompatibleDC(nullptr);
  { win::TUniqueDC owner(memory); }
  EXPECT_EQ(::GetObjectType(memory), 0u);
}

// ---- pen, brush, pixels --------------------------------------------------------------

TEST(GdiCanvas, LinesHaveThePensColourAndWidth) {
  struct Case {
    int width;
    TColor color;
    int thickness;
  };
  const Case cases[] = {{0, kRed, 1}, {1, kGreen, 1}, {3, kBlue, 3}, {5, kRed, 5}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.width);
    TDibSurface s(100, 60);
    {
      TGdiCanvas c(s.dc(), false);
      c.Pen().Width = k.width;
      c.Pen().Color = k.color;
      c.MoveTo(10, 30);
      c.LineTo(90, 30);
    }
    EXPECT_EQ(s.Pixel(50, 30), k.color);
    EXPECT_EQ(InkRowsInColumn(s, 50), k.thickness);
    if (k.width <= 1) {
      EXPECT_EQ(s.Pixel(10, 30), k.color);  // the first pixel is drawn,
      EXPECT_FALSE(s.IsInk(90, 30));        // the last one is not
      EXPECT_EQ(s.CountInk(), 80);
    }
  }
}

TEST(GdiCanvas, PenStylesGiveSolidDashedDottedAndNoLines) {
  struct Case {
    TPenStyle style;
    int minRuns;
    int maxRuns;
  };
  const Case cases[] = {{TPenStyle::Solid, 1, 1},
                        {TPenStyle::Dash, 4, 40},
                        {TPenStyle::Dot, 20, 150},
                        {TPenStyle::Clear, 0, 0}};
  int longestDash = 0;
  int longestDot = 0;
  for (const Case& k : cases) {
    SCOPED_TRACE(static_cast<int>(k.style));
    TDibSurface s(200, 20);
    {
      TGdiCanvas c(s.dc(), false);
      c.SetBkMode(kTransparent);
      c.Pen().Style = k.style;
      c.MoveTo(0, 10);
      c.LineTo(200, 10);
    }
    std::vector<int> runs = InkRuns(s, 10, 0, 199);
    EXPECT_GE(static_cast<int>(runs.size()), k.minRuns);
    EXPECT_LE(static_cast<int>(runs.size()), k.maxRuns);
    if (k.style == TPenStyle::Dash) longestDash = Longest(runs);
    if (k.style == TPenStyle::Dot) longestDot = Longest(runs);
    int inkOnRow = 0;
    for (int r : runs) inkOnRow += r;
    EXPECT_EQ(s.CountInk(), inkOnRow);  // a one-pixel line, nothing beside it
  }
  EXPECT_GT(longestDash, longestDot);
}

TEST(GdiCanvas, PenModeIsTheMixMode) {
  TDibSurface s(40, 10);
  TGdiCanvas c(s.dc(), false);
  c.Pen().Color = kRed;
  c.Pen().Mode = R2_XORPEN;
  c.MoveTo(0, 5);
  c.LineTo(40, 5);
  EXPECT_EQ(s.Pixel(20, 5), RGB(0, 255, 255));  // white xor red
  c.MoveTo(0, 5);
  c.LineTo(40, 5);
  EXPECT_EQ(s.Pixel(20, 5), kWhite);  // xor twice: back to white
  c.Pen().Mode = R2_COPYPEN;
  c.MoveTo(0, 5);
  c.LineTo(40, 5);
  EXPECT_EQ(s.Pixel(20, 5), kRed);
  EXPECT_EQ(c.Stats().PensMade, 1);  // the mode is not part of the pen
}

TEST(GdiCanvas, FillRectUsesTheBrushAndLeavesRightAndBottomOut) {
  TDibSurface s(40, 30);
  TGdiCanvas c(s.dc(), false);
  c.Brush().Color = kBlue;
  c.FillRect(10, 10, 20, 15);
  EXPECT_EQ(s.CountColor(kBlue), 50);
  EXPECT_EQ(s.Pixel(10, 10), kBlue);
  EXPECT_FALSE(s.IsInk(20, 12));
  EXPECT_FALSE(s.IsInk(12, 15));
  c.Brush().Style = TBrushStyle::Clear;
  c.Brush().Color = kRed;
  c.FillRect(0, 0, 40, 30);
  EXPECT_EQ(s.CountColor(kRed), 0);
  EXPECT_EQ(s.CountInk(), 50);
}

TEST(GdiCanvas, SetPixelAndDeviceCaps) {
  TDibSurface s(20, 20);
  TGdiCanvas c(s.dc(), false);
  c.SetPixel(3, 4, kGreen);
  EXPECT_EQ(s.Pixel(3, 4), kGreen);
  EXPECT_EQ(s.CountInk(), 1);
  EXPECT_EQ(c.DeviceCaps(kLogPixelsY), ::GetDeviceCaps(s.dc(), LOGPIXELSY));
  EXPECT_GT(c.DeviceCaps(kLogPixelsY), 0);
  EXPECT_FALSE(c.IsPrinter());
  EXPECT_TRUE(TGdiCanvas(s.dc(), true).IsPrinter());
}

TEST(GdiCanvas, ObjectsSelectedBehindTheCanvassBackAreReplacedAtTheNextCall) {
  TDibSurface s(40, 10);
  TGdiCanvas c(s.dc(), false);
  c.Pen().Color = kRed;
  c.MoveTo(0, 2);
  c.LineTo(40, 2);
  ::SelectObject(s.dc(), ::GetStockObject(BLACK_PEN));
  c.MoveTo(0, 6);
  c.LineTo(40, 6);
  EXPECT_EQ(s.Pixel(20, 6), kRed);
  EXPECT_EQ(c.Stats().PensMade, 1);
}

// ---- fonts and text ------------------------------------------------------------------

TEST(GdiCanvas, ArialExtentsArePositiveStableAndFollowTheSize) {
  TDibSurface s(10, 10);
  TGdiCanvas c(s.dc(), false);
  c.SetTextCacheEnabled(false);
  UseArial(c, 20);
  TTextSize a = c.TextExtent("1234567890");
  TTextSize b = c.TextExtent("1234567890");
  EXPECT_GT(a.cx, 0);
  EXPECT_GT(a.cy, 0);
  EXPECT_EQ(a.cx, b.cx);
  EXPECT_EQ(a.cy, b.cy);
  EXPECT_EQ(c.TextHeight(), a.cy);
  EXPECT_EQ(c.TextExtent("").cx, 0);
  c.Font().Size = 40;
  TTextSize twice = c.TextExtent("1234567890");
  // Twice the points, twice the width, but for the rounding of the pixel height.
  EXPECT_NEAR(twice.cx, 2 * a.cx, a.cx / 10);
  EXPECT_GT(twice.cx, a.cx * 3 / 2);
  // Sizes are points of the device: the em of 72 points is LOGPIXELSY pixels, and the
  // line height (em plus leading) is more than that.
  c.Font().Size = 72;
  int dpi = c.DeviceCaps(kLogPixelsY);
  EXPECT_GT(c.TextHeight(), dpi * 105 / 100);
  EXPECT_LT(c.TextHeight(), dpi * 125 / 100);
}

TEST(GdiCanvas, FontStyleBitsChangeTheFont) {
  TDibSurface s(10, 10);
  TGdiCanvas c(s.dc(), false);
  c.SetTextCacheEnabled(false);
  UseArial(c, 20);
  int normal = c.TextExtent("Wonderful").cx;
  c.Font().Style = 1;  // bold
  EXPECT_GT(c.TextExtent("Wonderful").cx, normal);
  c.Font().Style = 0;
  EXPECT_EQ(c.TextExtent("Wonderful").cx, normal);
  EXPECT_LT(c.TextExtent("iiii").cx, c.TextExtent("WWWW").cx);
  c.Font().Name = "Liberation Mono";  // fixed pitch: every character equally wide
  EXPECT_EQ(c.TextExtent("iiii").cx, c.TextExtent("WWWW").cx);
}

// "HHH" drawn at (10, 10) with the given style bits on a fresh surface.
struct TStyledInk {
  TPixelBox Box;
  int Ink = 0;
  int LongestRowRun = 0;
  int TopRowLeft = 0;     // first ink column of the box's top row
  int BottomRowLeft = 0;  // ... and of its bottom row
};

TStyledInk DrawStyled(uint8_t style) {
  TDibSurface s(160, 60);
  {
    TGdiCanvas c(s.dc(), false);
    UseArial(c, 24);
    c.Font().Style = style;
    c.SetBkMode(kTransparent);
    c.WriteText(10, 10, "HHH");
  }
  TStyledInk r;
  r.Box = s.InkBox();
  r.Ink = s.CountInk();
  for (int y = r.Box.Top; y <= r.Box.Bottom; ++y) {
    r.LongestRowRun = std::max(r.LongestRowRun, Longest(InkRuns(s, y, 0, s.Width() - 1)));
  }
  auto firstInk = [&](int y) {
    for (int x = 0; x < s.Width(); ++x)
      if (s.IsInk(x, y)) return x;
    return -1;
  };
  r.TopRowLeft = firstInk(r.Box.Top);
  r.BottomRowLeft = firstInk(r.Box.Bottom);
  return r;
}

TEST(GdiCanvas, FontStyleBitsShowInThePixels) {
  const TStyledInk regular = DrawStyled(0);
  ASSERT_FALSE(regular.Box.Empty());
  EXPECT_EQ(regular.TopRowLeft, regular.BottomRowLeft);  // upright stems
  EXPECT_LT(regular.LongestRowRun, regular.Box.Width() / 2);

  const TStyledInk bold = DrawStyled(1);
  EXPECT_GT(bold.Ink, regular.Ink * 23 / 20);

  const TStyledInk italic = DrawStyled(2);
  EXPECT_GT(italic.TopRowLeft, italic.BottomRowLeft + 2);  // slanted to the right

  const TStyledInk underline = DrawStyled(4);
  EXPECT_GT(underline.Box.Bottom, regular.Box.Bottom + 1);  // "H" has no descender
  EXPECT_GT(underline.LongestRowRun, regular.Box.Width() * 9 / 10);

  const TStyledInk strikeOut = DrawStyled(8);
  EXPECT_EQ(strikeOut.Box.Bottom, regular.Box.Bottom);
  EXPECT_GT(strikeOut.LongestRowRun, regular.Box.Width() * 9 / 10);
}

TEST(GdiCanvas, TextStandsOnItsPointInTheFontColour) {
  TDibSurface s(200, 80);
  TGdiCanvas c(s.dc(), false);
  UseArial(c, 20);
  c.Font().Color = kRed;
  EXPECT_EQ(c.SetTextAlign(kTaLeft | kTaBottom), uint32_t(TA_LEFT | TA_TOP));
  EXPECT_EQ(c.SetTextAlign(kTaLeft | kTaBottom), uint32_t(TA_BOTTOM));
  c.SetBkMode(kTransparent);
  c.WriteText(20, 60, "HHH");
  TPixelBox box = s.InkBox();
  ASSERT_FALSE(box.Empty());
  EXPECT_LT(box.Bottom, 60);
  EXPECT_GE(box.Left, 20);
  EXPECT_LE(box.Right, 20 + c.TextExtent("HHH").cx);
  EXPECT_GT(s.CountColor(kRed), 20);
}

TEST(GdiCanvas, EscapementOf900ReadsUpward) {
  TPixelBox shortBox;
  TPixelBox longBox;
  for (const char* text : {"WWWW", "WWWWWWWW"}) {
    TDibSurface s(120, 240);
    {
      TGdiCanvas c(s.dc(), false);
      UseArial(c, 16);
      c.Font().Escapement = 900;
      c.SetBkMode(kTransparent);
      c.SetTextAlign(kTaLeft | kTaTop);
      c.WriteText(50, 220, text);
    }
    (std::string(text).size() == 4 ? shortBox : longBox) = s.InkBox();
  }
  ASSERT_FALSE(longBox.Empty());
  EXPECT_GT(longBox.Height(), 3 * longBox.Width());
  // Hanging from its point: the text lies above and right of it ...
  EXPECT_LE(longBox.Bottom, 220);
  EXPECT_GE(longBox.Left, 49);
  // ... and starts there: the longer text only grows upward.
  EXPECT_NEAR(shortBox.Bottom, longBox.Bottom, 1);
  EXPECT_LT(longBox.Top, shortBox.Top - 20);
}

// ---- object lifetime -----------------------------------------------------------------

TEST(GdiCanvas, RestoresTheOriginalObjectsAndDeletesItsOwn) {
  TDibSurface s(100, 60);
  HDC dc = s.dc();
  HGDIOBJ pen0 = ::GetCurrentObject(dc, OBJ_PEN);
  HGDIOBJ brush0 = ::GetCurrentObject(dc, OBJ_BRUSH);
  HGDIOBJ font0 = ::GetCurrentObject(dc, OBJ_FONT);
  std::vector<HGDIOBJ> made;
  {
    TGdiCanvas c(dc, false);
    for (int width : {1, 2}) {
      c.Pen().Width = width;
      c.LineTo(50, 50);
      made.push_back(::GetCurrentObject(dc, OBJ_PEN));
      c.Brush().Color = RGBColor(width, 0, 0);
      c.FillRect(0, 0, 5, 5);
      made.push_back(::GetCurrentObject(dc, OBJ_BRUSH));
      c.Font().Size = 10 + width;
      c.WriteText(0, 0, "x");
      made.push_back(::GetCurrentObject(dc, OBJ_FONT));
    }
    EXPECT_NE(::GetCurrentObject(dc, OBJ_PEN), pen0);
  }
  EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), pen0);
  EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), brush0);
  EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), font0);
  for (HGDIOBJ h : made) EXPECT_EQ(::GetObjectType(h), 0u) << h;
}

TEST(GdiCanvas, ThousandsOfPassesLeakNoGdiObject) {
  TDibSurface s(64, 64);
  HDC dc = s.dc();
  DWORD before = GdiObjects();
  std::vector<HGDIOBJ> made;
  int stillAlive = 0;
  for (int pass = 0; pass < 2000; ++pass) {
    made.clear();
    {
      TGdiCanvas c(dc, false);
      c.SetTextCacheEnabled(pass % 2 == 0);
      UseArial(c, 6 + pass % 7);
      c.Font().Escapement = pass % 3 == 0 ? 900 : 0;
      c.TextExtent("1234567890");
      c.TextHeight();
      c.WriteText(2, 2, "5");
      made.push_back(::GetCurrentObject(dc, OBJ_FONT));
      for (int step = 0; step < 2; ++step) {
        c.Pen().Color = RGBColor(pass % 256, step, 0);
        c.Pen().Width = step;
        c.MoveTo(0, step);
        c.LineTo(60, 40);
        made.push_back(::GetCurrentObject(dc, OBJ_PEN));
      }
      c.Brush().Color = RGBColor(0, pass % 256, 0);
      c.FillRect(0, 0, 3, 3);
      made.push_back(::GetCurrentObject(dc, OBJ_BRUSH));
    }
    for (HGDIOBJ h : made) stillAlive += ::GetObjectType(h) != 0;
  }
  EXPECT_EQ(stillAlive, 0);
  EXPECT_EQ(GdiObjects(), before);
}

// ---- measurement cache ---------------------------------------------------------------

TEST(GdiCanvas, CachedMeasurementsEqualMeasuringEveryVariant) {
  struct Variant {
    const char* name;
    int size;
    uint8_t style;
    uint8_t charset;
    int escapement;
  };
  const Variant variants[] = {
      {"Arial", 20, 0, 1, 0},   {"Arial", 21, 0, 1, 0},       {"Arial", 20, 1, 1, 0},
      {"Arial", 20, 2, 1, 0},   {"Arial", 20, 3, 1, 0},       {"Arial", 20, 0, 0, 0},
      {"Arial", 20, 0, 1, 900}, {"Liberation Mono", 20, 0, 1, 0}, {"Liberation Serif", 20, 0, 1, 0},
      {"Arial", 8, 0, 1, 0},    {"Arial", 0, 0, 1, 0},        {"Arial", 120, 1, 1, 900},
      {"Arial", 20, 0, 2, 0},   {"Arial", 20, 0, 255, 0},     {"Arial", 20, 4, 1, 0},
  };
  const char* texts[] = {"1234567890", "0", "-1.5", "y", "Wonderful"};
  TGdiCanvas::ClearTextCache();
  TDibSurface cachedSurface(8, 8);
  TDibSurface plainSurface(8, 8);
  TGdiCanvas cached(cachedSurface.dc(), false);
  TGdiCanvas plain(plainSurface.dc(), false);
  plain.SetTextCacheEnabled(false);
  for (int round = 0; round < 2; ++round) {
    int measuredBefore = cached.Stats().Measurements;
    for (const Variant& v : variants) {
      for (TCanvas* c : {static_cast<TCanvas*>(&cached), static_cast<TCanvas*>(&plain)}) {
        c->Font().Name = v.name;
        c->Font().Size = v.size;
        c->Font().Style = v.style;
        c->Font().Charset = v.charset;
        c->Font().Escapement = v.escapement;
      }
      for (const char* text : texts) {
        SCOPED_TRACE(std::string(v.name) + " " + std::to_string(v.size) + " style " +
                     std::to_string(v.style) + " " + text);
        TTextSize want = plain.TextExtent(text);
        TTextSize got = cached.TextExtent(text);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
      }
      EXPECT_EQ(cached.TextHeight(), plain.TextHeight()) << v.name << " " << v.size;
    }
    if (round == 1) {
      EXPECT_EQ(cached.Stats().Measurements, measuredBefore);  // all from the cache
    }
  }
}

TEST(GdiCanvas, RepeatedMeasurementsNeedNeitherDeviceNorFont) {
  TGdiCanvas::ClearTextCache();
  TDibSurface s(8, 8);
  auto plotAreaMeasures = [](TGdiCanvas& c) {
    UseArial(c, 20);
    int sum = 0;
    for (int i = 0; i < 3; ++i) sum += c.TextExtent("1234567890").cx;
    sum += c.TextHeight();
    c.Font().Size = 8;  // the size the caller had before
    return sum;
  };
  TGdiCanvas first(s.dc(), false);
  int a = plotAreaMeasures(first);
  EXPECT_EQ(first.Stats().Measurements, 2);
  EXPECT_EQ(first.Stats().FontsMade, 1);
  TGdiCanvas second(s.dc(), false);
  EXPECT_EQ(plotAreaMeasures(second), a);
  EXPECT_EQ(second.Stats().Measurements, 0);
  EXPECT_EQ(second.Stats().FontsMade, 0);
}

TEST(GdiCanvas, StepsThatChangeThePenKeepTheFontAndMakeOnePenEach) {
  TDibSurface s(100, 100);
  TGdiCanvas c(s.dc(), false);
  UseArial(c, 12);
  c.SetTextCacheEnabled(false);
  c.TextExtent("0");
  ASSERT_EQ(c.Stats().FontsMade, 1);
  for (int step = 0; step < 5; ++step) {
    c.Pen().Color = RGBColor(0, 0, 40 * step);
    c.Pen().Width = 1 + step % 2;
    c.MoveTo(0, step);
    c.LineTo(90, step);
    c.LineTo(90, 90);
    c.TextExtent("0");
    EXPECT_EQ(c.Stats().PensMade, step + 1);
  }
  c.WriteText(10, 10, "0");
  EXPECT_EQ(c.Stats().FontsMade, 1);
  EXPECT_EQ(c.Stats().BrushesMade, 0);
}

TEST(GdiCanvas, CacheStaysBoundedAndRight) {
  TGdiCanvas::ClearTextCache();
  TDibSurface s(8, 8);
  TGdiCanvas c(s.dc(), false);
  UseArial(c, 10);
  TGdiCanvas plain(s.dc(), false);
  plain.SetTextCacheEnabled(false);
  UseArial(plain, 10);
  const int texts = static_cast<int>(2 * TGdiCanvas::kTextCacheLimit) + 7;
  for (int i = 0; i < texts; ++i) {
    std::string text = std::to_string(i * 7);
    ASSERT_EQ(c.TextExtent(text).cx, plain.TextExtent(text).cx) << text;
    EXPECT_LE(TGdiCanvas::TextCacheSize(), TGdiCanvas::kTextCacheLimit);
  }
  EXPECT_GT(TGdiCanvas::TextCacheSize(), 0u);
}

TEST(GdiCanvas, ContextsThatMeasureDifferentlyBypassTheCache) {
  TGdiCanvas::ClearTextCache();
  TDibSurface s(8, 8);
  TGdiCanvas warm(s.dc(), false);
  UseArial(warm, 20);
  int plainWidth = warm.TextExtent("1234567890").cx;

  // Extra character spacing widens every measurement by the spacing per character.
  TDibSurface spaced(8, 8);
  ::SetTextCharacterExtra(spaced.dc(), 5);
  TGdiCanvas c(spaced.dc(), false);
  UseArial(c, 20);
  EXPECT_EQ(c.TextExtent("1234567890").cx, plainWidth + 50);

  // A printer canvas measures on its own device every time.
  TGdiCanvas printer(s.dc(), true);
  UseArial(printer, 20);
  EXPECT_EQ(printer.TextExtent("1234567890").cx, plainWidth);
  printer.TextExtent("1234567890");
  EXPECT_EQ(printer.Stats().Measurements, 2);
}
