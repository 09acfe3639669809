#include "block/TraceStore.h"

#include <limits>

float NearestFloat(long double v) {
  // Halfway between the largest float (2^128 - 2^104) and 2^128: from here on the nearest
  // float of an unbounded exponent range would be 2^128, which is infinity.
  constexpr long double kOverflow = 0x1p128L - 0x1p103L;
  if (v >= kOverflow) return std::numeric_limits<float>::infinity();
  if (v <= -kOverflow) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

void TTraceStore::AddTrace(int reserve) {
  auto* xs = new TSingleList;
  xs->SetCapacity(reserve);
  XTraces.Add(xs);
  auto* ys = new TSingleList;
  ys->SetCapacity(reserve);
  YTraces.Add(ys);
}

void TTraceStore::BeginRun() {
  for (int n = XTraces.Count(); n > 0; --n) {
    X(0).Clear();
    Y(0).Clear();
    XTraces.Delete(0);
    YTraces.Delete(0);
  }
  AddTrace(0);
  LastControl = 0.0L;
}

int TTraceStore::Record(long double x, long double y, long double control) {
  // A rise through the threshold begins a new trace, whether or not this sample is recorded.
  bool rising = LastControl < ControlThreshold && control > ControlThreshold;
  // A host that steps without starting a run gets its first trace here instead of a crash.
  if (rising || Count() == 0) AddTrace(1000);
  int points = 0;
  if (control < ControlThreshold) {
    int k = Count() - 1;
    X(k).Add(NearestFloat(x));
    points = Y(k).Add(NearestFloat(y)) + 1;
  }
  LastControl = control;
  return points;
}
