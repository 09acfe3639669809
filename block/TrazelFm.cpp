#include "block/TrazelFm.h"

#include "controls/ovcomps.h"

std::string StatusBarText(const TPlotSettings& s) {
  auto f = [](long double v) { return FormatFloat("%7.3g", v); };
  return "x: [" + f(s.XMin) + ", " + f(s.XMax) + "]   " + "y: [" + f(s.YMin) + ", " + f(s.YMax) +
         "]   ";
}
