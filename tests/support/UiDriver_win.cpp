#include "support/UiDriver_win.h"

#include <chrono>

namespace uitest {

namespace {

constexpr int kPollMs = 5;

struct TFindState {
  const std::function<bool(HWND)>* Pred;
  HWND Found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM state) {
  auto* find = reinterpret_cast<TFindState*>(state);
  if (IsWindowVisible(window) && (*find->Pred)(window)) {
    find->Found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectChildren(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

std::vector<HWND> ChildrenOf(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChildren, reinterpret_cast<LPARAM>(&children));
  return children;
}

}  // namespace

bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(kPollMs);
  }
  return true;
}

void PumpPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& cond, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    PumpPending();
    if (cond()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
  }
}

std::string WindowText(HWND window) {
  char buffer[1024] = "";
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

std::string ClassOf(HWND window) {
  char buffer[64] = "";
  GetClassNameA(window, buffer, sizeof buffer);
  return buffer;
}

HWND FocusOf(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

HWND FindThreadWindow(DWORD thread, const std::function<bool(HWND)>& pred) {
  TFindState state{&pred, nullptr};
  EnumThreadWindows(thread, FindProc, reinterpret_cast<LPARAM>(&state));
  return state.Found;
}

// Like a form of a real program, the test window gives the focus back to the control that had
// it when the window is activated again.
LRESULT CALLBACK TestWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  static const char kFocusProp[] = "UiTestFocus";
  if (msg == WM_ACTIVATE) {
    if (LOWORD(wParam) == WA_INACTIVE) {
      HWND focus = GetFocus();
      if (focus && IsChild(window, focus)) SetPropA(window, kFocusProp, focus);
      return 0;
    }
    HWND saved = static_cast<HWND>(GetPropA(window, kFocusProp));
    if (saved && IsWindow(saved) && IsChild(window, saved)) {
      SetFocus(saved);
      return 0;
    }
  }
  if (msg == WM_NCDESTROY) RemovePropA(window, kFocusProp);
  return DefWindowProcA(window, msg, wParam, lParam);
}

HWND CreateTestWindow(const char* title, DWORD exStyle, bool visible) {
  static const ATOM kClass = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "UiTestWindow";
    return RegisterClassA(&wc);
  }();
  HWND window = CreateWindowExA(exStyle, MAKEINTATOM(kClass), title, WS_OVERLAPPEDWINDOW, 100, 100,
                                400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (visible) {
    ShowWindow(window, SW_SHOW);
    SetActiveWindow(window);
  }
  return window;
}

std::string ProgramFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

void ReactivateAfterBox(HWND window) {
  if (PumpUntil([&] { return GetActiveWindow() == window; }, 300)) return;
  if (GetActiveWindow() == nullptr) SetForegroundWindow(window);
  PumpUntil([&] { return GetActiveWindow() == window; }, 300);
}

void TypeText(HWND control, const std::string& text) {
  for (char ch : text) PostMessageA(control, WM_CHAR, static_cast<unsigned char>(ch), 1);
}

void PressKey(HWND control, UINT virtualKey) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16;
  PostMessageA(control, WM_KEYDOWN, virtualKey, scan | 1);
  PostMessageA(control, WM_KEYUP, virtualKey, scan | 1 | (1LL << 30) | (1LL << 31));
}

void PressAlt(HWND control, char letter) {
  PostMessageA(control, WM_SYSCHAR, static_cast<unsigned char>(letter), 1 | (1 << 29));
}

bool IsMessageBox(HWND window) {
  if (ClassOf(window) != "#32770") return false;
  bool hasText = false;
  for (HWND child : ChildrenOf(window)) {
    const std::string cls = ClassOf(child);
    if (cls != "Static" && cls != "Button") return false;
    if (cls == "Static" && GetDlgCtrlID(child) == 0xFFFF) hasText = true;
  }
  return hasText;
}

TBoxInfo ReadBox(HWND box) {
  TBoxInfo info;
  info.Box = box;
  info.Caption = WindowText(box);
  info.Owner = GetWindow(box, GW_OWNER);
  info.Topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  const HICON warning = LoadIcon(nullptr, IDI_WARNING);
  for (HWND child : ChildrenOf(box)) {
    const std::string cls = ClassOf(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (cls == "Static" && GetDlgCtrlID(child) == 0xFFFF) info.Text = WindowText(child);
    if (cls == "Static" && (style & SS_TYPEMASK) == SS_ICON)
      info.WarningIcon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == warning;
    if (cls == "Button" && (style & WS_VISIBLE)) info.Buttons.push_back(GetDlgCtrlID(child));
  }
  return info;
}

void CloseBox(HWND box, int button) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

TBoxWatcher::TBoxWatcher(DWORD thread, TProbe probe)
    : thread_(thread), probe_(std::move(probe)), worker_([this] { Run(); }) {}

TBoxWatcher::~TBoxWatcher() {
  stop_ = true;
  worker_.join();
}

std::vector<TBoxInfo> TBoxWatcher::Boxes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

size_t TBoxWatcher::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_.size();
}

void TBoxWatcher::Run() {
  HWND last = nullptr;
  HWND lastMenu = nullptr;
  while (!stop_) {
    const HWND menu = FindThreadWindow(thread_, [](HWND w) { return ClassOf(w) == "#32768"; });
    if (menu && menu != lastMenu) {
      ++menus_;
      lastMenu = menu;
    }
    // The menu's own loop reads the keys of the whole thread.
    if (menu) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    const HWND box = FindThreadWindow(thread_, IsMessageBox);
    // A closed box may still be listed for a moment; each box counts once.
    if (box && box != last) {
      const TBoxInfo info = ReadBox(box);
      if (probe_) probe_(info);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        boxes_.push_back(info);
      }
      last = box;
      CloseBox(box);
    }
    Sleep(kPollMs);
  }
}

TDriver::TDriver(DWORD uiThread, std::function<void()> script)
    : worker_([uiThread, script = std::move(script)] {
        script();
        // Whatever the script left open is cancelled, so that the modal loop returns.
        auto openDialog = [uiThread] {
          return FindThreadWindow(uiThread, [](HWND w) { return ClassOf(w) == "#32770"; });
        };
        if (!WaitFor([&] { return openDialog() == nullptr; }, 2000)) {
          for (int i = 0; i < 20; ++i) {
            const HWND dialog = openDialog();
            if (!dialog) break;
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            WaitFor([&] { return openDialog() != dialog; }, 200);
          }
        }
      }) {}

TDriver::~TDriver() { Join(); }

void TDriver::Join() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace uitest
