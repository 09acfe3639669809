// TrazelExport: the recorded points as a text file of measured values, one line a point, that a
// replay through a fresh block turns into the same traces.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "block/TraceStore.h"

// The shortest decimal text that reads back as the same 32-bit float, "." as decimal point,
// an exponent ("e+38", "e-45") where that is shorter. Finite values only.
std::string ShortestFloatText(float value);

// Receives the file's text piece by piece; false stops the writing (the disk is full, say).
using TExportSink = std::function<bool(const char* text, size_t length)>;

// The header "x,y,control", then one line "x,y,0" per recorded point, lines ended by CR LF.
// A line with control 5 lifts the pen: before the first point of every trace after the first
// (that point with control 5), and at every point that is not finite, which the file cannot
// carry (the point before it with control 5). Empty traces and points that are not finite
// leave no line of their own. False when the sink refused a piece.
bool WriteMeasuredValues(const TTraceStore& store, const TExportSink& sink);
