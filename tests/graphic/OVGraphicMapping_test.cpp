// Binding, device metrics, coordinate mappings, text primitives, clamped and
// clipped lines, and the font sizes that follow the plot area.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

#include "graphic/OVGraphic.h"
#include "product/OVConfig.h"
#include "tests/support/RecordingCanvas.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TRect Rect(int left, int top, int right, int bottom) {
  TRect r;
  r.Left = left;
  r.Top = top;
  r.Right = right;
  r.Bottom = bottom;
  return r;
}

}  // namespace

TEST(GraphBinding, CreateSetsDefaultsAndBindsTheCanvas) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  EXPECT_EQ(g.Canvas, &canvas);
  EXPECT_EQ(g.MaxXDivisions, 10);
  EXPECT_EQ(g.MaxYDivisions, 10);
  EXPECT_EQ(g.GridMode, 0);
  EXPECT_EQ(g.GridWidth, 0);
  EXPECT_EQ(g.GridColor, RGBColor(128, 128, 128));
  EXPECT_TRUE(g.ClipEnabled);
  EXPECT_TRUE(g.ClipToPlotArea);
  EXPECT_EQ(g.PenX, 0);
  EXPECT_EQ(g.PenY, 0);
  EXPECT_EQ(g.CurveStyle, 0);
  EXPECT_EQ(g.NumberFontSize, 12);
  EXPECT_EQ(g.ExponentFontSize, 10);
  EXPECT_EQ(g.TitleFontSize, 14);
  EXPECT_EQ(g.PlotWidth, 0.0f);
  EXPECT_EQ(g.XScale.Scale, 0.0f);
  EXPECT_EQ(g.XScale.TickLayout, 0);
  EXPECT_FALSE(g.IsPrinter);
  EXPECT_TRUE(g.FitPortraitPage);
  EXPECT_EQ(g.DeviceWidth, 400);
  EXPECT_EQ(g.DeviceHeight, 300);
  EXPECT_EQ(g.XPixelsPerUnit, 400.0f);
  EXPECT_EQ(g.YPixelsPerUnit, 300.0f);
  EXPECT_EQ(g.XUnitsPerPixel, static_cast<float>(1.0L / 400.0f));
  EXPECT_EQ(g.ClampX, 20.0f);
  EXPECT_EQ(g.ClampY, 20.0f);
  EXPECT_EQ(g.ClipLeft, 0);
  EXPECT_EQ(g.ClipTop, 0);
  EXPECT_EQ(g.ClipRight, 400);
  EXPECT_EQ(g.ClipBottom, 300);
  EXPECT_EQ(canvas.Font().Name, "Arial");
  EXPECT_TRUE(canvas.Ops.empty());
}

TEST(GraphBinding, GridModeFollowsTheProductSetting) {
  const uint8_t kept = ProductOptions.DefaultGridMode;
  ProductOptions.DefaultGridMode = 3;
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 10, 10));
  ProductOptions.DefaultGridMode = kept;
  EXPECT_EQ(g.GridMode, 3);
}

TEST(GraphBinding, DeviceSizeOfScreenRectangles) {
  struct Case {
    TRect rect;
    int width, height;
  } cases[] = {
      {Rect(0, 0, 400, 300), 400, 300},
      {Rect(10, 20, 410, 320), 400, 300},  // only the differences count
      {Rect(50, 0, 50, 300), 1, 300},      // right = left
      {Rect(0, 80, 400, 20), 400, 1},      // bottom above top
      {Rect(0, 0, 0, 0), 1, 1},
      {Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), INT_MAX, INT_MAX},
  };
  for (const Case& c : cases) {
    TRecordingCanvas canvas;
    TOVGraphic g(&canvas, c.rect);
    EXPECT_EQ(g.DeviceWidth, c.width);
    EXPECT_EQ(g.DeviceHeight, c.height);
    EXPECT_TRUE(std::isfinite(g.XUnitsPerPixel) && g.XUnitsPerPixel > 0);
    EXPECT_TRUE(std::isfinite(g.YUnitsPerPixel) && g.YUnitsPerPixel > 0);
  }
}

