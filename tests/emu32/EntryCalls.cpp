#include "EntryCalls.h"

#include <stdexcept>

#if UINTPTR_MAX == 0xFFFFFFFFu
extern "C" uint32_t emu_call_stdcall(const void* fn, const uint32_t* args, int count,
                                     int32_t* removed, int32_t* registersKept);
#endif

const std::vector<EntryPoint>& BlockEntryPointTable() {
  static const std::vector<EntryPoint> table = {
      {"IsUserDLL32", 0},
      {"GetDLLName", 0},
      {"SetInputChar", 0},
      {"NumberOfLinesInSystemFile", 0},
      {"GetNumberOfInputsOutputs", 4},
      {"GetParameterStruct", 4},
      {"GetDialogEnableStruct", 8},
      {"CanSimulateDLL", 4},
      {"InitUserDLL", 4},
      {"ShowWindowDLL", 4},
      {"HideWindowDLL", 4},
      {"InitSimulationDLL", 12},
      {"SimulateDLL", 24},
      {"EndSimulationDLL", 0},
      {"WriteToFile", 8},
      {"ReadFromFile", 8},
      {"DisposeUserDLL", 4},
  };
  return table;
}

EntryCaller::EntryCaller(const std::string& fileName) {
  module_ = LoadLibraryA(fileName.c_str());
  if (!module_) {
    loadError_ = GetLastError();
    return;
  }
  for (const EntryPoint& e : BlockEntryPointTable())
    if (FARPROC p = GetProcAddress(module_, e.name)) procs_[e.name] = p;
}

EntryCaller::~EntryCaller() { Unload(); }

bool EntryCaller::Unload() {
  if (!module_) return false;
  BOOL ok = FreeLibrary(module_);
  module_ = nullptr;
  procs_.clear();
  return ok != FALSE;
}

bool EntryCaller::Has(const char* name) const { return procs_.count(name) != 0; }

bool EntryCaller::MeasuresStack() { return sizeof(void*) == 4; }

namespace {

int ExpectedArgumentBytes(const std::string& name) {
  for (const EntryPoint& e : BlockEntryPointTable())
    if (name == e.name) return e.argumentBytes;
  throw std::logic_error("not an entry point: " + name);
}

#if UINTPTR_MAX != 0xFFFFFFFFu
// x86_64 has one calling convention: every argument travels as a full register or slot.
uintptr_t CallDirect(FARPROC proc, const std::vector<uintptr_t>& a) {
  using U = uintptr_t;
  void* p = reinterpret_cast<void*>(proc);
  switch (a.size()) {
    case 0:
      return reinterpret_cast<U (*)()>(p)();
    case 1:
      return reinterpret_cast<U (*)(U)>(p)(a[0]);
    case 2:
      return reinterpret_cast<U (*)(U, U)>(p)(a[0], a[1]);
    case 3:
      return reinterpret_cast<U (*)(U, U, U)>(p)(a[0], a[1], a[2]);
    case 6:
      return reinterpret_cast<U (*)(U, U, U, U, U, U)>(p)(a[0], a[1], a[2], a[3], a[4], a[5]);
    default:
      throw std::logic_error("unsupported argument count");
  }
}
#endif

}  // namespace

uintptr_t EntryCaller::Call(const char* name, std::initializer_list<uintptr_t> args) {
  auto it = procs_.find(name);
  if (it == procs_.end()) throw std::logic_error(std::string("missing entry point ") + name);
  CallRecord& record = records_[name];
  const int expected = ExpectedArgumentBytes(name);
  if (static_cast<int>(args.size()) * 4 != expected)
    throw std::logic_error(std::string("wrong argument count for ") + name);
  ++record.calls;
#if UINTPTR_MAX == 0xFFFFFFFFu
  std::vector<uint32_t> words(args.begin(), args.end());
  int32_t removed = 0;
  int32_t kept = 0;
  uint32_t result = emu_call_stdcall(reinterpret_cast<const void*>(it->second), words.data(),
                                     static_cast<int>(words.size()), &removed, &kept);
  record.lastRemoved = removed;
  if (removed != expected) ++record.wrongCleanups;
  if (!kept) ++record.clobberedRegisters;
  return result;
#else
  return CallDirect(it->second, std::vector<uintptr_t>(args));
#endif
}
