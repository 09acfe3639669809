// Binding, device metrics, coordinate mappings, text primitives, clamped and
// clipped lines, and the font sizes that follow the plot area.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "graphic/OVGraphic.h"
#include "product/OVConfig.h"
#include "tests/support/RecordingCanvas.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

}  // namespace

TEST(GraphBinding, CreateSetsDefaultsAndBindsTheCanvas) {
  const uint8_t keptMode = ProductOptions.DefaultGridMode;
  ProductOptions.DefaultGridMode = 3;
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  ProductOptions.DefaultGridMode = keptMode;
  EXPECT_EQ(g.GridMode, 3);
  EXPECT_EQ(g.GridColor, RGBColor(128, 128, 128));
  EXPECT_TRUE(g.ClipEnabled && g.ClipToPlotArea && g.FitPortraitPage);
  EXPECT_FALSE(g.IsPrinter);
  EXPECT_EQ(g.NumberFontSize, 12);
  EXPECT_EQ(g.ExponentFontSize, 10);
  EXPECT_EQ(g.TitleFontSize, 14);
  EXPECT_EQ(g.XPixelsPerUnit, 400.0f);
  EXPECT_EQ(g.XUnitsPerPixel, static_cast<float>(1.0L / 400.0f));
  EXPECT_EQ(g.ClampX, 20.0f);
  EXPECT_EQ(g.ClipRight, 400);
  EXPECT_EQ(g.ClipBottom, 300);
  EXPECT_EQ(canvas.Font().Name, "Arial");
  EXPECT_TRUE(canvas.Ops.empty());
}

TEST(GraphBinding, DeviceSizeOfScreenRectanglesIsAtLeastOne) {
  const struct {
    TRect rect;
    int width, height;
  } cases[] = {
      {{0, 0, 400, 300}, 400, 300},
      {{10, 20, 410, 320}, 400, 300},  // only the differences count
      {{50, 0, 50, 300}, 1, 300},      // right = left
      {{0, 80, 400, 20}, 400, 1},      // bottom above top
      {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, INT_MAX, INT_MAX},
  };
  for (const auto& c : cases) {
    TRecordingCanvas canvas;
    TOVGraphic g(&canvas, c.rect);
    EXPECT_EQ(g.DeviceWidth, c.width);
    EXPECT_EQ(g.DeviceHeight, c.height);
    EXPECT_TRUE(std::isfinite(g.YUnitsPerPixel) && g.YUnitsPerPixel > 0);
  }
}

TEST(GraphBinding, PrinterPageTakesTheDeviceCapsAndFitsPortraitPagesSideways) {
  const struct {
    int horz, vert, aspectX, aspectY, heightAfter;
  } cases[] = {
      {4800, 6800, 1, 1, 3388},      // Round(4800 * 4800 / 6800)
      {4800, 6800, 600, 600, 3388},  // products beyond 32 bits
      {4800, 6800, 2, 1, 6776},
      {4800, 6800, 0, 0, 3388},      // no aspect: taken as square
      {6800, 4800, 1, 1, 4800},      // landscape keeps its height
  };
  for (const auto& c : cases) {
    TRecordingCanvas printer;
    printer.Printer = true;
    printer.HorzRes = c.horz;
    printer.VertRes = c.vert;
    printer.AspectX = c.aspectX;
    printer.AspectY = c.aspectY;
    TOVGraphic g(&printer, TRect{0, 0, 10, 10});  // the rectangle is ignored
    EXPECT_TRUE(g.IsPrinter);
    EXPECT_EQ(g.DeviceWidth, c.horz);
    EXPECT_EQ(g.DeviceHeight, c.vert);  // Create binds before it sets FitPortraitPage
    g.AttachCanvas(&printer, TRect{0, 0, 10, 10}, 1.0f, 1.0f);
    EXPECT_EQ(g.DeviceHeight, c.heightAfter) << c.horz << "x" << c.vert;
  }
}

TEST(GraphBinding, LogicalExtentScalesMappingAndClamp) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  g.AttachCanvas(&canvas, TRect{0, 0, 400, 300}, 2.0f, 0.5f);
  EXPECT_EQ(g.XPixelsPerUnit, 200.0f);
  EXPECT_EQ(g.YPixelsPerUnit, 600.0f);
  EXPECT_EQ(g.ClampX, 40.0f);
  EXPECT_EQ(g.ClampY, 10.0f);
  g.AttachCanvas(&canvas, TRect{0, 0, 400, 300}, 0.0f, kNaN);  // taken as 1
  EXPECT_EQ(g.XPixelsPerUnit, 400.0f);
  EXPECT_EQ(g.YPixelsPerUnit, 300.0f);
}

