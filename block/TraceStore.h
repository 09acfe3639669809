// The plot window's trace store and the pen rule of the control input.
#pragma once

#include "lists/OVList.h"

// The 32-bit float nearest to v (IEEE round to nearest, ties to even). A value of magnitude
// 2^128 - 2^103 or more, half a unit in the last place beyond the largest float, becomes
// infinite; a smaller one beyond the largest float becomes the largest float; tiny values
// become subnormal floats or zero; NaN stays NaN. Samples and axis ranges pass through here.
float NearestFloat(long double v);

// Control input below this value: pen down; a rise through it begins a new trace.
constexpr long double ControlThreshold = 2.5L;

class TTraceStore {
 public:
  // Trace k is item k of both lists: two TSingleLists of x and y values.
  TObjectList XTraces;
  TObjectList YTraces;
  long double LastControl = 0.0L;

  int Count() const { return XTraces.Count(); }
  TSingleList& X(int k) const { return *static_cast<TSingleList*>(XTraces.Items(k)); }
  TSingleList& Y(int k) const { return *static_cast<TSingleList*>(YTraces.Items(k)); }

  // Empties the store and begins the one empty trace of a new run; LastControl := 0.
  void BeginRun();
  // Appends an empty trace with room reserved for `reserve` points.
  void AddTrace(int reserve);

  // One simulation sample by the pen rule; x and y are stored as NearestFloat. A sample
  // beyond the float range is stored as infinite and leaves a gap in its trace: the curve
  // drawing draws no segment to or from a point that is not finite. Returns the number of
  // points of the current trace after the sample when the sample was recorded, 0 when it was
  // not.
  int Record(long double x, long double y, long double control);
};
