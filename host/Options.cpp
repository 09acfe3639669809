#include "host/Options.h"

#include <cstdlib>
#include <set>

#include "TrazelVersion.h"

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

// An option: a switch (Flag), a text (Text), or one whose value is checked by name (neither).
struct TOptionDef {
  const char* Name;
  const char* Short;  // a second spelling, or nullptr
  bool TOptions::*Flag;
  std::string TOptions::*Text;
};
const TOptionDef kOptionDefs[] = {
    {"--help", "-h", &TOptions::Help, nullptr},
    {"--version", nullptr, &TOptions::Version, nullptr},
    {"--demo", nullptr, &TOptions::Demo, nullptr},
    {"--samples", nullptr, nullptr, &TOptions::Samples},
    {"--settings", nullptr, nullptr, &TOptions::Settings},
    {"--out", "-o", nullptr, &TOptions::Out},
    {"--area", nullptr, &TOptions::Area, nullptr},
    {"--repaint", nullptr, &TOptions::Repaint, nullptr},
    {"--size", nullptr, nullptr, nullptr},
    {"--line-width", nullptr, nullptr, nullptr},
    {"--title", nullptr, nullptr, &TOptions::Title},
    {"--print", nullptr, &TOptions::Print, nullptr},
    {"--wait", nullptr, &TOptions::Wait, nullptr},
    {"--quiet", nullptr, &TOptions::Quiet, nullptr},
    {"--strict", nullptr, &TOptions::Strict, nullptr},
    {"--force", nullptr, &TOptions::Force, nullptr},
    {"--dll", nullptr, nullptr, &TOptions::Library},
};

const TOptionDef* FindOption(const std::string& name) {
  if (name == "/?") return &kOptionDefs[0];  // the platform's own way to ask for help
  for (const TOptionDef& s : kOptionDefs)
    if (name == s.Name || (s.Short && name == s.Short)) return &s;
  return nullptr;
}

// Sets the option with its value (given: the option as written); an empty text when it is good.
std::string SetValue(const TOptionDef& def, const std::string& given, const std::string& value,
                     TOptions& o) {
  const std::string name = def.Name;
  if (def.Text) {
    o.*def.Text = value;
    return "";
  }
  if (name == "--size" && !ParseSize(value, o.Width, o.Height))
    return given + " '" + value + "': expected WIDTHxHEIGHT in pixels, such as 800x600";
  if (name == "--line-width") {
    if (!IsDigits(value) || std::atoi(value.c_str()) < 1 || std::atoi(value.c_str()) > 10)
      return given + " '" + value + "': expected a line width from 1 to 10";
    o.LineWidth = std::atoi(value.c_str());
  }
  return "";
}

const char* ValueHint(const std::string& name) {
  if (name == "--size") return " such as 800x600";
  if (name == "--line-width") return " from 1 to 10";
  return "";
}

// Reads the option at args[i] (and its value, moving i on); an empty text when it is good.
std::string ReadOption(const std::vector<std::string>& args, size_t& i, TOptions& o,
                       std::set<std::string>& seen) {
  std::string given = args[i], value;
  const size_t equals = given.find('=');
  const bool inlineValue = given.compare(0, 2, "--") == 0 && equals != std::string::npos;
  if (inlineValue) {
    value = given.substr(equals + 1);
    given.resize(equals);
  }
  const TOptionDef* def = FindOption(given);
  if (!def) return "unknown option '" + args[i] + "'";
  if (!seen.insert(def->Name).second) return given + " is given twice";
  if (def->Flag) {
    if (inlineValue) return given + " takes no value";
    o.*def->Flag = true;
    return "";
  }
  if (!inlineValue && i + 1 < args.size()) value = args[++i];
  if (value.empty()) return given + " needs a value" + ValueHint(def->Name);
  if (def->Text == &TOptions::Out) o.OutNamed = true;
  return SetValue(*def, given, value, o);
}

// The samples file given as a plain argument.
std::string ReadFileArgument(const std::string& name, TOptions& o, std::set<std::string>& seen) {
  if (name.empty()) return "an empty file name";
  if (!seen.insert("--samples").second)
    return "a second samples file '" + name + "' (one samples file per run)";
  o.Samples = name;
  return "";
}