TEST(GraphMapping, LogicalAndDeviceCoordinates) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  EXPECT_EQ(g.XToDevice(0.5f), 200);
  EXPECT_EQ(g.YToDevice(0.25f), 225);
  EXPECT_EQ(g.DeviceToY(225), 0.25f);
  EXPECT_EQ(g.DeviceToX(100), 0.25f);
  // Beyond the int range the result is limited; NaN maps to 0.
  EXPECT_EQ(g.XToDevice(1e30f), INT_MAX);
  EXPECT_EQ(g.XToDevice(-1e30f), INT_MIN);
  EXPECT_EQ(g.YToDevice(-kInf), INT_MAX);
  EXPECT_EQ(g.XToDevice(kNaN), 0);
  TOVGraphic tiny(&canvas, TRect{0, 0, 4, 4});  // ties go to even
  const float x[] = {0.125f, 0.375f, 0.625f, -0.375f};
  const int device[] = {0, 2, 2, -2};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(tiny.XToDevice(x[i]), device[i]) << x[i];
  EXPECT_EQ(tiny.YToDevice(0.375f), 2);  // 4 - Round(1.5)
}

TEST(GraphMapping, PositionToDataValue) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  g.SetPlotArea(false, 0.1f, 0.2f, 0.8f, 0.6f);
  g.SetXScale(false, 4, -2.0f, 2.0f, 0.8f, 0);
  g.SetYScale(false, 5, 0.0f, 10.0f, 0.6f, 0);
  EXPECT_NEAR(g.PosToXValue(0.1f), -2.0f, 1e-6);
  EXPECT_NEAR(g.PosToXValue(0.9f), 2.0f, 1e-6);
  EXPECT_NEAR(g.PosToYValue(0.5f), 5.0f, 1e-6);
  g.XScale.Scale = 0;  // an axis without length answers its minimum, not infinity
  EXPECT_EQ(g.PosToXValue(0.7f), -2.0f);
}

TEST(GraphText, MeasuresAtTheRequestedSizeAndKeepsTheFont) {
  TRecordingCanvas canvas;  // 0.5 device units per point and character, height = size
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  canvas.Font().Size = 9;
  EXPECT_FLOAT_EQ(g.TextWidthX(20, "1234567890"), 100.0f / 400);
  EXPECT_FLOAT_EQ(g.DigitWidth(20), 10.0f / 400);
  EXPECT_FLOAT_EQ(g.TextHeightY(12), 12.0f / 300);
  EXPECT_FLOAT_EQ(g.TextExtentY(20, "x", 90), 10.0f / 300);  // the width, in y units
  EXPECT_FLOAT_EQ(g.TextExtentY(20, "x", 0), 20.0f / 300);   // the height
  EXPECT_EQ(canvas.Font().Size, 9);
}

TEST(GraphText, TextStandsOnThePointOrHangsFromIt) {
  for (uint16_t angle : {0, 90}) {
    TRecordingCanvas canvas;
    TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
    canvas.SetTextAlign(kTaBaseline);
    canvas.Font().Size = 9;
    canvas.ClearOps();
    g.TextOutAt("abc", angle, 0.5f, 0.25f, 14);
    g.TextOutAt("skipped", angle, kNaN, 0.5f, 14);
    g.TextOutAt("skipped", angle, 0.5f, kInf, 14);
    ASSERT_EQ(canvas.Ops.size(), 4u);
    EXPECT_EQ(canvas.Ops[0].Value, angle == 0 ? kTaLeft | kTaBottom : kTaLeft | kTaTop);
    EXPECT_EQ(canvas.Ops[1].Value, static_cast<uint32_t>(kTransparent));
    const TRecordedOp& text = canvas.Ops[2];
    EXPECT_EQ(text.Text, "abc");
    EXPECT_EQ(text.X, 200);
    EXPECT_EQ(text.Y, 225);
    EXPECT_EQ(text.Style.Font.Size, 14);
    EXPECT_EQ(text.Style.Font.Escapement, angle * 10);
    EXPECT_EQ(canvas.Ops[3].Value, kTaBaseline);  // previous alignment back
    EXPECT_EQ(canvas.Font().Size, 9);
    EXPECT_EQ(canvas.Font().Escapement, 0);
    EXPECT_EQ(canvas.CurrentBkMode(), kTransparent);  // stays transparent
  }
}

TEST(GraphLines, LineIsClampedThenClippedAndThePenKeepsTheClampedPoint) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  g.PenMoveTo(0.5f, 0.5f);
  g.PenLineTo(30.0f, 0.5f);
  ASSERT_EQ(canvas.Lines().size(), 1u);
  const TRecordedLine l = canvas.Lines()[0];
  EXPECT_EQ(l.X0, 200);
  EXPECT_EQ(l.Y0, 150);
  EXPECT_EQ(l.X1, 400);  // the right edge, inclusive
  EXPECT_EQ(l.Y1, 150);
  EXPECT_EQ(g.PenX, 8000);  // x = 20, not the clipped end
  // Both ends left of the output: nothing drawn, the pen moves all the same.
  g.PenMoveTo(-1.0f, 0.5f);
  g.PenLineTo(-0.5f, 0.2f);
  EXPECT_EQ(canvas.Lines().size(), 1u);
  EXPECT_EQ(g.PenX, -200);
  EXPECT_EQ(g.PenY, 240);
  g.SetDeviceClipRect(0, 0, 400, 300, false);  // without clipping it reaches the device
  g.PenLineTo(-1.0f, 0.5f);
  EXPECT_EQ(canvas.Lines().back().X1, -400);
}

