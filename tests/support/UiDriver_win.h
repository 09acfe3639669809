// UiDriver: drives windows of the test thread from a second thread, the way a user would, while
// the test thread sits in a modal loop (a dialog, a message box); and reads the message boxes
// that open, then closes them.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace uitest {

// Polls cond every few milliseconds until it holds; false on timeout.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 3000);
// Runs the calling thread's messages until cond holds; false on timeout.
bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 3000);
// Runs the messages that are waiting now.
void PumpPending();

// Text of a window of any thread of this process.
std::string WindowText(HWND window);
// The window that has the keyboard focus in the given thread.
HWND FocusOf(DWORD thread);
// The first visible top-level window of the thread for which pred holds.
HWND FindThreadWindow(DWORD thread, const std::function<bool(HWND)>& pred);
std::string ClassOf(HWND window);

// A plain top-level window of the calling thread (DefWindowProc), shown and activated unless
// visible is false.
HWND CreateTestWindow(const char* title, DWORD exStyle = 0, bool visible = true);

// Folder of the test program, with a trailing backslash.
std::string ProgramFolder();

// Waits until window is active again after a box it owned has closed. Without a window manager
// the display sometimes leaves no window active at all; then window is activated here, as the
// user would click on it.
void ReactivateAfterBox(HWND window);

// Posts one WM_CHAR per character to control.
void TypeText(HWND control, const std::string& text);
// Posts a key press (WM_KEYDOWN, WM_KEYUP) to control.
void PressKey(HWND control, UINT virtualKey);
// Posts Alt+letter (WM_SYSCHAR) to control, as a keyboard mnemonic.
void PressAlt(HWND control, char letter);

// A message box as it was shown.
struct TBoxInfo {
  HWND Box = nullptr;
  std::string Text;
  std::string Caption;
  HWND Owner = nullptr;
  bool WarningIcon = false;   // the exclamation icon of MB_ICONWARNING
  std::vector<int> Buttons;   // ids of the visible buttons (IDOK only for MB_OK)
  bool Topmost = false;
};

// A top-level dialog that holds only a text, an icon and buttons.
bool IsMessageBox(HWND window);
TBoxInfo ReadBox(HWND box);
// Clicks the button id of a message box.
void CloseBox(HWND box, int button = IDOK);

// Watches the thread for message boxes from a second thread. Each box is read, probe runs
// (on the watcher's thread, while the box is still open), then the box is closed with IDOK.
// A popup menu that opens meanwhile is counted and closed, so that it cannot hang a test.
class TBoxWatcher {
 public:
  using TProbe = std::function<void(const TBoxInfo&)>;
  explicit TBoxWatcher(DWORD thread, TProbe probe = {});
  ~TBoxWatcher();
  TBoxWatcher(const TBoxWatcher&) = delete;
  TBoxWatcher& operator=(const TBoxWatcher&) = delete;

  std::vector<TBoxInfo> Boxes() const;
  size_t Count() const;
  int MenusClosed() const { return menus_; }

 private:
  void Run();

  DWORD thread_;
  TProbe probe_;
  std::atomic<bool> stop_{false};
  std::atomic<int> menus_{0};
  mutable std::mutex mutex_;
  std::vector<TBoxInfo> boxes_;
  std::thread worker_;
};

// Runs script on a second thread while the test thread runs a modal loop. When the script has
// ended (or failed), every dialog of the test thread that is still open gets IDCANCEL, so a
// faulty test cannot hang. Join waits for the script.
class TDriver {
 public:
  TDriver(DWORD uiThread, std::function<void()> script);
  ~TDriver();
  TDriver(const TDriver&) = delete;
  TDriver& operator=(const TDriver&) = delete;
  void Join();

 private:
  std::thread worker_;
};

}  // namespace uitest
