// FuzzSupport: what the fuzz targets share: a check that stops the run with a message, and
// values drawn from the fuzzer's bytes with the edge cases over-represented.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace fuzz {

// What the current input is about, printed with a failed property.
inline std::string& Context() {
  static std::string context;
  return context;
}

}  // namespace fuzz

// A broken property is a crash for libFuzzer: it saves the input and stops.
#define FUZZ_CHECK(cond)                                                                     \
  do {                                                                                       \
    if (!(cond)) {                                                                           \
      std::fprintf(stderr, "%s:%d: property failed: %s\n%s\n", __FILE__, __LINE__, #cond,    \
                   fuzz::Context().c_str());                                                 \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

namespace fuzz {

// An 80-bit value: an edge case, a value of a 32-bit float, a decimal-looking value, or any
// ten bytes (x87 unnormals, pseudo-denormals and signalling NaNs included, as a host can pass
// them in its input record).
inline long double Real(FuzzedDataProvider& in) {
  static const long double kEdges[] = {
      0.0L, -0.0L, 1.0L, -1.0L, 0.5L, 2.5L, 1e20L, -1e-5L,
      std::numeric_limits<long double>::quiet_NaN(), -std::numeric_limits<long double>::quiet_NaN(),
      std::numeric_limits<long double>::infinity(), -std::numeric_limits<long double>::infinity(),
      std::numeric_limits<long double>::denorm_min(), LDBL_MIN, LDBL_MAX, -LDBL_MAX,
      FLT_MAX, -FLT_MAX, FLT_MIN, std::numeric_limits<float>::denorm_min(), 9.2e18L, 1e15L,
      0.0001L, 0.00001L, 2147483647.0L, -2147483648.0L, 2147483648.5L, 1e4932L, 1e-4950L};
  switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: return kEdges[in.ConsumeIntegralInRange<size_t>(0, std::size(kEdges) - 1)];
    case 1: {
      uint8_t bytes[10] = {};
      const std::string raw = in.ConsumeBytesAsString(10);
      std::memcpy(bytes, raw.data(), raw.size());
      long double v = 0.0L;
      std::memcpy(&v, bytes, sizeof bytes);
      return v;
    }
    case 2: {
      const uint32_t bits = in.ConsumeIntegral<uint32_t>();
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return f;
    }
    case 3:
      return static_cast<long double>(in.ConsumeIntegral<int32_t>()) *
             std::pow(10.0L, in.ConsumeIntegralInRange<int>(-12, 12));
    default: return in.ConsumeFloatingPoint<double>();
  }
}

// A 32-bit value, edge cases included.
inline float Float(FuzzedDataProvider& in) {
  static const float kEdges[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 0.01f, 1e-7f,
                                 std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::denorm_min(), FLT_MIN, FLT_MAX,
                                 -FLT_MAX, 20.0f, 21.0f, -20.0f, 1e30f, 2147483647.0f};
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return kEdges[in.ConsumeIntegralInRange<size_t>(0, std::size(kEdges) - 1)];
    case 1: {
      const uint32_t bits = in.ConsumeIntegral<uint32_t>();
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return f;
    }
    case 2: return static_cast<float>(in.ConsumeIntegralInRange<int>(-300, 300) * 0.01L);
    default: return static_cast<float>(in.ConsumeFloatingPointInRange<double>(-10.0, 10.0));
  }
}

// Ten bytes hold the same 80-bit value (NaNs compare by their bits).
inline bool SameBits(long double a, long double b) { return std::memcmp(&a, &b, 10) == 0; }

// x87 unnormals, pseudo-infinities and pseudo-NaNs: bit patterns that the FPU refuses as
// operands. Everything else is an ordinary value, zero, denormal, infinity or NaN.
inline bool IsUnsupported(long double v) {
  uint8_t b[10];
  std::memcpy(b, &v, sizeof b);
  const unsigned exponent = (b[8] | (b[9] << 8)) & 0x7FFF;
  const bool integerBit = (b[7] & 0x80) != 0;
  return exponent != 0 && !integerBit;
}

// A pseudo-denormal (exponent field 0, integer bit set) as the FPU reads it: the same
// mantissa with the exponent field 1, a normal number. Other values come back unchanged. The
// C library's printf reads pseudo-denormals otherwise, so references are taken from this form.
inline long double Canonical(long double v) {
  uint8_t b[10];
  std::memcpy(b, &v, sizeof b);
  const unsigned exponent = (b[8] | (b[9] << 8)) & 0x7FFF;
  if (exponent == 0 && (b[7] & 0x80) != 0) {
    b[8] = static_cast<uint8_t>(b[8] | 1);
    std::memcpy(&v, b, sizeof b);
  }
  return v;
}

}  // namespace fuzz
