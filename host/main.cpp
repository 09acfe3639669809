// trazelplay: a small host for the Trazel block library. It loads the library by name as
// the simulation host does, places a block and saves a picture of the block's window.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "host/HostLibrary.h"
#include "host/Screenshot.h"

namespace {

#if UINTPTR_MAX == 0xFFFFFFFFu
const char kDefaultLibrary[] = "Trazel32.dll";
#else
const char kDefaultLibrary[] = "Trazel64.dll";
#endif

struct Options {
  std::string library = kDefaultLibrary;
  std::string out = "window.png";
  bool wait = false;
};

void Usage() {
  std::printf(
      "usage: trazelplay [--dll LIBRARY] [--out PICTURE.png] [--wait]\n"
      "  --dll LIBRARY   block library to load by name (default %s)\n"
      "  --out FILE      PNG file for the picture of the block's window (default window.png)\n"
      "  --wait          keep the window open until it is closed from the task bar or Ctrl+C\n",
      kDefaultLibrary);
}

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--dll" && i + 1 < argc) o.library = argv[++i];
    else if (a == "--out" && i + 1 < argc) o.out = argv[++i];
    else if (a == "--wait") o.wait = true;
    else return false;
  }
  return true;
}

void Settle() {
  for (int i = 0; i < 20; ++i) {
    PumpMessages();
    Sleep(10);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!Parse(argc, argv, o)) {
    Usage();
    return 2;
  }
  try {
    BlockLibrary lib(o.library);
    const BlockEntryPoints& api = lib.Api();
    HostBlock block(nullptr, "Kennfeld");
    api.InitUserDLL(block.Record());
    Settle();
    HWND plot = FindPlotWindow();
    if (!plot) throw std::runtime_error("the block opened no window");
    Image picture = CaptureWindow(plot, false);
    std::string error;
    if (!SavePng(picture, o.out, &error)) throw std::runtime_error(error);
    std::printf("%s: %dx%d window saved to %s\n", api.GetDLLName(), picture.Width, picture.Height,
                o.out.c_str());
    if (o.wait) {
      MSG msg;
      while (IsWindow(plot) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    api.DisposeUserDLL(block.Record());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "trazelplay: %s\n", e.what());
    return 1;
  }
  return 0;
}
