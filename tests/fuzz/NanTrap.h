// Force-included into the fuzzing build of the graph engine (graphic/OVGraphic.cpp): a NaN
// that is about to become a device value stops the run with a report, where the engine itself
// would quietly map it to 0. With TRAZEL_NAN_SURVEY set, each place is reported once and the
// run goes on (to survey all of them at once).
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include <sanitizer/common_interface_defs.h>

#include "graphic/OVGraphicMath.h"

__attribute__((noinline)) inline void FuzzTrapNaN(long double v) {
  if (std::isnan(v)) {
    static const bool survey = std::getenv("TRAZEL_NAN_SURVEY") != nullptr;
    static std::set<std::pair<void*, void*>> seen;
    if (!survey) {
      std::fprintf(stderr, "graph engine: a device value computed from NaN\n");
      std::abort();
    }
    // The engine is built with frame pointers: two levels tell the places apart.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wframe-address"
    void* const caller = __builtin_return_address(1);
#pragma clang diagnostic pop
    if (seen.insert({__builtin_return_address(0), caller}).second) {
      std::fprintf(stderr, "graph engine: a device value computed from NaN, here:\n");
      __sanitizer_print_stack_trace();
    }
  }
}

__attribute__((always_inline)) inline int FuzzTrappingRoundToInt(long double v) {
  FuzzTrapNaN(v);
  return RoundToInt(v);
}

__attribute__((always_inline)) inline int FuzzTrappingIntegralToInt(long double v) {
  FuzzTrapNaN(v);
  return IntegralToInt(v);
}

// Every later use of RoundToInt and IntegralToInt in the engine's source goes through the trap.
#define RoundToInt FuzzTrappingRoundToInt
#define IntegralToInt FuzzTrappingIntegralToInt
