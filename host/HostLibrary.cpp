#include "host/HostLibrary.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "block/HostBlock.h"

const char* const kEntryPointNames[17] = {
    "IsUserDLL32",       "GetDLLName",        "SetInputChar",
    "NumberOfLinesInSystemFile", "GetNumberOfInputsOutputs", "GetParameterStruct",
    "GetDialogEnableStruct", "CanSimulateDLL", "InitUserDLL",
    "ShowWindowDLL",     "HideWindowDLL",     "InitSimulationDLL",
    "SimulateDLL",       "EndSimulationDLL",  "WriteToFile",
    "ReadFromFile",      "DisposeUserDLL"};

namespace {

template <class Fn>
void Resolve(HMODULE module, const char* name, Fn& fn, std::vector<std::string>& missing) {
  FARPROC p = GetProcAddress(module, name);
  if (!p) missing.push_back(name);
  fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

std::wstring Widened(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::string Narrowed(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &narrow[0], n,
                        nullptr, nullptr);
  return narrow;
}

// The running program's file name; empty when it cannot be had.
std::wstring ProgramFile() {
  std::wstring path(MAX_PATH, L'\0');
  while (path.size() < 0x8000) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
  return {};
}

// The full name of a file named relative to the current folder; empty when it cannot be had.
std::wstring FullName(const std::wstring& name) {
  const DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (n == 0) return {};
  std::wstring full(n, L'\0');
  const DWORD m = GetFullPathNameW(name.c_str(), n, &full[0], nullptr);
  return m > 0 && m < n ? full.substr(0, m) : std::wstring();
}

}  // namespace

std::wstring BlockLibraryPath(const std::string& option) {
  if (!option.empty()) return FullName(Widened(option));
  const std::wstring program = ProgramFile();
  if (program.empty()) return {};
  return program.substr(0, program.find_last_of(L"\\/") + 1) + Widened(kBlockLibrary);
}

BlockLibrary::BlockLibrary(const std::wstring& path) {
  // With a full name the platform looks at that file only; the libraries the block itself
  // needs come from its own folder, then the system's.
  module_ = path.empty() ? nullptr
                        : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD error = GetLastError();
  const std::string name = path.empty() ? std::string(kBlockLibrary) : Narrowed(path);
  if (!module_)
    throw std::runtime_error("cannot load " + name + " (error " + std::to_string(error) + ")");
  const char* const* n = kEntryPointNames;
  Resolve(module_, n[0], api_.IsUserDLL32, missing_);
  Resolve(module_, n[1], api_.GetDLLName, missing_);
  Resolve(module_, n[2], api_.SetInputChar, missing_);
  Resolve(module_, n[3], api_.NumberOfLinesInSystemFile, missing_);
  Resolve(module_, n[4], api_.GetNumberOfInputsOutputs, missing_);
  Resolve(module_, n[5], api_.GetParameterStruct, missing_);
  Resolve(module_, n[6], api_.GetDialogEnableStruct, missing_);
  Resolve(module_, n[7], api_.CanSimulateDLL, missing_);
  Resolve(module_, n[8], api_.InitUserDLL, missing_);
  Resolve(module_, n[9], api_.ShowWindowDLL, missing_);
  Resolve(module_, n[10], api_.HideWindowDLL, missing_);
  Resolve(module_, n[11], api_.InitSimulationDLL, missing_);
  Resolve(module_, n[12], api_.SimulateDLL, missing_);
  Resolve(module_, n[13], api_.EndSimulationDLL, missing_);
  Resolve(module_, n[14], api_.WriteToFile, missing_);
  Resolve(module_, n[15], api_.ReadFromFile, missing_);
  Resolve(module_, n[16], api_.DisposeUserDLL, missing_);
  if (!missing_.empty()) {
    FreeLibrary(module_);
    throw std::runtime_error(name + " lacks the entry point " + missing_.front());
  }
}

BlockLibrary::~BlockLibrary() {
  if (module_) FreeLibrary(module_);
}

void* AllocateLow(size_t bytes) {
  if (sizeof(void*) == 4) return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  // Walk the low address space for a free range; the host's 32-bit fields must reach it.
  for (uintptr_t at = 0x10000000u; at < 0xF0000000u; at += info.dwAllocationGranularity * 16) {
    void* p = VirtualAlloc(reinterpret_cast<void*>(at), bytes, MEM_RESERVE | MEM_COMMIT,
                           PAGE_READWRITE);
    if (p) return p;
  }
  throw std::runtime_error("no memory below 4 GiB");
}

void FreeLow(void* p) {
  if (p) VirtualFree(p, 0, MEM_RELEASE);
}

HostBlock::HostBlock(HWND hostWindow, const std::string& title) {
  record_ = static_cast<uint8_t*>(AllocateLow(kSize));  // zero-filled by the system
  title_ = static_cast<char*>(AllocateLow(4096));
  hostblock::WriteField(record_, hostblock::kHostWindowOffset,
                        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hostWindow)));
  SetTitle(title);
}

HostBlock::~HostBlock() {
  FreeLow(title_);
  FreeLow(record_);
}

uint32_t HostBlock::WindowSlot() const {
  return hostblock::ReadField(record_, hostblock::kWindowSlotOffset);
}

void HostBlock::SetTitle(const std::string& title) {
  size_t n = std::min<size_t>(title.size(), 4095);
  std::memcpy(title_, title.data(), n);
  title_[n] = '\0';
  hostblock::WriteField(record_, hostblock::kTitleOffset,
                        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(title_)));
}

void HostBlock::SetNullTitle() { hostblock::WriteField(record_, hostblock::kTitleOffset, 0); }

InputRecord::InputRecord(long double x, long double y, long double control) {
  inputvector::Write(bytes, 0, x);
  inputvector::Write(bytes, 10, y);
  inputvector::Write(bytes, 20, control);
}

namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(hwnd, msg, wp, lp);
}

struct ChildSearch {
  const char* ClassName;
  HWND Found;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<ChildSearch*>(lp);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (_stricmp(cls, search->ClassName) != 0) return TRUE;
  search->Found = hwnd;
  return FALSE;
}

BOOL CALLBACK CollectPlotWindow(HWND hwnd, LPARAM lp) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == GetCurrentProcessId() && std::strcmp(cls, "TrazelPlotWindow") == 0)
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

}  // namespace

HWND CreateHostWindow() {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvadoHost";
    return RegisterClassA(&wc) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExA(0, "OrvadoHost", "Host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND FindChild(HWND parent, const char* className) {
  ChildSearch search{className, nullptr};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

std::vector<HWND> PlotWindows() {
  std::vector<HWND> found;
  EnumWindows(CollectPlotWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindPlotWindow(const std::vector<HWND>& known) {
  for (HWND h : PlotWindows())
    if (std::find(known.begin(), known.end(), h) == known.end()) return h;
  return nullptr;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
