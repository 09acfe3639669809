// trazelplay: the host program for the Trazel block library. It loads the library from its own
// folder (or the file --dll names), places one block, reads the block's ten settings lines, runs a
// simulation through the block (the demo's engine curves, or the steps of a samples file) and
// saves, prints or shows what the block's window draws.
//
// Exit status 0: everything asked for was done; 1: the run failed; 2: the command line cannot
// be carried out. A run that fails leaves no picture: it is written under a temporary name and
// renamed only when everything else has succeeded.
#include <windows.h>
#include <winspool.h>
// After windows.h.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/BlockSession_win.h"
#include "host/BoxWatcher_win.h"
#include "host/HostLibrary.h"
#include "host/InputFile_win.h"
#include "host/Options.h"
#include "host/PendingFile_win.h"
#include "host/Samples.h"
#include "host/Screenshot.h"
#include "host/SettingsFile.h"
#include "host/SystemText_win.h"

namespace {

constexpr int kFailed = 1;
constexpr int kRefused = 2;

// At most this many bad lines of a samples file are listed one by one.
constexpr int64_t kListedBadLines = 20;

// A run that the command line must change for: exit status 2, like a wrong option.
struct TRefusal : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Texts of the block are Windows-1252; a terminal that is no console gets them as UTF-8.
void Say(FILE* stream, const std::string& text) {
  HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  const int n =
      MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  std::fflush(stream);
  if (GetConsoleMode(handle, &mode)) {
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  const int u = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(u), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &utf8[0], u, nullptr, nullptr);
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
  std::fflush(stream);
}

// Every message of the program is a line of the error stream that starts with its name.
void Tell(const std::string& text) { Say(stderr, "trazelplay: " + text + "\n"); }

// The lines of a text on one line, separated by " / ".
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    line += c == '\n' ? std::string(" / ") : std::string(1, c);
  }
  return line;
}

// Standard error is a terminal (console or character device), where a line may be rewritten.
bool ErrorsOnTerminal() {
  return GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR;
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 4] = {};
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return n > 0 && n < sizeof full ? std::string(full) : path;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The platform's identity of an existing file (volume and index); false when it cannot open it.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

// Two names of one file: the same full name (case ignored), or the same file under two names.
bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (lstrcmpiA(FullPath(a).c_str(), FullPath(b).c_str()) == 0) return true;
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  return FileIdentity(a, x) && FileIdentity(b, y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// The demo's files: demo\ in the program's folder (the release package), beside it (dist\..\demo),
// else in the current folder.
std::string DemoFile(const std::string& name) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  for (const std::string& folder :
       {FolderOf(exe) + "\\demo", FolderOf(FolderOf(exe)) + "\\demo", std::string("demo")}) {
    const std::string path = FullPath(folder + "\\" + name);
    if (FileExists(path)) return path;
  }
  throw std::runtime_error("the demo's file demo\\" + name + " is missing");
}

std::string ReadWholeFile(const std::string& path, const std::string& shown) {
  std::unique_ptr<TInputFile> file;
  try {
    file.reset(new TInputFile(path));
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("cannot open " + shown + ": " + e.what());
  }
  std::ostringstream bytes;
  bytes << file.get();
  if (file->Error())
    throw std::runtime_error("cannot read " + shown + ": " + ErrorText(file->Error()));
  return bytes.str();
}

// The files of a run by their full names; the options keep the names as they were given.
struct TRunFiles {
  std::string Samples;     // empty: none; "-": standard input
  std::string Settings;    // empty: none
  std::string Background;  // the settings' background picture; empty: none
  std::string Out;         // empty: no picture
};

// The background picture's full name: a relative name lies in the settings file's folder.
std::string BackgroundPath(const std::string& picture, const std::string& settingsPath) {
  if (picture.empty() || picture == "*.*") return "";
  const bool absolute =
      picture.find(':') != std::string::npos || picture[0] == '\\' || picture[0] == '/';
  return FullPath(absolute ? picture : FolderOf(settingsPath) + "\\" + picture);
}

