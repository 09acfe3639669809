#include "host/Options.h"

#include <cstdlib>

namespace {

// The file name without folder and extension.
std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name.empty() ? "trazelplay" : name;
}

bool IsDigits(const std::string& text) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

TParsedOptions Fail(const std::string& error) {
  TParsedOptions p;
  p.Error = error;
  return p;
}

// Options without a value, and options with one.
struct TFlag {
  const char* Name;
  bool TOptions::*Field;
};
const TFlag kFlags[] = {
    {"--help", &TOptions::Help},   {"-h", &TOptions::Help},     {"/?", &TOptions::Help},
    {"--demo", &TOptions::Demo},   {"--area", &TOptions::Area}, {"--repaint", &TOptions::Repaint},
    {"--print", &TOptions::Print}, {"--wait", &TOptions::Wait}, {"--quiet", &TOptions::Quiet},
};
struct TText {
  const char* Name;
  std::string TOptions::*Field;
};
const TText kTexts[] = {
    {"--samples", &TOptions::Samples}, {"--settings", &TOptions::Settings},
    {"--out", &TOptions::Out},         {"--title", &TOptions::Title},
    {"--dll", &TOptions::Library},
};

// Reads the option at args[i] (and its value, moving i on); an empty text when it is good.
std::string ReadOption(const std::vector<std::string>& args, size_t& i, TOptions& o) {
  const std::string& a = args[i];
  for (const TFlag& f : kFlags)
    if (a == f.Name) {
      o.*f.Field = true;
      return "";
    }
  const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
  for (const TText& t : kTexts)
    if (a == t.Name) {
      if (!hasValue) return a + " needs a value";
      o.*t.Field = args[++i];
      return "";
    }
  if (a == "--size") {
    if (!hasValue) return "--size needs a value such as 800x600";
    if (!ParseSize(args[++i], o.Width, o.Height))
      return "--size '" + args[i] + "': expected WIDTHxHEIGHT in pixels, such as 800x600";
    return "";
  }
  if (a == "--line-width") {
    if (!hasValue) return "--line-width needs a value from 1 to 10";
    const std::string& w = args[++i];
    if (!IsDigits(w) || std::atoi(w.c_str()) < 1 || std::atoi(w.c_str()) > 10)
      return "--line-width '" + w + "': expected a line width from 1 to 10";
    o.LineWidth = std::atoi(w.c_str());
    return "";
  }
  return "unknown option '" + a + "'";
}

}  // namespace

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  const std::string w = text.substr(0, x), h = text.substr(x + 1);
  if (!IsDigits(w) || !IsDigits(h)) return false;
  const int wv = std::atoi(w.c_str()), hv = std::atoi(h.c_str());
  if (wv < 1 || hv < 1 || wv > 16384 || hv > 16384) return false;
  width = wv;
  height = hv;
  return true;
}

TParsedOptions ParseOptions(const std::vector<std::string>& args) {
  TParsedOptions parsed;
  TOptions& o = parsed.Options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string error = ReadOption(args, i, o);
    if (!error.empty()) return Fail(error);
  }
  parsed.Ok = true;
  if (o.Help) return parsed;
  if (!o.Demo && o.Samples.empty() && o.Settings.empty())
    return Fail("nothing to show: give --demo, --samples FILE or --settings FILE");
  if (o.Out.empty() && !o.Print && !o.Wait)
    o.Out = (o.Demo ? std::string("demo") : BaseName(o.Samples.empty() ? o.Settings : o.Samples)) +
            ".png";
  if (o.Title.empty())
    o.Title = o.Demo ? "Motorkennfeld" : BaseName(o.Samples.empty() ? o.Settings : o.Samples);
  return parsed;
}

std::string UsageText(const std::string& defaultLibrary) {
  return "usage: trazelplay [options]\n"
         "\n"
         "Loads the block library as the simulation host does, places one block, reads its\n"
         "settings, runs a simulation through it and saves a picture of the block's window.\n"
         "\n"
         "  --demo             the demo: torque curves of an engine at five throttle settings,\n"
         "                     traced over the engine map in demo/ (settings and samples from\n"
         "                     there unless --settings or --samples are given)\n"
         "  --samples FILE     replay the steps of a samples file: one step per line, x, y and\n"
         "                     control separated by commas (or semicolons, tabs or blanks),\n"
         "                     \".\" as the decimal point; two values mean control 0 (pen down).\n"
         "                     The first line may hold column names, lines starting with \"#\"\n"
         "                     are comments. A bad line is reported with its number and skipped.\n"
         "                     The pen is down while control < 2.5; a rise through 2.5 begins\n"
         "                     a new trace.\n"
         "  --settings FILE    the block's ten settings lines as the host's system file holds\n"
         "                     them: XMin, XMax, YMin, YMax, OriginX, OriginY, SizeX, SizeY\n"
         "                     (percent of the drawing area), ShowAxes (0/1), background picture\n"
         "                     (.wmf or bitmap; a relative name is taken from FILE's folder).\n"
         "                     The block reads them through its ReadFromFile entry point.\n"
         "  --out FILE.png     save the picture of the window after the run. Default without\n"
         "                     --out, --print and --wait: the samples (or settings) file's name\n"
         "                     with .png, in the current folder; demo.png for the demo\n"
         "  --area             the picture holds only the drawing area, without toolbar and\n"
         "                     status bar (for documents)\n"
         "  --repaint          repaint the whole window after the run, before the picture:\n"
         "                     the picture then shows the full redraw from the stored traces\n"
         "                     rather than the segments drawn step by step\n"
         "  --size WxH         size of the drawing area in pixels, e.g. 800x560 (default: the\n"
         "                     window's own size); the window must fit on the screen\n"
         "  --line-width N     line width of the curves, 1 to 10, set in the window's line\n"
         "                     width field before the run, as a user would\n"
         "  --title TEXT       the block's title, shown as the window's caption\n"
         "  --print            after the run, print the picture on the default printer (the\n"
         "                     window's print button)\n"
         "  --wait             keep the window open after the run until it is closed (closing\n"
         "                     minimises a plot window, which ends the program) or Ctrl+C\n"
         "  --quiet            no progress display for long replays\n"
         "  --dll LIBRARY      the block library to load (default " +
         defaultLibrary +
         " from the program's\n"
         "                     folder; a file named here is taken as named)\n"
         "  --help             this text\n"
         "\n"
         "Exit status: 0 done (bad lines of a samples file are skipped and reported),\n"
         "1 failed (library, files, picture, printing or an error the block reported),\n"
         "2 wrong command line.\n";
}