// What the command line means beyond its single options.
TParsedOptions Complete(TParsedOptions parsed) {
  TOptions& o = parsed.Options;
  if (o.Help || o.Version) return parsed;
  if (!o.Demo && o.Samples.empty() && o.Settings.empty())
    return Fail("nothing to show: give --demo, a samples file or --settings FILE");
  const bool fromInput = o.Samples == "-" && !o.Demo;
  if (o.Out.empty() && !o.Print && !o.Wait) {
    if (fromInput) return Fail("samples from standard input need -o FILE for the picture");
    o.Out = (o.Demo ? std::string("demo") : BaseName(o.Samples.empty() ? o.Settings : o.Samples)) +
            ".png";
  }
  if (!o.Out.empty() && !PictureFormatOf(o.Out, o.Format))
    return Fail("--out '" + o.Out + "': a picture is written as .png or .bmp; give a name "
                "that ends in one of them");
  if (o.Title.empty())
    o.Title = o.Demo ? "Motorkennfeld"
                     : (fromInput ? "trazelplay"
                                  : BaseName(o.Samples.empty() ? o.Settings : o.Samples));
  return parsed;
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

bool PictureFormatOf(const std::string& name, TPictureFormat& format) {
  const size_t dot = name.find_last_of('.');
  const size_t slash = name.find_last_of("\\/:");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string extension = name.substr(dot + 1);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (extension == "png") {
    format = TPictureFormat::Png;
  } else if (extension == "bmp") {
    format = TPictureFormat::Bmp;
  } else {
    return false;
  }
  return true;
}

TParsedOptions ParseOptions(const std::vector<std::string>& args) {
  TParsedOptions parsed;
  std::set<std::string> seen;
  bool filesOnly = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (!filesOnly && a == "--") {
      filesOnly = true;
    } else if (filesOnly || a.size() < 2 || (a[0] != '-' && a != "/?")) {
      error = ReadFileArgument(a, parsed.Options, seen);
    } else {
      error = ReadOption(args, i, parsed.Options, seen);
    }
    if (!error.empty()) return Fail(error);
  }
  parsed.Ok = true;
  return Complete(parsed);
}

std::string VersionText() { return std::string("trazelplay ") + TRAZEL_VERSION + "\n"; }

std::string UsageText(const std::string& defaultLibrary) {
  return "usage: trazelplay [options] [SAMPLES]\n"
         "\n"
         "Loads the block library as the simulation host does, places one block, reads its\n"
         "settings, runs a simulation through it and saves a picture of the block's window.\n"
         "\n"
         "  SAMPLES, --samples FILE\n"
         "                     replay the steps of a samples file (\"-\": standard input): one\n"
         "                     step per line, x, y and control separated by commas (or\n"
         "                     semicolons, tabs or blanks), \".\" as the decimal point; two\n"
         "                     values mean control 0 (pen down). The first line may hold\n"
         "                     column names, lines starting with \"#\" are comments. A bad line\n"
         "                     (also x or y beyond the 32-bit float range) is reported with\n"
         "                     its number and skipped. The pen is down while control < 2.5; a\n"
         "                     rise through 2.5 begins a new trace, and so does an empty line\n"
         "                     between samples (it lifts the pen as control 5 would):\n"
         "                         0,0\n"
         "                         1,1\n"
         "\n"
         "                         0,1      <- a new trace, not joined to 1,1\n"
         "  --settings FILE    the block's ten settings lines as the host's system file holds\n"
         "                     them: XMin, XMax, YMin, YMax, OriginX, OriginY, SizeX, SizeY\n"
         "                     (percent of the drawing area), ShowAxes (0/1), background picture\n"
         "                     (.wmf or bitmap; a relative name is taken from FILE's folder).\n"
         "                     The block reads them through its ReadFromFile entry point.\n"
         "  --demo             the demo: torque curves of an engine at five throttle settings,\n"
         "                     traced over the engine map in demo/ (settings and samples from\n"
         "                     there unless --settings or a samples file are given)\n"
         "  -o, --out FILE     the picture of the window after the run, .png or .bmp by the\n"
         "                     name's extension; an existing FILE is replaced. Without -o,\n"
         "                     --print and --wait: the samples (or settings) file's name with\n"
         "                     .png in the current folder (demo.png for the demo), never one of\n"
         "                     the input files and never an existing file unless --force\n"
         "  --force            let the picture's default name replace an existing file\n"
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
         "  --strict           a skipped line of the samples file or a note (such as a missing\n"
         "                     background picture) fails the run\n"
         "  --quiet            no progress display and no summary line; only problems\n"
         "  --dll LIBRARY      the block library to load (default " +
         defaultLibrary +
         " from the program's\n"
         "                     folder; a file named here is taken as named)\n"
         "  --version          the program's version\n"
         "  -h, --help, /?     this text\n"
         "\n"
         "Options with a value also take it as --name=VALUE; each option may be given once;\n"
         "after \"--\" every argument is the samples file. Messages go to standard error, each\n"
         "starting with \"trazelplay:\"; progress is shown only on a terminal, else one summary\n"
         "line at the end.\n"
         "\n"
         "Exit status:\n"
         "  0  everything asked for was done (bad lines skipped and reported, unless --strict)\n"
         "  1  failed: nothing was replayed from the samples file (the message says why), a\n"
         "     file could not be read, the picture or the printout failed, the block reported\n"
         "     an error, or --strict found a skipped line or a note\n"
         "  2  wrong command line: an unknown, repeated or incomplete option, a bad value, or a\n"
         "     refused picture name (not .png or .bmp, one of the input files, or an existing\n"
         "     file that neither -o names nor --force lets replace)\n"
         "A run that ends with 1 or 2 leaves no picture behind; an existing file of that name\n"
         "stays as it was.\n";
}