TEST(GraphBinding, PrinterPageTakesTheDeviceCapsAndFitsPortraitPagesSideways) {
  struct Case {
    int horz, vert, aspectX, aspectY;
    int heightAtCreate, heightAfter;
  } cases[] = {
      {4800, 6800, 1, 1, 6800, 3388},    // Round(4800 * 4800 / 6800)
      {4800, 6800, 600, 600, 6800, 3388},  // products beyond 32 bits
      {4800, 6800, 2, 1, 6800, 6776},    // Round(2 * 4800 * 4800 / 6800)
      {4800, 6800, 0, 0, 6800, 3388},    // no aspect: taken as square
      {6800, 4800, 1, 1, 4800, 4800},    // landscape keeps its height
      {0, 0, 1, 1, 1, 1},
  };
  for (const Case& c : cases) {
    TRecordingCanvas printer;
    printer.Printer = true;
    printer.HorzRes = c.horz;
    printer.VertRes = c.vert;
    printer.AspectX = c.aspectX;
    printer.AspectY = c.aspectY;
    TOVGraphic g(&printer, Rect(0, 0, 10, 10));  // the rectangle is ignored
    EXPECT_TRUE(g.IsPrinter);
    EXPECT_EQ(g.DeviceWidth, std::max(c.horz, 1));
    EXPECT_EQ(g.DeviceHeight, c.heightAtCreate);
    g.AttachCanvas(&printer, Rect(0, 0, 10, 10), 1.0f, 1.0f);
    EXPECT_EQ(g.DeviceHeight, c.heightAfter) << c.horz << "x" << c.vert;
  }
  TRecordingCanvas screen;
  TRecordingCanvas printer;
  printer.Printer = true;
  printer.HorzRes = 100;
  printer.VertRes = 50;
  TOVGraphic g(&printer, Rect(0, 0, 10, 10));
  g.AttachCanvas(&screen, Rect(0, 0, 30, 20), 1.0f, 1.0f);
  EXPECT_FALSE(g.IsPrinter);
  EXPECT_EQ(g.Canvas, &screen);
  EXPECT_EQ(g.DeviceWidth, 30);
}

TEST(GraphBinding, LogicalExtentScalesMappingAndClamp) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  g.AttachCanvas(&canvas, Rect(0, 0, 400, 300), 2.0f, 0.5f);
  EXPECT_EQ(g.XPixelsPerUnit, 200.0f);
  EXPECT_EQ(g.YPixelsPerUnit, 600.0f);
  EXPECT_EQ(g.ClampX, 40.0f);
  EXPECT_EQ(g.ClampY, 10.0f);
  EXPECT_EQ(g.ClipRight, 400);
  // An extent that is no positive number is taken as 1.
  g.AttachCanvas(&canvas, Rect(0, 0, 400, 300), 0.0f, kNaN);
  EXPECT_EQ(g.LogicalWidth, 1.0f);
  EXPECT_EQ(g.LogicalHeight, 1.0f);
  EXPECT_EQ(g.XPixelsPerUnit, 400.0f);
}

TEST(GraphBinding, CanvasStyleIsSavedAndRestored) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 100, 100));
  canvas.Pen().Color = RGBColor(1, 2, 3);
  canvas.Pen().Width = 4;
  canvas.Brush().Color = RGBColor(9, 9, 9);
  canvas.Font().Size = 17;
  const TCanvasStyle before = canvas.Style();
  g.SaveCanvasStyle();
  canvas.Pen().Style = TPenStyle::Dot;
  canvas.Brush().Style = TBrushStyle::Clear;
  canvas.Font().Name = "Courier";
  canvas.Font().Escapement = 900;
  g.RestoreCanvasStyle();
  EXPECT_EQ(canvas.Style(), before);
}

TEST(GraphMapping, LogicalAndDeviceCoordinates) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  EXPECT_EQ(g.XToDevice(0.5f), 200);
  EXPECT_EQ(g.YToDevice(0.25f), 225);
  EXPECT_EQ(g.DeviceToY(225), 0.25f);
  EXPECT_EQ(g.DeviceToX(100), 0.25f);
  EXPECT_EQ(g.YToDevice(0.0f), 300);
  EXPECT_EQ(g.YToDevice(1.0f), 0);
  // Beyond the int range the result is limited; NaN maps to 0.
  EXPECT_EQ(g.XToDevice(1e30f), INT_MAX);
  EXPECT_EQ(g.XToDevice(-1e30f), INT_MIN);
  EXPECT_EQ(g.YToDevice(1e30f), INT_MIN);
  EXPECT_EQ(g.YToDevice(-kInf), INT_MAX);
  EXPECT_EQ(g.XToDevice(kNaN), 0);
}

