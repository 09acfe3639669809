#include "block/HostBlock.h"

#include <cfloat>

// All three builds run on x86, where long double is the x87 extended format whose
// first ten bytes in memory are exactly the host's 10-byte value.
static_assert(LDBL_MANT_DIG == 64, "long double must be the x87 80-bit extended format");

namespace inputvector {

long double Read(const void* record, int offset) {
  long double v = 0.0L;
  std::memcpy(&v, static_cast<const uint8_t*>(record) + offset, kValueSize);
  return v;
}

void Write(void* record, int offset, long double v) {
  std::memcpy(static_cast<uint8_t*>(record) + offset, &v, kValueSize);
}

}  // namespace inputvector