TEST(GraphLines, ClipLineCutsAtTheInclusiveRectangleWithTruncation) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  const struct {
    int x0, y0, x1, y1;
    bool visible;
    int cx0, cy0, cx1, cy1;
  } cases[] = {
      {0, 0, 400, 300, true, 0, 0, 400, 300},  // the edges belong to the rectangle
      {-100, 100, 100, 100, true, 0, 100, 100, 100},
      {-10, 0, 10, 7, true, 0, 3, 10, 7},  // y = Trunc(3.5)
      {50, -50, 50, 50, true, 50, 0, 50, 50},
      {100, 100, 100, 301, true, 100, 100, 100, 300},
      {-100, -100, 500, 400, true, 19, 0, 380, 300},  // through two edges, truncated
      {-5, 10, -1, 200, false, 0, 0, 0, 0},
      {-50, 260, 50, 360, false, 0, 0, 0, 0},  // passes the corner outside
  };
  for (const auto& c : cases) {
    int x0 = c.x0, y0 = c.y0, x1 = c.x1, y1 = c.y1;
    ASSERT_EQ(g.ClipLine(x0, y0, x1, y1), c.visible) << c.x0 << "," << c.y0;
    if (!c.visible) continue;
    EXPECT_EQ(x0, c.cx0);
    EXPECT_EQ(y0, c.cy0);
    EXPECT_EQ(x1, c.cx1);
    EXPECT_EQ(y1, c.cy1);
  }
}

TEST(GraphLines, ClipRectangleIsLimitedToTheDevice) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
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
}

TEST(GraphLines, CoordinateThatIsNoNumberLiftsThePen) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  g.PenMoveTo(0.25f, 0.5f);
  g.PenLineTo(kNaN, 0.5f);  // nothing drawn to it
  g.PenLineTo(0.5f, 0.5f);  // nor from it
  g.PenLineTo(0.75f, 0.5f);
  ASSERT_EQ(canvas.Lines().size(), 1u);
  EXPECT_EQ(canvas.Lines()[0].X0, 200);
  g.PenMoveTo(0.1f, kNaN);
  g.PenLineTo(0.2f, 0.2f);
  g.PenLineTo(kInf, 0.2f);  // infinity is a direction: limited like any far value
  ASSERT_EQ(canvas.Lines().size(), 2u);
  EXPECT_EQ(canvas.Lines()[1].X0, 80);
  EXPECT_EQ(canvas.Lines()[1].X1, 400);
}

TEST(GraphPlotArea, FontSizesFollowThePlotWidth) {
  // The sample "1234567890" at 20 points is 10 * 20 * charWidth device units.
  const struct {
    bool fonts;
    double charWidth;
    int deviceWidth;
    float width;
    int number, exponent, title;
  } cases[] = {
      {true, 1.0, 400, 0.8f, 5, 4, 5},   // sample 0.5 wide
      {true, 1.0, 400, 1.6f, 9, 8, 10},  // twice the width
      {true, 1.0, 800, 0.8f, 9, 8, 10},  // twice the device: sample 0.25 wide
      {true, 1.0, 400, 0.0f, 0, 0, 0},
      {true, 1.0, 400, -0.5f, 0, 0, 0},
      {false, 1.0, 400, 0.8f, 12, 10, 14},  // only the area changes
      {true, 0.0, 400, 0.8f, 12, 10, 14},   // a canvas that measures nothing
  };
  for (const auto& c : cases) {
    TRecordingCanvas canvas;
    canvas.CharWidthPerPoint = c.charWidth;
    TOVGraphic g(&canvas, TRect{0, 0, c.deviceWidth, 300});
    canvas.Font().Size = 8;
    g.SetPlotArea(c.fonts, 0.1f, 0.2f, c.width, -0.5f);
    EXPECT_EQ(g.NumberFontSize, c.number) << c.deviceWidth << " " << c.width;
    EXPECT_EQ(g.ExponentFontSize, c.exponent);
    EXPECT_EQ(g.TitleFontSize, c.title);
    EXPECT_EQ(g.PlotWidth, c.width);  // stored unchanged
    EXPECT_EQ(g.PlotHeight, -0.5f);
    EXPECT_EQ(canvas.Font().Size, 8);
  }
}
