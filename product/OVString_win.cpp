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

}  // namespace

HMODULE StringLibrary() { return g_stringLibrary; }

void LoadStringLibrary() {
  if (!g_stringLibrary) g_stringLibrary = LoadLibraryA(kStringLibraryName);
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
