// The records that cross the boundary to the simulation host. The host owns them and
// their layout; the library touches only the bytes named here.
#pragma once

#include <cstdint>
#include <cstring>

namespace hostblock {

constexpr int kWindowSlotOffset = 5571;  // 32-bit reference to the block's plot window
constexpr int kHostWindowOffset = 5579;  // 32-bit handle of the host's main window
constexpr int kTitleOffset = 5583;       // 32-bit pointer to the block's NUL-terminated title
constexpr int kMinimumSize = 5587;

inline uint32_t ReadField(const void* block, int offset) {
  uint32_t v;
  std::memcpy(&v, static_cast<const uint8_t*>(block) + offset, sizeof v);
  return v;
}

inline void WriteField(void* block, int offset, uint32_t v) {
  std::memcpy(static_cast<uint8_t*>(block) + offset, &v, sizeof v);
}

// The title is a 32-bit pointer on both builds (the 64-bit test host keeps titles below 4 GiB).
inline const char* Title(const void* block) {
  return reinterpret_cast<const char*>(static_cast<uintptr_t>(ReadField(block, kTitleOffset)));
}

}  // namespace hostblock

// One step's inputs: x, y and control as 80-bit x87 extended floats, 30 bytes packed.
namespace inputvector {

constexpr int kValueSize = 10;
constexpr int kSize = 30;

// Reads the extended float at byte offset 0, 10 or 20 of the record.
long double Read(const void* record, int offset);
// Writes v as a 10-byte extended float (the host's side of the record).
void Write(void* record, int offset, long double v);

}  // namespace inputvector
