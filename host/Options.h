// Options: the command line of trazelplay, the host program that drives the block library.
#pragma once

#include <string>
#include <vector>

struct TOptions {
  bool Help = false;
  bool Demo = false;
  std::string Samples;   // samples file (x, y, control per line)
  std::string Settings;  // the block's ten settings lines
  std::string Out;       // PNG of the window; empty: none
  bool Area = false;     // the picture holds only the drawing area
  bool Repaint = false;  // the window is repainted whole before the picture is taken
  int Width = 0;         // size of the drawing area in pixels; 0: the window's own size
  int Height = 0;
  int LineWidth = 0;  // 1..10, set in the window's line width field; 0: left as it is
  std::string Title;  // the block's title, shown as the window's caption
  bool Print = false;
  bool Wait = false;
  bool Quiet = false;   // no progress display
  std::string Library;  // the block library; empty: the default for the program's bitness
};

struct TParsedOptions {
  bool Ok = false;
  std::string Error;  // what is wrong with the command line
  TOptions Options;
};

// Reads the arguments after the program name. A samples file given without --out gets a
// picture of the same name with the extension ".png" in the current folder; the demo's picture
// is "demo.png".
TParsedOptions ParseOptions(const std::vector<std::string>& args);

// "800x600" into width and height, each 1..16384; false for anything else.
bool ParseSize(const std::string& text, int& width, int& height);

// The text of --help.
std::string UsageText(const std::string& defaultLibrary);