TEST(GraphMapping, RoundingTiesGoToEven) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 4, 4));
  const struct {
    float x;
    int device;
  } cases[] = {{0.125f, 0}, {0.375f, 2}, {0.625f, 2}, {0.875f, 4}, {-0.125f, 0}, {-0.375f, -2}};
  for (const auto& c : cases) EXPECT_EQ(g.XToDevice(c.x), c.device) << c.x;
  EXPECT_EQ(g.YToDevice(0.375f), 2);  // 4 - Round(1.5)
}

TEST(GraphMapping, PositionToDataValue) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  g.SetPlotArea(false, 0.1f, 0.2f, 0.8f, 0.6f);
  g.SetXScale(false, 4, -2.0f, 2.0f, 0.8f, 0);
  g.SetYScale(false, 5, 0.0f, 10.0f, 0.6f, 0);
  EXPECT_NEAR(g.PosToXValue(0.1f), -2.0f, 1e-6);
  EXPECT_NEAR(g.PosToXValue(0.5f), 0.0f, 1e-6);
  EXPECT_NEAR(g.PosToXValue(0.9f), 2.0f, 1e-6);
  EXPECT_NEAR(g.PosToYValue(0.5f), 5.0f, 1e-6);
  // An axis without scale (plot width 0) answers its minimum, not infinity.
  g.XScale.Scale = 0;
  EXPECT_EQ(g.PosToXValue(0.7f), -2.0f);
}

TEST(GraphText, MeasuresAtTheRequestedSizeAndKeepsTheFont) {
  TRecordingCanvas canvas;  // 0.5 device units per point and character, height = size
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  canvas.Font().Size = 9;
  EXPECT_FLOAT_EQ(g.TextWidthX(20, "1234567890"), 100.0f / 400.0f);
  EXPECT_FLOAT_EQ(g.DigitWidth(20), 10.0f / 400.0f);
  EXPECT_FLOAT_EQ(g.TextHeightY(12), 12.0f / 300.0f);
  EXPECT_FLOAT_EQ(g.TextExtentY(20, "x", 90), 10.0f / 300.0f);  // the width, in y units
  EXPECT_FLOAT_EQ(g.TextExtentY(20, "x", 0), 20.0f / 300.0f);   // the height
  EXPECT_EQ(canvas.Font().Size, 9);
  EXPECT_TRUE(canvas.Ops.empty());
}

TEST(GraphText, UnrotatedTextStandsOnThePoint) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  canvas.SetTextAlign(kTaBaseline);
  canvas.Font().Size = 9;
  canvas.ClearOps();
  g.TextOutAt("abc", 0, 0.5f, 0.25f, 14);
  ASSERT_EQ(canvas.Ops.size(), 4u);
  EXPECT_EQ(canvas.Ops[0].Kind, TRecordedKind::SetTextAlign);
  EXPECT_EQ(canvas.Ops[0].Value, kTaLeft | kTaBottom);
  EXPECT_EQ(canvas.Ops[1].Kind, TRecordedKind::SetBkMode);
  EXPECT_EQ(canvas.Ops[1].Value, static_cast<uint32_t>(kTransparent));
  const TRecordedOp& text = canvas.Ops[2];
  EXPECT_EQ(text.Kind, TRecordedKind::TextOut);
  EXPECT_EQ(text.Text, "abc");
  EXPECT_EQ(text.X, 200);
  EXPECT_EQ(text.Y, 225);
  EXPECT_EQ(text.Style.Font.Size, 14);
  EXPECT_EQ(text.Style.Font.Escapement, 0);
  EXPECT_EQ(canvas.Ops[3].Value, kTaBaseline);  // previous alignment back
  EXPECT_EQ(canvas.Font().Size, 9);
  EXPECT_EQ(canvas.CurrentBkMode(), kTransparent);  // stays transparent
}

