// The benchmarks' clock: the performance counter in seconds.
#pragma once

#include <windows.h>

#include <functional>

inline double Now() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// How long work takes.
inline double Seconds(const std::function<void()>& work) {
  const double start = Now();
  work();
  return Now() - start;
}