TSettingsFile CheckSettings(const TOptions& o, TRunFiles& files) {
  TSettingsFile f =
      CheckSettingsText(ReadWholeFile(files.Settings, "the settings file " + o.Settings));
  if (!f.Ok)
    throw std::runtime_error(
        o.Settings + ":" + std::to_string(f.Line) + ": " + f.Message +
        " (the block's ten settings lines: XMin, XMax, YMin, YMax, OriginX, OriginY,"
        " SizeX, SizeY, ShowAxes, background picture)");
  files.Background = BackgroundPath(f.Settings.BackgroundFile, files.Settings);
  if (!files.Background.empty() && !FileExists(files.Background)) {
    const std::string note = "the background picture " + f.Settings.BackgroundFile + " of " +
                             o.Settings + " does not exist";
    if (o.Strict) throw std::runtime_error(note + " (--strict)");
    Tell("note: " + note + "; the block draws its grid instead");
  }
  return f;
}

// Refuses a picture name that would replace an input file, or an existing file that the
// command line did not name.
void CheckPictureName(const TOptions& o, const TRunFiles& files) {
  const struct {
    const std::string& Path;
    const char* What;
  } inputs[] = {{files.Samples, "the samples file"},
                {files.Settings, "the settings file"},
                {files.Background, "the background picture"}};
  for (const auto& input : inputs)
    if (SameFile(files.Out, input.Path))
      throw TRefusal("the picture " + o.Out + " would replace " + input.What +
                     "; name the picture with -o FILE");
  if (FolderExists(files.Out)) throw TRefusal("the picture " + o.Out + " names a folder");
  if (!o.OutNamed && !o.Force && FileExists(files.Out))
    throw TRefusal("the picture " + o.Out + " exists; name it with -o " + o.Out +
                   " to replace it, or give --force");
}

// Shows how far a long replay has come, on one line of a terminal.
class TProgress {
 public:
  TProgress(const std::string& name, uint64_t totalBytes, bool shown)
      : name_(name), total_(totalBytes), shown_(shown), start_(GetTickCount64()) {}

  void Update(uint64_t bytes, int64_t steps) {
    const uint64_t now = GetTickCount64();
    if (!shown_ || now - start_ < 1000 || now - drawn_ < 250) return;
    drawn_ = now;
    std::string line = "\rtrazelplay: replaying " + name_ + ": ";
    if (total_) line += std::to_string(std::min<uint64_t>(100, bytes * 100 / total_)) + "%, ";
    line += std::to_string(steps) + " steps";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    visible_ = true;
  }

  // Ends the progress line, so that a message can follow.
  void Interrupt() {
    if (visible_) std::fputc('\n', stderr);
    visible_ = false;
  }

  double Seconds() const { return static_cast<double>(GetTickCount64() - start_) / 1000.0; }

 private:
  std::string name_;
  uint64_t total_;
  bool shown_;
  uint64_t start_;
  uint64_t drawn_ = 0;
  bool visible_ = false;
};

// What a replay did.
struct TReplayed {
  int64_t Samples = 0;
  int64_t BadLines = 0;
  double Seconds = 0;
};