TEST(GraphText, RotatedTextHangsFromThePoint) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  canvas.SetTextAlign(kTaBaseline);
  g.TextOutAt("y", 90, 0.1f, 0.9f, 12);
  const auto texts = canvas.OfKind(TRecordedKind::TextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].TextAlign, kTaLeft | kTaTop);
  EXPECT_EQ(texts[0].Style.Font.Escapement, 900);
  EXPECT_EQ(texts[0].Style.Font.Name, "Arial");
  EXPECT_EQ(canvas.Font().Escapement, 0);
  EXPECT_EQ(canvas.CurrentTextAlign(), kTaBaseline);  // the canvas's own, restored
}

TEST(GraphText, TextAtAPositionThatIsNoNumberIsLeftOut) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  g.TextOutAt("a", 0, kNaN, 0.5f, 12);
  g.TextOutAt("a", 0, 0.5f, kInf, 12);
  EXPECT_TRUE(canvas.Ops.empty());
}

TEST(GraphLines, LineIsClampedThenClippedAndThePenKeepsTheClampedPoint) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  g.PenMoveTo(0.5f, 0.5f);
  g.PenLineTo(30.0f, 0.5f);
  const auto lines = canvas.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].X0, 200);
  EXPECT_EQ(lines[0].Y0, 150);
  EXPECT_EQ(lines[0].X1, 400);  // right edge of the clip rectangle, inclusive
  EXPECT_EQ(lines[0].Y1, 150);
  EXPECT_EQ(g.PenX, 8000);  // x = 20, not the clipped end
  EXPECT_EQ(g.PenY, 150);
}

TEST(GraphLines, InvisibleLineStillMovesThePen) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  g.PenMoveTo(-1.0f, 0.5f);
  g.PenLineTo(-0.5f, 0.2f);
  EXPECT_TRUE(canvas.Ops.empty());
  EXPECT_EQ(g.PenX, -200);
  EXPECT_EQ(g.PenY, 240);
  // Without clipping the same line reaches the device unchanged.
  g.SetDeviceClipRect(0, 0, 400, 300, false);
  g.PenLineTo(-1.0f, 0.5f);
  const auto lines = canvas.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].X0, -200);
  EXPECT_EQ(lines[0].X1, -400);
}

TEST(GraphLines, ClipLineCutsAtTheInclusiveRectangleWithTruncation) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  const struct {
    int x0, y0, x1, y1;
    bool visible;
    int cx0, cy0, cx1, cy1;
  } cases[] = {
      {10, 10, 390, 290, true, 10, 10, 390, 290},
      {0, 0, 400, 300, true, 0, 0, 400, 300},  // the edges belong to the rectangle
      {-100, 100, 100, 100, true, 0, 100, 100, 100},
      {-10, 0, 10, 7, true, 0, 3, 10, 7},       // y = Trunc(3.5)
      {50, -50, 50, 50, true, 50, 0, 50, 50},
      {100, 100, 100, 301, true, 100, 100, 100, 300},
      {-100, -100, 500, 400, true, 19, 0, 380, 300},  // through two edges, truncated
      {-5, 10, -1, 200, false, 0, 0, 0, 0},     // both left
      {401, 10, 500, 20, false, 0, 0, 0, 0},    // both right
      {-50, 260, 50, 360, false, 0, 0, 0, 0},   // passes the corner outside
  };
  for (const auto& c : cases) {
    int x0 = c.x0, y0 = c.y0, x1 = c.x1, y1 = c.y1;
    const bool visible = g.ClipLine(x0, y0, x1, y1);
    EXPECT_EQ(visible, c.visible) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
    if (visible && c.visible) {
      EXPECT_EQ(x0, c.cx0);
      EXPECT_EQ(y0, c.cy0);
      EXPECT_EQ(x1, c.cx1);
      EXPECT_EQ(y1, c.cy1);
    }
  }
}

