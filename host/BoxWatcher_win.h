// BoxWatcher: in a run without anyone at the screen, a message box of the block would wait
// forever. The watcher reads every message box that opens on the block's thread, hands its
// text on, and closes it as its OK (or Cancel) button would.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>

class TBoxWatcher {
 public:
  // report gets the caption and the text of each box, on the watcher's own thread.
  using TReport = std::function<void(const std::string& caption, const std::string& text)>;

  TBoxWatcher(DWORD uiThread, TReport report);
  ~TBoxWatcher();
  TBoxWatcher(const TBoxWatcher&) = delete;
  TBoxWatcher& operator=(const TBoxWatcher&) = delete;

  // Boxes seen so far.
  int Count() const { return count_; }

 private:
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM self);
  void Run();
  void Close(HWND box);

  DWORD uiThread_;
  TReport report_;
  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  std::set<HWND> closing_;  // boxes already reported, until they are gone
  std::thread worker_;
};
