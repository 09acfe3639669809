// TrazelSettings: the settings of one plot window, the part of its state that the system file
// keeps and the settings dialog edits.
#pragma once

#include <cstdint>
#include <string>

struct TPlotSettings {
  long double XMin = -1, XMax = 1, YMin = -1, YMax = 1;
  int32_t OriginX = 0, OriginY = 0, SizeX = 100, SizeY = 100;  // percent of the drawing area
  bool ShowAxes = false;
  std::string BackgroundFile = "*.*";
};
