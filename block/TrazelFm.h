// TrazelFm: the plot window TForm1. This header holds the portable part: the status bar text.
#pragma once

#include <string>

#include "block/TrazelSettings.h"

// The status bar's text: the four axis range ends, each written with "%7.3g".
std::string StatusBarText(const TPlotSettings& settings);
