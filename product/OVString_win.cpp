#include "product/OVString_win.h"

#include "product/Application_win.h"

namespace {

HMODULE g_stringLibrary = nullptr;

// Room for the longest text, with its terminating zero.
constexpr int kTextBuffer = 255;

// The text into buffer; false when the library is not loaded or lacks the text.
bool FetchText(UINT id, char (&buffer)[kTextBuffer]) {
  buffer[0] = '\0';
  // Without the library LoadStringA would search the host program's own resources.
  if (!g_stringLibrary) return false;
  return LoadStringA(g_stringLibrary, id, buffer, kTextBuffer) > 0;
}

// Without memory for the list the enumeration stops: the windows not listed stay enabled.
BOOL CALLBACK CollectEnabled(HWND window, LPARAM list) {
  if (IsWindowVisible(window) && IsWindowEnabled(window)) {
    try {
      reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    } catch (...) {
      return FALSE;
    }
  }
  return TRUE;
}

BOOL CALLBACK FindTopmost(HWND window, LPARAM found) {
  if (IsWindowVisible(window) && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

// The CBT hook that is in place while MessageBoxOnTop shows a box, and the box it has seen
// created. Boxes of one thread nest; each level keeps its own pair.
struct TRaiseState {
  HHOOK Hook = nullptr;
  HWND Box = nullptr;
};
TRaiseState g_raise;

bool IsDialogClass(HWND window) {
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  return lstrcmpA(className, "#32770") == 0;
}

// Remembers the box when it is created and raises it into the topmost band when it is
// activated; other windows are left alone.
LRESULT CALLBACK RaiseBoxHook(int code, WPARAM wParam, LPARAM lParam) {
  const HWND window = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_CREATEWND && !g_raise.Box && IsDialogClass(window)) g_raise.Box = window;
  if (code == HCBT_ACTIVATE && window == g_raise.Box)
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return CallNextHookEx(g_raise.Hook, code, wParam, lParam);
}

// The folder of a module's file (null: the program's), without a trailing backslash; empty when
// the name cannot be had.
std::wstring ModuleFolder(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 0x8000) return {};  // longer than any path can be
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH + 1] = L"";
  const UINT n = GetSystemDirectoryW(path, MAX_PATH + 1);
  return n > 0 && n <= MAX_PATH ? std::wstring(path, n) : std::wstring();
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A drive's folder (C:\...) or a share's (\\server\...). Any other name would be taken against
// the current folder, or the bare file name be looked for along the search path.
bool IsFullFolderName(const std::wstring& folder) {
  if (folder.size() >= 3 && folder[1] == L':' && IsSeparator(folder[2])) return true;
  return folder.size() >= 3 && IsSeparator(folder[0]) && IsSeparator(folder[1]);
}

std::wstring InFolder(const std::wstring& folder, const wchar_t* name) {
  return folder + (IsSeparator(folder.back()) ? L"" : L"\\") + name;
}

// The string library that the host program has loaded itself, with a reference of our own that
// the unload step gives back; null when there is none.
HMODULE HostsStringLibrary() {
  HMODULE module = nullptr;
  return GetModuleHandleExW(0, kStringLibraryName, &module) ? module : nullptr;
}

// A library mapped for its resources only: neither its entry point nor anything it imports runs.
HMODULE OpenForResources(const std::wstring& file) {
  return LoadLibraryExW(file.c_str(), nullptr,
                        LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
}

}  // namespace

HMODULE StringLibrary() { return g_stringLibrary; }

std::vector<std::wstring> StringLibraryFolders() {
  return {ModuleFolder(nullptr), ModuleFolder(app::ModuleInstance()), SystemFolder()};
}

void LoadStringLibrary(const std::vector<std::wstring>& folders) {
  if (g_stringLibrary) return;
  g_stringLibrary = HostsStringLibrary();
  for (const std::wstring& folder : folders) {
    if (g_stringLibrary) break;
    if (IsFullFolderName(folder))
      g_stringLibrary = OpenForResources(InFolder(folder, kStringLibraryName));
  }
}

void FreeStringLibrary() {
  if (g_stringLibrary) FreeLibrary(g_stringLibrary);
  g_stringLibrary = nullptr;
}

std::string LoadResText(UINT id) {
  char buffer[kTextBuffer];
  FetchText(id, buffer);
  return buffer;
}

std::string ResText(UINT id) { return LoadResText(id); }

int ResMessageBox(UINT textId, UINT captionId, UINT flags) {
  char text[kTextBuffer];
  char caption[kTextBuffer];
  if (FetchText(textId, text) && FetchText(captionId, caption))
    return AppMessageBox(text, caption, flags);
  return AppMessageBox("String-Resource nicht gefunden!", "Fehler", flags);
}

int AppMessageBox(const char* text, const char* caption, UINT flags) {
  TThreadWindowsDisabled modal;
  return MessageBoxOnTop(app::HostOwner(), text, caption, flags);
}

int MessageBoxOnTop(HWND owner, const char* text, const char* caption, UINT flags) {
  bool topmost = false;
  EnumThreadWindows(GetCurrentThreadId(), FindTopmost, reinterpret_cast<LPARAM>(&topmost));
  if (!topmost) return MessageBoxA(owner, text, caption, flags);
  // MB_TOPMOST alone is not enough: not every platform version honours it.
  const TRaiseState outer = g_raise;
  g_raise = {SetWindowsHookExA(WH_CBT, RaiseBoxHook, nullptr, GetCurrentThreadId()), nullptr};
  const int result = MessageBoxA(owner, text, caption, flags | MB_TOPMOST);
  if (g_raise.Hook) UnhookWindowsHookEx(g_raise.Hook);
  g_raise = outer;
  return result;
}

TThreadWindowsDisabled::TThreadWindowsDisabled() : active_(GetActiveWindow()) {
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&disabled_));
  for (HWND window : disabled_) EnableWindow(window, FALSE);
}

TThreadWindowsDisabled::~TThreadWindowsDisabled() {
  for (HWND window : disabled_)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  if (active_ && IsWindow(active_)) SetActiveWindow(active_);
}
