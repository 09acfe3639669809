// Test fixture: the block library loaded from the test program's folder as the host loads it, with
// helpers to place blocks, feed samples and look at their windows.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/HostLibrary.h"
#include "host/Screenshot.h"

class TestHost {
 public:
  TestHost();
  ~TestHost();

  const BlockEntryPoints& Api() const { return lib_->Api(); }
  BlockLibrary& Library() { return *lib_; }
  HWND HostWindow() const { return hostWindow_; }

  // Places a block: InitUserDLL on a fresh record; returns the record and its window.
  HostBlock& Place(const std::string& title = "Kennfeld 1");
  HWND WindowOf(HostBlock& block);
  void Dispose(HostBlock& block);
  // The test disposed of the block itself: the host must not do it again.
  void Forget(HostBlock& block);

  void InitRun(HostBlock& block, long double x, long double y, long double control);
  void Step(HostBlock& block, long double x, long double y, long double control);
  // EndSimulationDLL: the end of the run, for every block of the library.
  void EndRun();

 private:
  std::unique_ptr<BlockLibrary> lib_;
  HWND hostWindow_ = nullptr;
  std::vector<std::unique_ptr<HostBlock>> blocks_;
  std::vector<HWND> windows_;
};

// Lets the window system deliver what is pending (paint, size, posted messages).
void Settle(int rounds = 5);
// The simple text of a status bar window.
std::string StatusBarText(HWND statusBar);
// The drawing area of a plot window.
HWND DrawingArea(HWND plotWindow);
// What is on the screen in the drawing area of a plot window.
Image DrawingAreaPicture(HWND plotWindow);
// What the drawing area's own device context holds, shown on the screen or not yet.
Image DrawingAreaPixels(HWND plotWindow);
// Number of pixels of exactly this colour (0x00RRGGBB).
int CountColour(const Image& image, uint32_t rgb);
