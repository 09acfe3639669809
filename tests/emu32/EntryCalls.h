// Calls into a block library by entry-point name, the way the host does, and keeps for
// every entry point how much of the stack each call removed (32-bit build only).
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

// One exported entry point and the bytes of arguments that it removes on return.
struct EntryPoint {
  const char* name;
  int argumentBytes;
};

// The 17 entry points of a block library, in the order the host documents them.
const std::vector<EntryPoint>& BlockEntryPointTable();

// What the calls of one entry point did to the stack and the preserved registers.
struct CallRecord {
  int calls = 0;
  int wrongCleanups = 0;  // calls that removed other than argumentBytes
  int lastRemoved = 0;
  int clobberedRegisters = 0;  // calls that changed EBX, ESI or EDI
};

class EntryCaller {
 public:
  // Loads the library by file name (the platform's search order applies) and looks up
  // every entry point of the table.
  explicit EntryCaller(const std::string& fileName);
  ~EntryCaller();
  EntryCaller(const EntryCaller&) = delete;
  EntryCaller& operator=(const EntryCaller&) = delete;

  bool Loaded() const { return module_ != nullptr; }
  DWORD LoadError() const { return loadError_; }
  bool Has(const char* name) const;
  // Unloads the library; returns FreeLibrary's result.
  bool Unload();

  // Calls the entry point with the given 32-bit words (pointer-sized on x86_64) and
  // returns its result register. The entry point must exist.
  uintptr_t Call(const char* name, std::initializer_list<uintptr_t> args);

  const std::map<std::string, CallRecord>& Records() const { return records_; }
  // True where the build can see the stack pointer around a call (the 32-bit build).
  static bool MeasuresStack();

 private:
  HMODULE module_ = nullptr;
  DWORD loadError_ = 0;
  std::map<std::string, FARPROC> procs_;
  std::map<std::string, CallRecord> records_;
};