std::string Count(int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Why a samples file gave no step at all.
std::string NothingReplayed(const std::string& name, const TSampleReader& reader) {
  if (reader.BytesRead() == 0) return name + " is empty; nothing was replayed";
  if (reader.BadLines() == 0)
    return name + " holds no samples, only comments, empty lines or column names; nothing was "
                  "replayed";
  std::string why = name + (reader.BadLines() == 1
                                ? std::string(": its one line of data could not be read")
                                : ": none of its " + std::to_string(reader.BadLines()) +
                                      " lines of data could be read");
  if (reader.DecimalCommaLines() * 2 > reader.BadLines())
    why += std::string(reader.BadLines() == 1 ? "; it looks" : "; most look") +
           " like numbers with decimal commas, where the decimal point is \".\"";
  return why + "; nothing was replayed";
}

// Runs every step of the samples file through the block. Throws when nothing was replayed or
// the file could not be read to its end.
TReplayed Replay(TBlockSession& session, const TOptions& o, const std::string& path) {
  const std::string name = o.Samples == "-" ? std::string("standard input") : o.Samples;
  std::unique_ptr<TInputFile> file;
  try {
    file.reset(new TInputFile(path));
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("cannot open the samples file " + name + ": " + e.what());
  }
  std::istream in(file.get());
  TProgress progress(name, file->Size(), !o.Quiet && ErrorsOnTerminal());
  int64_t listed = 0;
  TSampleReader reader(in, [&](const TSampleProblem& p) {
    if (++listed > kListedBadLines) return;
    progress.Interrupt();
    Tell(name + ":" + std::to_string(p.Line) + ": " + p.Message + " (line skipped)");
  });
  TSample sample;
  if (reader.Next(sample)) {
    session.Begin(sample);
    uint64_t pumped = GetTickCount64();
    while (reader.Next(sample)) {
      session.Step(sample);
      if ((reader.Samples() & 255) == 0 && GetTickCount64() - pumped >= 50) {
        PumpMessages();  // keeps the window answering during a long replay
        pumped = GetTickCount64();
        progress.Update(reader.BytesRead(), reader.Samples());
      }
    }
    session.End();
  }
  progress.Interrupt();
  if (reader.BadLines() > kListedBadLines)
    Tell(name + ": " +
         Count(reader.BadLines() - kListedBadLines, "more bad line", "more bad lines") +
         " skipped");
  if (file->Error())
    throw std::runtime_error("cannot read " + name + " after its line " +
                             std::to_string(reader.LinesRead()) + ": " + ErrorText(file->Error()));
  if (reader.BytesRead() < file->Size())
    throw std::runtime_error(name + " ended after " + std::to_string(reader.BytesRead()) + " of " +
                             std::to_string(file->Size()) +
                             " bytes: it was cut during the replay, which is incomplete");
  if (reader.Samples() == 0) throw std::runtime_error(NothingReplayed(name, reader));
  if (o.Strict && reader.BadLines() > 0)
    throw std::runtime_error(name + ": " + Count(reader.BadLines(), "bad line", "bad lines") +
                             " skipped (--strict)");
  return TReplayed{reader.Samples(), reader.BadLines(), progress.Seconds()};
}

// The block library, with the system's text when it cannot be loaded.
std::unique_ptr<BlockLibrary> LoadBlockLibrary(const std::wstring& path) {
  try {
    return std::unique_ptr<BlockLibrary>(new BlockLibrary(path));
  } catch (const std::runtime_error& e) {
    // The loader names the platform's error number as "(error N)".
    const std::string what = e.what();
    const size_t at = what.find(" (error ");
    if (at == std::string::npos) throw;
    const DWORD error = std::strtoul(what.c_str() + at + 8, nullptr, 10);
    throw std::runtime_error(what.substr(0, at) + ": " + ErrorText(error));
  }
}

std::string SaveWindowPicture(const TBlockSession& session, const TOptions& o,
                              const TPendingFile& file) {
  const Image picture = session.Picture(o.Area);
  if (picture.Pixels.empty()) throw std::runtime_error("the window shows nothing to save");
  std::string error;
  if (!SavePicture(picture, file.Path(), o.Format, &error))
    throw std::runtime_error("cannot write the picture " + o.Out + ": " + error);
  return "saved " + o.Out + " (" + std::to_string(picture.Width) + "x" +
         std::to_string(picture.Height) + ")";
}

std::string Print(TBlockSession& session) {
  char name[512] = {};
  DWORD size = sizeof name;
  if (!GetDefaultPrinterA(name, &size))
    throw std::runtime_error("there is no default printer: " + ErrorText(GetLastError()));
  session.ClickPrint();
  return std::string("printed on ") + name;
}

// The picture's file, renamed from its temporary name when the run has succeeded.
void Commit(std::unique_ptr<TPendingFile>& picture, const TOptions& o) {
  if (!picture) return;
  try {
    picture->Commit(o.OutNamed || o.Force);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("cannot write the picture " + o.Out + ": " + e.what());
  }
  picture.reset();
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& p : parts) text += (text.empty() ? "" : "; ") + p;
  return text;
}

std::string ReplaySummary(const std::string& name, const TReplayed& r) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", r.Seconds);
  std::string text = "replayed " + Count(r.Samples, "sample", "samples") + " of " + name +
                     " in " + seconds + " s";
  if (r.BadLines > 0) text += " (" + Count(r.BadLines, "bad line", "bad lines") + " skipped)";
  return text;
}

