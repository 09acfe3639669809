// Trazel32: the entry points that the simulation host calls, and the library's load step.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <exception>
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

// Runs the body of an entry point; nothing thrown inside ever reaches the host.
template <class Body>
void Guarded(Body&& body) noexcept {
  try {
    body();
  } catch (const std::exception& e) {
    ReportError(e.what());
  } catch (...) {
    ReportError("Unbekannter Fehler im Baustein Trazel.");
  }
}

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
  Guarded([&] {
    app::SetHostOwner(reinterpret_cast<HWND>(
        static_cast<intptr_t>(static_cast<int32_t>(hostblock::ReadField(block, hostblock::kHostWindowOffset)))));
    auto* form = new TForm1;
    hostblock::WriteField(block, hostblock::kWindowSlotOffset, FormToSlot(form));
    ShowWindow(form->Handle(), SW_SHOWNORMAL);
    UpdateWindow(form->Handle());
  });
}

void __stdcall ShowWindowDLL(uint8_t* block) {
  Guarded([&] { ShowWindow(FormOf(block)->Handle(), SW_SHOWNORMAL); });
}

void __stdcall HideWindowDLL(uint8_t* block) {
  Guarded([&] { ShowWindow(FormOf(block)->Handle(), SW_MINIMIZE); });
}

void __stdcall SimulateDLL(uint32_t, uint32_t, uint32_t, uint8_t* block,
                                                 const uint8_t* inputs, uint32_t) {
  Guarded([&] {
    FormOf(block)->Simulate(inputvector::Read(inputs, 0), inputvector::Read(inputs, 10),
                            inputvector::Read(inputs, 20));
  });
}

void __stdcall InitSimulationDLL(uint8_t* block, const uint8_t* inputs,
                                                       uint32_t) {
  Guarded([&] {
    FormOf(block)->InitSimulation(hostblock::Title(block), inputvector::Read(inputs, 0),
                                  inputvector::Read(inputs, 10), inputvector::Read(inputs, 20));
  });
}

void __stdcall EndSimulationDLL() {}

void __stdcall WriteToFile(uint32_t handle, uint8_t* block) {
  Guarded([&] {
    HFILE file = HostFile(handle);
    for (const std::string& line : SystemFileLines(FormOf(block)->Settings))
      _lwrite(file, line.c_str(), static_cast<UINT>(line.size()));
  });
}

void __stdcall ReadFromFile(uint32_t handle, uint8_t* block) {
  Guarded([&] {
    HFILE file = HostFile(handle);
    TForm1* form = FormOf(block);
    auto readByte = [file](char* into) { return static_cast<int>(_lread(file, into, 1)); };
    TReadResult result = ReadSystemFileLines(form->Settings, readByte);
    if (result.Status != TReadStatus::BadNumber) form->UpdateStatusBar();
    if (result.Status == TReadStatus::BadNumber) ReportError(result.Message.c_str());
  });
}

void __stdcall DisposeUserDLL(uint8_t* block) {
  Guarded([&] {
    app::SetHostOwner(nullptr);
    uint32_t slot = hostblock::ReadField(block, hostblock::kWindowSlotOffset);
    delete FormFromSlot(slot);
    ReleaseSlot(slot);
  });
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      try {
        app::SetModuleInstance(instance);
        ReadProductOptions();
        LoadStringLibrary();
        RegisterPlotWindowClasses();
      } catch (...) {
        return FALSE;
      }
      break;
    case DLL_PROCESS_DETACH:
      UnregisterPlotWindowClasses();
      FreeStringLibrary();
      break;
    default:
      break;
  }
  return TRUE;
}
