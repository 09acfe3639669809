// Looking at what a plot window shows: where a data point lands in the drawing area (full plot
// area, ranges as given) and whether a line of a colour runs between two points.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/Screenshot.h"

constexpr uint32_t kLineBlue = 0x0000FF;  // the default line colour, as 0x00RRGGBB
constexpr uint32_t kGridGrey = 0x808080;

struct TPlotMap {
  int Width = 0;  // the drawing area; the graph's output is one pixel wider and higher
  int Height = 0;
  double XMin = -1, XMax = 1, YMin = -1, YMax = 1;
  POINT At(double x, double y) const;
};

TPlotMap MapOf(const Image& area);
// A pixel of this colour within radius of p.
bool ColourNear(const Image& image, POINT p, uint32_t rgb, int radius = 2);
// Every sample point at 20, 40, 60 and 80 % of the line has the colour near it.
bool LineShown(const Image& image, const TPlotMap& map, double x0, double y0, double x1, double y1,
               uint32_t rgb = kLineBlue);
// No sample point between 25 and 75 % of the line has the colour near it.
bool LineAbsent(const Image& image, const TPlotMap& map, double x0, double y0, double x1,
                double y1, uint32_t rgb = kLineBlue);
// Invalidates the drawing area and paints it now.
void RepaintNow(HWND plotWindow);
