// A host program for the library-planting tests. It loads the block library from the full file
// name it is given, as the simulation host does (after a string library of its own, when asked),
// places one block and asks the block's line width field for its range: the message that the
// block composes from the host's string library. It prints the message's caption and, with a
// string library of its own, whether that library was released with the block.
//
//   planting_host BLOCK [--preload STRINGLIBRARY]
//
// Exits 0 after one message, 1 when the block did not load or showed no message.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "host/BlockSession_win.h"
#include "host/BoxWatcher_win.h"
#include "host/HostLibrary.h"

namespace {

// The caption of the range message of the block's line width field.
std::string RangeCaption(BlockLibrary& library) {
  TBlockSession session(library, "Kennfeld");
  const HWND field = FindChild(session.Window(), "Edit");
  if (!field) throw std::runtime_error("the block's window has no line width field");
  std::mutex mutex;
  std::string caption;
  TBoxWatcher watcher(GetCurrentThreadId(), [&](const std::string& c, const std::string&) {
    std::lock_guard<std::mutex> lock(mutex);
    caption = c;
  });
  PostMessageA(field, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
  PostMessageA(field, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
  const ULONGLONG start = GetTickCount64();
  while (watcher.Count() == 0 && GetTickCount64() - start < 10000) {
    PumpMessages();
    Sleep(10);
  }
  PumpMessages();
  if (watcher.Count() == 0) throw std::runtime_error("the block showed no range message");
  std::lock_guard<std::mutex> lock(mutex);
  return caption;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool preload = argc == 4 && std::wstring(argv[2]) == L"--preload";
  if (argc != 2 && !preload) {
    std::fprintf(stderr, "usage: planting_host BLOCK [--preload STRINGLIBRARY]\n");
    return 2;
  }
  const HMODULE own = preload ? LoadLibraryW(argv[3]) : nullptr;
  if (preload && !own) {
    std::fprintf(stderr, "cannot load the host's string library\n");
    return 1;
  }
  try {
    {
      BlockLibrary library(argv[1]);
      std::printf("caption: %s\n", RangeCaption(library).c_str());
    }
    if (own) {
      FreeLibrary(own);
      std::printf("host library %s\n",
                  GetModuleHandleW(L"OVSTRING5.DLL") ? "still loaded" : "released");
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "planting_host: %s\n", e.what());
    return 1;
  }
}