// The block in its window, driven through one run; returns what was done, for the summary.
std::vector<std::string> Drive(BlockLibrary& library, const TOptions& o, const TRunFiles& files,
                               const TSettingsFile& settings,
                               std::unique_ptr<TPendingFile>& picture) {
  std::vector<std::string> done;
  TBlockSession session(library, o.Title);
  if (o.Width > 0) session.SetDrawingAreaSize(o.Width, o.Height);
  if (o.LineWidth > 0) session.SetLineWidth(o.LineWidth);
  if (!files.Settings.empty()) {
    // Relative picture names in the settings are taken from the settings file's folder.
    SetCurrentDirectoryA(FolderOf(files.Settings).c_str());
    session.ReadSettings(files.Settings, settings.Lines, settings.SameAsFile);
  }
  if (!files.Samples.empty())
    done.push_back(ReplaySummary(o.Samples == "-" ? "standard input" : o.Samples,
                                 Replay(session, o, files.Samples)));
  if (files.Samples.empty() || o.Repaint) session.Repaint();
  TBlockSession::Settle();
  if (picture) done.push_back(SaveWindowPicture(session, o, *picture));
  if (o.Print) done.push_back(Print(session));
  if (o.Wait) {
    // Ended with Ctrl+C, the wait must not take the picture with it.
    Commit(picture, o);
    Tell("the window stays open until it is closed (or Ctrl+C)");
    session.WaitUntilClosed();
  }
  return done;
}

int Run(TOptions o) {
  if (o.Demo) {
    if (o.Settings.empty()) o.Settings = DemoFile("engine-map.txt");
    if (o.Samples.empty()) o.Samples = DemoFile("engine-curves.csv");
  }
  // Every name is fixed before the settings' folder becomes the current one.
  TRunFiles files;
  if (!o.Samples.empty()) files.Samples = o.Samples == "-" ? "-" : FullPath(o.Samples);
  if (!o.Out.empty()) files.Out = FullPath(o.Out);
  TSettingsFile settings;
  if (!o.Settings.empty()) {
    files.Settings = FullPath(o.Settings);
    settings = CheckSettings(o, files);
  }
  std::unique_ptr<TPendingFile> picture;
  if (!files.Out.empty()) {
    CheckPictureName(o, files);
    try {
      picture.reset(new TPendingFile(files.Out));
    } catch (const std::runtime_error& e) {
      throw std::runtime_error("cannot write the picture " + o.Out + ": " + e.what());
    }
  }
  std::unique_ptr<BlockLibrary> library =
      LoadBlockLibrary(BlockLibraryPath(o.Library));
  // Unattended, a message box of the block is reported and closed; with --wait the user
  // answers it. The watcher outlives the block, so that it sees the boxes of every entry point.
  std::unique_ptr<TBoxWatcher> watcher;
  if (!o.Wait)
    watcher.reset(new TBoxWatcher(GetCurrentThreadId(), [](const std::string& caption,
                                                           const std::string& text) {
      Tell("the block showed a message box: " + caption + ": " + OneLine(text));
    }));
  const std::vector<std::string> done = Drive(*library, o, files, settings, picture);
  if (watcher && watcher->Count() > 0)
    throw std::runtime_error("the block reported an error (see above)");
  Commit(picture, o);
  if (!o.Quiet && !done.empty()) Tell(Joined(done));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Lines end with LF alone, as scripts that read the streams expect; a console shows them
  // the same.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  const TParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Ok) {
    Tell(parsed.Error + " (trazelplay --help lists the options)");
    return kRefused;
  }
  if (parsed.Options.Help) {
    Say(stdout, UsageText(kBlockLibrary));
    return 0;
  }
  if (parsed.Options.Version) {
    Say(stdout, VersionText());
    return 0;
  }
  try {
    return Run(parsed.Options);
  } catch (const TRefusal& e) {
    Tell(e.what());
    return kRefused;
  } catch (const std::exception& e) {
    Tell(e.what());
    return kFailed;
  }
}