TEST(GraphLines, ClipRectangleIsLimitedToTheDevice) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  g.SetClipRect(0.25f, 0.25f, 0.75f, 0.5f);
  EXPECT_EQ(g.ClipLeft, 100);
  EXPECT_EQ(g.ClipTop, 150);
  EXPECT_EQ(g.ClipRight, 300);
  EXPECT_EQ(g.ClipBottom, 225);
  EXPECT_TRUE(g.ClipEnabled);
  g.SetDeviceClipRect(-5, -7, 900, 800, false);
  EXPECT_EQ(g.ClipLeft, 0);
  EXPECT_EQ(g.ClipTop, 0);
  EXPECT_EQ(g.ClipRight, 400);
  EXPECT_EQ(g.ClipBottom, 300);
  EXPECT_FALSE(g.ClipEnabled);
  g.SetClipRect(-3.0f, -3.0f, 5.0f, 5.0f);
  EXPECT_EQ(g.ClipRight, 400);
  EXPECT_EQ(g.ClipBottom, 300);
  EXPECT_TRUE(g.ClipEnabled);
}

TEST(GraphLines, CoordinateThatIsNoNumberLiftsThePen) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  g.PenMoveTo(0.25f, 0.5f);
  g.PenLineTo(kNaN, 0.5f);  // nothing drawn to it
  g.PenLineTo(0.5f, 0.5f);  // nor from it
  g.PenLineTo(0.75f, 0.5f);
  const auto lines = canvas.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].X0, 200);
  EXPECT_EQ(lines[0].X1, 300);
  g.PenMoveTo(0.1f, kNaN);
  g.PenLineTo(0.2f, 0.2f);
  EXPECT_EQ(canvas.Lines().size(), 1u);
  // Infinity is a direction, not a fault: it is limited like any far value.
  g.PenLineTo(kInf, 0.2f);
  ASSERT_EQ(canvas.Lines().size(), 2u);
  EXPECT_EQ(canvas.Lines()[1].X1, 400);
  EXPECT_EQ(g.PenX, 8000);
}

TEST(GraphPlotArea, WithoutFontsOnlyTheAreaChanges) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  g.SetPlotArea(false, 0.1f, 0.2f, -0.3f, 0.4f);
  EXPECT_EQ(g.PlotLeft, 0.1f);
  EXPECT_EQ(g.PlotBottom, 0.2f);
  EXPECT_EQ(g.PlotWidth, -0.3f);  // stored unchanged
  EXPECT_EQ(g.PlotHeight, 0.4f);
  EXPECT_EQ(g.NumberFontSize, 12);
  EXPECT_EQ(g.ExponentFontSize, 10);
  EXPECT_EQ(g.TitleFontSize, 14);
}

TEST(GraphPlotArea, FontSizesFollowThePlotWidth) {
  // The sample "1234567890" at 20 points: 10 * 20 * 1.0 = 200 device units.
  const struct {
    int deviceWidth;
    float width;
    int number, exponent, title;
  } cases[] = {
      {400, 0.8f, 5, 4, 5},    // sample 0.5 wide
      {400, 1.6f, 9, 8, 10},   // twice the width
      {800, 0.8f, 9, 8, 10},   // twice the device: sample 0.25 wide
      {400, 0.0f, 0, 0, 0},
      {400, -0.5f, 0, 0, 0},
  };
  for (const auto& c : cases) {
    TRecordingCanvas canvas;
    canvas.CharWidthPerPoint = 1.0;
    TOVGraphic g(&canvas, Rect(0, 0, c.deviceWidth, 300));
    canvas.Font().Size = 8;
    g.SetPlotArea(true, 0.1f, 0.1f, c.width, 0.5f);
    EXPECT_EQ(g.NumberFontSize, c.number) << c.deviceWidth << " " << c.width;
    EXPECT_EQ(g.ExponentFontSize, c.exponent);
    EXPECT_EQ(g.TitleFontSize, c.title);
    EXPECT_EQ(canvas.Font().Size, 8);
  }
}

TEST(GraphPlotArea, CanvasThatMeasuresNothingKeepsTheFontSizes) {
  TRecordingCanvas canvas;
  canvas.CharWidthPerPoint = 0.0;
  TOVGraphic g(&canvas, Rect(0, 0, 400, 300));
  g.SetPlotArea(true, 0.1f, 0.1f, 0.8f, 0.8f);
  EXPECT_EQ(g.NumberFontSize, 12);
  EXPECT_EQ(g.ExponentFontSize, 10);
  EXPECT_EQ(g.TitleFontSize, 14);
}
