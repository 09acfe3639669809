// The plot window's trace store and the pen rule of the control input.
#pragma once

#include "lists/OVList.h"

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

  // One simulation sample by the pen rule. Returns the number of points of the current
  // trace after the sample when the sample was recorded, 0 when it was not.
  int Record(long double x, long double y, long double control);
};
