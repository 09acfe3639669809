// Trazel32: the entry points that the simulation host calls, and the library's load step.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "block/HostBlock.h"
#include "block/Trazel32.h"
#include "block/TrazelFm_win.h"
#include "product/Application_win.h"
#include "product/OVConfig_win.h"
#include "product/OVString_win.h"

namespace {

const char kDllName[] = "Trazel";
const char kInputChars[] = "xyS";
const char* const kInputNames[3] = {"x-Eingang", "y-Eingang", "Steuereingang"};
constexpr int kLinesInSystemFile = 10;

void ReportError(const char* text) {
  MessageBoxA(app::HostOwner(), text, "Fehler", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

#if defined(_WIN64)
// Fault injection. The x86_64 build runs only in the tests (the product is the i686 build,
// which has none of this): a test that sets TRAZEL_FAULT before it loads the library can make
// one entry point fail. "<entry point>:<n>" makes the n-th allocation inside it (window
// procedures that run meanwhile included) throw std::bad_alloc; "<entry point>:throw" makes it
// throw an exception of no standard type at once. The library sets TRAZEL_FAULT_HIT to the
// entry point's name when it did either.
namespace faults {

bool enabled = false;   // TRAZEL_FAULT was set when the library loaded
DWORD armedThread = 0;  // the thread inside the armed entry point
long countdown = 0;     // allocations until the failing one; 0: none fails
const char* armedEntry = "";

void Hit() { SetEnvironmentVariableA("TRAZEL_FAULT_HIT", armedEntry); }

void ReadSwitch() { enabled = GetEnvironmentVariableA("TRAZEL_FAULT", nullptr, 0) > 0; }

// Arms the fault for the entry point for its lifetime, as TRAZEL_FAULT says now.
class TScope {
 public:
  explicit TScope(const char* entry) {
    if (!enabled) return;
    char request[128] = {};
    GetEnvironmentVariableA("TRAZEL_FAULT", request, sizeof request);
    const size_t length = std::strlen(entry);
    if (std::strncmp(request, entry, length) != 0 || request[length] != ':') return;
    armedEntry = entry;
    if (std::strcmp(request + length + 1, "throw") == 0) {
      Hit();
      throw 1;
    }
    countdown = std::strtol(request + length + 1, nullptr, 10);
    armedThread = GetCurrentThreadId();
  }
  ~TScope() { countdown = 0; }
  TScope(const TScope&) = delete;
  TScope& operator=(const TScope&) = delete;
};

}  // namespace faults

}  // namespace

// Replaces the library's allocation (the runtime is linked in statically, so this is the
// library's own and nobody else's).
void* operator new(std::size_t size) {
  if (faults::countdown > 0 && GetCurrentThreadId() == faults::armedThread &&
      --faults::countdown == 0) {
    faults::Hit();
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
// GCC takes the free of a pointer that operator new gave for a mismatch; here it is the pair.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {
#else
namespace faults {
inline void ReadSwitch() {}
struct TScope {
  explicit TScope(const char*) {}
};
}  // namespace faults
#endif

// Runs the body of an entry point; nothing thrown inside ever reaches the host.
template <class Body>
void Guarded(const char* entry, Body&& body) noexcept {
  try {
    faults::TScope fault(entry);
    body();
  } catch (const std::exception& e) {
    ReportError(e.what());
  } catch (...) {
    ReportError("Unbekannter Fehler im Baustein Trazel.");
  }
}

// The block's window, or nullptr when it has none (its InitUserDLL failed, or the record is
// not one the library filled): the entry points then leave the block alone.
TForm1* FormOf(const void* block) {
  return FormFromSlot(hostblock::ReadField(block, hostblock::kWindowSlotOffset));
}

// File handles of the host's system file: only the low 16 bits count.
HFILE HostFile(uint32_t handle) { return static_cast<HFILE>(handle & 0xFFFFu); }

}  // namespace

extern "C" {

void __stdcall IsUserDLL32() {}

const char* __stdcall GetDLLName() { return kDllName; }

const char* __stdcall SetInputChar() { return kInputChars; }

int __stdcall NumberOfLinesInSystemFile() { return kLinesInSystemFile; }

void __stdcall GetNumberOfInputsOutputs(uint8_t* record) {
  record[0] = 3;
  record[1] = 0;
  for (int i = 0; i < 3; ++i)
    std::memcpy(record + 2 + 41 * i, kInputNames[i], std::strlen(kInputNames[i]) + 1);
}

void __stdcall GetParameterStruct(uint8_t* record) {
  record[0] = record[1] = record[2] = 0;
}

void __stdcall GetDialogEnableStruct(uint8_t* record, uint32_t) {
  const uint32_t all = 0xFFFFFFFFu;
  for (int offset : {0, 4, 8}) std::memcpy(record + offset, &all, sizeof all);
  record[12] = 1;
}

int __stdcall CanSimulateDLL(uint32_t) { return 1; }

void __stdcall InitUserDLL(uint8_t* block) {
  Guarded("InitUserDLL", [&] {
    app::SetHostOwner(reinterpret_cast<HWND>(
        static_cast<intptr_t>(static_cast<int32_t>(hostblock::ReadField(block, hostblock::kHostWindowOffset)))));
    std::unique_ptr<TForm1> made(new TForm1);
    // Handing out the slot can fail too (the x86_64 build keeps a table): the window goes then.
    hostblock::WriteField(block, hostblock::kWindowSlotOffset, FormToSlot(made.get()));
    TForm1* form = made.release();
    ShowWindow(form->Handle(), SW_SHOWNORMAL);
    UpdateWindow(form->Handle());
  });
}

void __stdcall ShowWindowDLL(uint8_t* block) {
  Guarded("ShowWindowDLL", [&] {
    if (TForm1* form = FormOf(block)) ShowWindow(form->Handle(), SW_SHOWNORMAL);
  });
}

void __stdcall HideWindowDLL(uint8_t* block) {
  Guarded("HideWindowDLL", [&] {
    if (TForm1* form = FormOf(block)) ShowWindow(form->Handle(), SW_MINIMIZE);
  });
}

void __stdcall SimulateDLL(uint32_t, uint32_t, uint32_t, uint8_t* block,
                                                 const uint8_t* inputs, uint32_t) {
  Guarded("SimulateDLL", [&] {
    if (TForm1* form = FormOf(block))
      form->Simulate(inputvector::Read(inputs, 0), inputvector::Read(inputs, 10),
                     inputvector::Read(inputs, 20));
  });
}

void __stdcall InitSimulationDLL(uint8_t* block, const uint8_t* inputs,
                                                       uint32_t) {
  Guarded("InitSimulationDLL", [&] {
    if (TForm1* form = FormOf(block))
      form->InitSimulation(hostblock::Title(block), inputvector::Read(inputs, 0),
                           inputvector::Read(inputs, 10), inputvector::Read(inputs, 20));
  });
}

// The end of a run names no block: every window shows the pixels its last steps drew.
void __stdcall EndSimulationDLL() {
  Guarded("EndSimulationDLL", [] { TForm1::ShowPendingPixels(); });
}

void __stdcall WriteToFile(uint32_t handle, uint8_t* block) {
  Guarded("WriteToFile", [&] {
    const TForm1* form = FormOf(block);
    if (!form) return;
    HFILE file = HostFile(handle);
    for (const std::string& line : SystemFileLines(form->Settings))
      _lwrite(file, line.c_str(), static_cast<UINT>(line.size()));
  });
}

void __stdcall ReadFromFile(uint32_t handle, uint8_t* block) {
  Guarded("ReadFromFile", [&] {
    HFILE file = HostFile(handle);
    TForm1* form = FormOf(block);
    if (!form) return;
    auto readByte = [file](char* into) { return static_cast<int>(_lread(file, into, 1)); };
    TReadResult result = ReadSystemFileLines(form->Settings, readByte);
    form->SettingsChanged();
    if (result.Status != TReadStatus::BadNumber) form->UpdateStatusBar();
    if (result.Status == TReadStatus::BadNumber) ReportError(result.Message.c_str());
  });
}

void __stdcall DisposeUserDLL(uint8_t* block) {
  Guarded("DisposeUserDLL", [&] {
    app::SetHostOwner(nullptr);
    uint32_t slot = hostblock::ReadField(block, hostblock::kWindowSlotOffset);
    delete FormFromSlot(slot);
    ReleaseSlot(slot);
  });
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      try {
        faults::ReadSwitch();
        app::SetModuleInstance(instance);
        ReadProductOptions();
        LoadStringLibrary(StringLibraryFolders());
        RegisterPlotWindowClasses();
      } catch (...) {
        return FALSE;
      }
      break;
    case DLL_PROCESS_DETACH:
      // Unloaded by FreeLibrary (not at process exit): no window may outlive its code.
      if (!reserved) TForm1::DestroyRemaining();
      UnregisterPlotWindowClasses();
      FreeStringLibrary();
      break;
    default:
      break;
  }
  return TRUE;
}
