// OVGraphic: the graph engine. Maps data values to logical coordinates (origin at
// the lower left of the output, y upward) and those to device units of any canvas,
// and draws grid, axes and curves with fonts that follow the size of the diagram.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphic/OVAxisFormat.h"
#include "graphic/OVAxisScale.h"
#include "graphic/OVCanvas.h"
#include "lists/OVList.h"

// Output rectangle in device units.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
};

class TOVGraphic {
 public:
  // Defaults, then binds canvas and rect with the extent 1 x 1.
  TOVGraphic(TCanvas* canvas, const TRect& rect);
  TOVGraphic(const TOVGraphic&) = delete;
  TOVGraphic& operator=(const TOVGraphic&) = delete;
  virtual ~TOVGraphic();  // never frees Canvas

  // Binds canvas (not owned) and derives the device metrics; a printer canvas
  // ignores rect and takes the page size. Clipping is on, against the whole output.
  void AttachCanvas(TCanvas* canvas, const TRect& rect, float logicalWidth,
                    float logicalHeight);
  void SaveCanvasStyle();
  void RestoreCanvasStyle();

  // Logical <-> device. NaN maps to device 0; results are limited to the int range.
  int XToDevice(float x) const;
  int YToDevice(float y) const;
  float DeviceToX(int x) const;
  float DeviceToY(int y) const;
  // Logical position to data value; AxisMin when the axis has no usable scale.
  float PosToXValue(float x) const;
  float PosToYValue(float y) const;

  // Text measures at a font size, in logical units; the font size is put back.
  float TextWidthX(int size, const std::string& text);
  // With angle != 0 the text's width, otherwise its height, in y units.
  float TextExtentY(int size, const std::string& text, int angle);
  float DigitWidth(int size);
  float TextHeightY(int size);
  // Unrotated text stands on (x, y), rotated text hangs from it. Non-finite
  // positions draw nothing.
  void TextOutAt(const std::string& text, uint16_t angle, float x, float y, int size);

  // Current position and clipped lines; coordinates beyond ClampX/ClampY are
  // limited. A NaN coordinate lifts the pen: nothing is drawn to or from it.
  void PenMoveTo(float x, float y);
  void PenLineTo(float x, float y);
  // Cohen-Sutherland against the inclusive clip rectangle, in device units;
  // false when nothing is visible.
  bool ClipLine(int& x0, int& y0, int& x1, int& y1) const;
  void SetClipRect(float x1, float y1, float x2, float y2);
  void SetDeviceClipRect(int left, int top, int right, int bottom, bool enable);

  // Plot area in logical units; with fonts, the three font sizes follow its width.
  void SetPlotArea(bool fonts, float left, float bottom, float width, float height);

  // Marks of one axis (vertical: the y axis) over the current plot area.
  TTickList LinearTickPositions(bool vertical, const TAxisScale& scale,
                                int valueRoom = TTickList::kMaxValues) const;
  // Grid inside the plot area in GridMode 0..4; 5 and above draw nothing.
  void DrawGrid();

  void SetXScale(bool autoDivisions, int divisions, float rangeMin, float rangeMax, float length,
                 int subMarks);
  void SetYScale(bool autoDivisions, int divisions, float rangeMin, float rangeMax, float length,
                 int subMarks);

  // placement 3: below the plot area, 2: above it; other codes draw the axis line only.
  void DrawXAxis(const std::string& title, uint8_t placement);
  // placement 1: left of the plot area, 0: right of it; other codes draw the axis
  // line only. titleRequest 0 automatic, 1 horizontal, 2 vertical, 3 draw nothing.
  // Returns 1 for a horizontal title, 2 for a vertical one.
  uint8_t DrawYAxis(const std::string& title, uint8_t placement, uint8_t titleRequest);

  // Points firstIndex..lastIndex; (0, 0) means the whole list. Lists of fewer than
  // two items draw nothing; indices outside either list raise EListError before
  // anything is drawn. Points with a non-finite value break the line.
  void DrawCurve(const TSingleList& xValues, const TSingleList& yValues, int firstIndex,
                 int lastIndex);
  void DrawCurveArrays(const float* xValues, const float* yValues, int count);

  TCanvas* Canvas = nullptr;
  TCanvasStyle StyleCanvas;
  int32_t MaxXDivisions = 10;
  int32_t MaxYDivisions = 10;
  uint8_t GridMode = 0;
  int32_t GridWidth = 0;
  TColor GridColor = RGBColor(128, 128, 128);
  bool ClipEnabled = false;
  bool ClipToPlotArea = true;
  int32_t PenX = 0;
  int32_t PenY = 0;
  float LogicalWidth = 1.0f;
  float LogicalHeight = 1.0f;
  float PlotLeft = 0;
  float PlotBottom = 0;
  float PlotWidth = 0;
  float PlotHeight = 0;
  uint8_t CurveStyle = 0;  // 0 solid, 1 dashed
  int32_t NumberFontSize = 12;
  int32_t ExponentFontSize = 10;
  int32_t TitleFontSize = 14;
  TAxisScale XScale;
  TAxisScale YScale;
  int32_t ClipLeft = 0;
  int32_t ClipRight = 0;
  int32_t ClipTop = 0;
  int32_t ClipBottom = 0;
  float ClampX = 20.0f;
  float ClampY = 20.0f;
  bool IsPrinter = false;
  bool FitPortraitPage = false;
  int32_t DeviceWidth = 1;
  int32_t DeviceHeight = 1;
  float XPixelsPerUnit = 1.0f;
  float YPixelsPerUnit = 1.0f;
  float XUnitsPerPixel = 1.0f;
  float YUnitsPerPixel = 1.0f;

 private:
  struct TAxisNumbering;
  struct TYAxisTexts;
  struct TCurveMapping;

  int RegionCode(int x, int y) const;
  void DeviceSize(const TRect& rect);
  int SampleFontSize(long double factor, float width, int current);

  void GridLines(const TTickList& xTicks, const TTickList& yTicks, float x0, float x1, float y0,
                 float y1);
  void GridMarks(const TTickList& xTicks, const TTickList& yTicks, float x0, float x1, float y0,
                 float y1);
  void GridCross(float px, float py);

  TAxisNumbering AxisNumbering(const TAxisScale& scale, const TTickList& ticks) const;
  void XAxisMarks(const TTickList& ticks, uint8_t placement);
  void XAxisTexts(const TTickList& ticks, const std::string& title, uint8_t placement);
  void YAxisMarks(const TTickList& ticks, uint8_t placement);
  void YAxisNumbers(const TTickList& ticks, uint8_t placement, bool draw, TYAxisTexts& t);
  void YAxisTitle(const TTickList& ticks, const std::string& title, uint8_t placement,
                  uint8_t request, TYAxisTexts& t);
  void YAxisFactor(const TTickList& ticks, uint8_t placement, TYAxisTexts& t);
  float TitleMid(const TTickList& ticks, int a, int b, float titleHeight) const;

  template <class TPoints>
  void DrawPolyline(const TPoints& points, int first, int last);
  template <class TPoints>
  void DashedPolyline(const TPoints& points, const TCurveMapping& map, int first,
                      int last);
  void DashTo(float x, float y, bool& penDown, float& remaining, float& posX, float& posY);

  // Curves on a canvas that draws polylines: connected unclipped lines gather in run_
  // and go to the canvas as one polyline.
  void BeginRun();
  bool AppendToRun(int x0, int y0, int x1, int y1);
  void FlushRun();

  bool penLifted_ = false;  // a NaN coordinate came since the last valid one
  bool batching_ = false;
  std::vector<TDevicePoint> run_;
};
