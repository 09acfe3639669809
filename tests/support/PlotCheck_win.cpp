#include "support/PlotCheck_win.h"

#include <cmath>

#include "support/BlockHost_win.h"

POINT TPlotMap::At(double x, double y) const {
  const double fx = (x - XMin) / (XMax - XMin), fy = (y - YMin) / (YMax - YMin);
  return POINT{static_cast<LONG>(std::lround(fx * (Width + 1))),
               static_cast<LONG>(std::lround((1 - fy) * (Height + 1)))};
}

TPlotMap MapOf(const Image& area) {
  TPlotMap map;
  map.Width = area.Width;
  map.Height = area.Height;
  return map;
}

bool ColourNear(const Image& image, POINT p, uint32_t rgb, int radius) {
  for (int y = p.y - radius; y <= p.y + radius; ++y)
    for (int x = p.x - radius; x <= p.x + radius; ++x)
      if (x >= 0 && y >= 0 && x < image.Width && y < image.Height && image.At(x, y) == rgb)
        return true;
  return false;
}

namespace {

POINT Between(const TPlotMap& map, double x0, double y0, double x1, double y1, double t) {
  return map.At(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t);
}

}  // namespace

bool LineShown(const Image& image, const TPlotMap& map, double x0, double y0, double x1, double y1,
               uint32_t rgb) {
  for (double t : {0.2, 0.4, 0.6, 0.8})
    if (!ColourNear(image, Between(map, x0, y0, x1, y1, t), rgb)) return false;
  return true;
}

bool LineAbsent(const Image& image, const TPlotMap& map, double x0, double y0, double x1,
                double y1, uint32_t rgb) {
  for (double t : {0.25, 0.4, 0.5, 0.6, 0.75})
    if (ColourNear(image, Between(map, x0, y0, x1, y1, t), rgb)) return false;
  return true;
}

void RepaintNow(HWND plotWindow) {
  const HWND area = DrawingArea(plotWindow);
  InvalidateRect(area, nullptr, FALSE);
  UpdateWindow(area);
}
