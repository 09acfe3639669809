// BlockSession: one block of a block library, placed and driven through its entry points the way
// the simulation host drives it: window, settings read from a file handle, a simulation run,
// the print button, and a picture of what the window shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "host/HostLibrary.h"
#include "host/Samples.h"
#include "host/Screenshot.h"

class TBlockSession {
 public:
  // InitUserDLL: places the block; throws when it opens no window.
  TBlockSession(BlockLibrary& library, const std::string& title);
  // DisposeUserDLL.
  ~TBlockSession();
  TBlockSession(const TBlockSession&) = delete;
  TBlockSession& operator=(const TBlockSession&) = delete;

  HWND Window() const { return window_; }
  // The window's drawing area, the child window the picture is drawn on.
  HWND DrawingArea() const;

  // Sizes the window so that its drawing area has width x height pixels, and moves it where
  // it lies wholly on the screen. Throws when it cannot fit on the screen.
  void SetDrawingAreaSize(int width, int height);

  // Sets the window's line width field (its up-down control) as a user would.
  void SetLineWidth(int width);

  // ReadFromFile with the lines of a settings file: the file itself when it holds them as the
  // block reads them (lines), else a temporary copy that does. Throws when no file opens.
  void ReadSettings(const std::string& path, const std::string& lines, bool useFileItself);

  // InitSimulationDLL with the first sample, SimulateDLL with every later one, EndSimulationDLL.
  void Begin(const TSample& first);
  void Step(const TSample& sample);
  void End();

  // Repaints the whole window, as when it is uncovered.
  void Repaint();
  // Lets the window system deliver what is pending (paint, size, posted messages).
  static void Settle();

  // What the window shows: its client area (toolbar, drawing area, status bar) or only the
  // drawing area, read from the window itself.
  Image Picture(bool drawingAreaOnly) const;

  // The window's print button (the second button of its toolbar). Throws when there is none.
  void ClickPrint();

  // Runs the window until the user closes it (a plot window minimises then) or it is gone.
  void WaitUntilClosed();

 private:
  BlockLibrary& library_;
  HostBlock block_;
  HWND window_ = nullptr;
};
