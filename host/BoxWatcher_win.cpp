#include "host/BoxWatcher_win.h"

#include <cstring>
#include <vector>

namespace {

// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

std::string TextOf(HWND window) {
  char text[2048] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool IsDialog(HWND hwnd) {
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  return std::strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd);
}

}  // namespace

TBoxWatcher::TBoxWatcher(DWORD uiThread, TReport report)
    : uiThread_(uiThread), report_(std::move(report)), worker_([this] { Run(); }) {}

TBoxWatcher::~TBoxWatcher() {
  stop_ = true;
  worker_.join();
}

BOOL CALLBACK TBoxWatcher::Visit(HWND hwnd, LPARAM self) {
  if (IsDialog(hwnd)) reinterpret_cast<std::vector<HWND>*>(self)->push_back(hwnd);
  return TRUE;
}

void TBoxWatcher::Run() {
  while (!stop_) {
    std::vector<HWND> boxes;
    EnumThreadWindows(uiThread_, Visit, reinterpret_cast<LPARAM>(&boxes));
    for (auto it = closing_.begin(); it != closing_.end();)
      it = IsWindow(*it) ? std::next(it) : closing_.erase(it);
    for (HWND box : boxes)
      if (closing_.insert(box).second) Close(box);
    Sleep(50);
  }
}

void TBoxWatcher::Close(HWND box) {
  ++count_;
  HWND text = GetDlgItem(box, kMessageTextId);
  if (report_) report_(TextOf(box), text ? TextOf(text) : std::string());
  int button = IDCANCEL;
  for (int id : {IDOK, IDCANCEL, IDNO, IDABORT})
    if (GetDlgItem(box, id)) {
      button = id;
      break;
    }
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}
