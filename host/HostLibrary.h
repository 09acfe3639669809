// The host side of the block interface: loads a block library, resolves its entry points and
// owns the records it hands to them, the way the simulation host does.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// File name of the block library of this build's bitness.
#if UINTPTR_MAX == 0xFFFFFFFFu
constexpr char kBlockLibrary[] = "Trazel32.dll";
#else
constexpr char kBlockLibrary[] = "Trazel64.dll";
#endif

// Entry points as the host calls them (stdcall; arguments are 32-bit words on i686).
struct BlockEntryPoints {
  void(__stdcall* IsUserDLL32)() = nullptr;
  const char*(__stdcall* GetDLLName)() = nullptr;
  const char*(__stdcall* SetInputChar)() = nullptr;
  int(__stdcall* NumberOfLinesInSystemFile)() = nullptr;
  void(__stdcall* GetNumberOfInputsOutputs)(uint8_t*) = nullptr;
  void(__stdcall* GetParameterStruct)(uint8_t*) = nullptr;
  void(__stdcall* GetDialogEnableStruct)(uint8_t*, uint32_t) = nullptr;
  int(__stdcall* CanSimulateDLL)(uint32_t) = nullptr;
  void(__stdcall* InitUserDLL)(uint8_t*) = nullptr;
  void(__stdcall* ShowWindowDLL)(uint8_t*) = nullptr;
  void(__stdcall* HideWindowDLL)(uint8_t*) = nullptr;
  void(__stdcall* InitSimulationDLL)(uint8_t*, const uint8_t*, uint32_t) = nullptr;
  void(__stdcall* SimulateDLL)(uint32_t, uint32_t, uint32_t, uint8_t*, const uint8_t*,
                               uint32_t) = nullptr;
  void(__stdcall* EndSimulationDLL)() = nullptr;
  void(__stdcall* WriteToFile)(uint32_t, uint8_t*) = nullptr;
  void(__stdcall* ReadFromFile)(uint32_t, uint8_t*) = nullptr;
  void(__stdcall* DisposeUserDLL)(uint8_t*) = nullptr;
};

// Names of the 17 entry points, in the order of BlockEntryPoints.
extern const char* const kEntryPointNames[17];

// Full name of the block library to load: the file that option names (relative to the current
// folder), or kBlockLibrary in the running program's folder when option is empty. Never a bare
// file name: the platform would look for it along the search path, current folder included.
std::wstring BlockLibraryPath(const std::string& option);

class BlockLibrary {
 public:
  // Loads the library from its full file name (by default the one beside the running program).
  // Throws on failure.
  explicit BlockLibrary(const std::wstring& path = BlockLibraryPath({}));
  ~BlockLibrary();
  BlockLibrary(const BlockLibrary&) = delete;
  BlockLibrary& operator=(const BlockLibrary&) = delete;

  const BlockEntryPoints& Api() const { return api_; }
  HMODULE Module() const { return module_; }
  // Names of entry points that GetProcAddress did not find.
  const std::vector<std::string>& Missing() const { return missing_; }

 private:
  HMODULE module_ = nullptr;
  BlockEntryPoints api_;
  std::vector<std::string> missing_;
};

// Memory below 4 GiB, where 32-bit fields of the host record can point.
void* AllocateLow(size_t bytes);
void FreeLow(void* p);

// One placed block: its zero-filled host record (with the title below 4 GiB).
class HostBlock {
 public:
  static constexpr size_t kSize = 6144;
  HostBlock(HWND hostWindow, const std::string& title);
  ~HostBlock();
  HostBlock(const HostBlock&) = delete;
  HostBlock& operator=(const HostBlock&) = delete;

  uint8_t* Record() { return record_; }
  uint32_t WindowSlot() const;
  void SetTitle(const std::string& title);
  void SetNullTitle();

 private:
  uint8_t* record_ = nullptr;
  char* title_ = nullptr;
};

// Three inputs of one step as 10-byte extended floats.
struct InputRecord {
  uint8_t bytes[30] = {};
  InputRecord(long double x, long double y, long double control);
};

// The block's plot window: the enabled top-level window of this process with the
// plot window's class that is not in `known`.
HWND FindPlotWindow(const std::vector<HWND>& known = {});
std::vector<HWND> PlotWindows();

// A plain top-level window that stands for the simulation host's main window.
HWND CreateHostWindow();

// The first child window of parent, at any depth, with this class name (case ignored), or null.
HWND FindChild(HWND parent, const char* className);

// Runs the thread's pending messages (non-blocking).
void PumpMessages();
