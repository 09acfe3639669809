// Options: the command line of trazelplay, the host program that drives the block library.
#pragma once

#include <string>
#include <vector>

// How the picture of the window is written, by the extension of its name.
enum class TPictureFormat { Png, Bmp };

struct TOptions {
  bool Help = false;
  bool Version = false;
  bool Demo = false;
  std::string Samples;   // samples file (x, y, control per line); "-": standard input
  std::string Settings;  // the block's ten settings lines
  std::string Out;       // picture of the window; empty: none
  bool OutNamed = false;  // Out was given on the command line (an existing file is replaced)
  TPictureFormat Format = TPictureFormat::Png;
  bool Area = false;     // the picture holds only the drawing area
  bool Repaint = false;  // the window is repainted whole before the picture is taken
  int Width = 0;         // size of the drawing area in pixels; 0: the window's own size
  int Height = 0;
  int LineWidth = 0;  // 1..10, set in the window's line width field; 0: left as it is
  std::string Title;  // the block's title, shown as the window's caption
  bool Print = false;
  bool Wait = false;
  bool Quiet = false;   // no progress display and no summary
  bool Strict = false;  // a skipped line or a note fails the run
  bool Force = false;   // the default picture name may replace an existing file
  std::string Library;  // the block library; empty: the default for the program's bitness
};

struct TParsedOptions {
  bool Ok = false;
  std::string Error;  // what is wrong with the command line
  TOptions Options;
};

// Reads the arguments after the program name: options (--name VALUE, --name=VALUE, -o VALUE),
// the samples file as the one other argument, and "--" after which every argument is a file.
// Each option may be given once. A samples file given without --out gets a picture of the same
// name with the extension ".png" in the current folder; the demo's picture is "demo.png".
TParsedOptions ParseOptions(const std::vector<std::string>& args);

// "800x600" into width and height, each 1..16384; false for anything else.
bool ParseSize(const std::string& text, int& width, int& height);

// The picture format for a file name by its extension (case ignored); false for other names.
bool PictureFormatOf(const std::string& name, TPictureFormat& format);

// The text of --help.
std::string UsageText(const std::string& defaultLibrary);

// The text of --version.
std::string VersionText();
