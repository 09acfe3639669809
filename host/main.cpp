// trazelplay: the host program for the Trazel block library. It loads the library by name as
// the simulation host does, places one block, reads the block's ten settings lines, runs a
// simulation through the block (the demo's engine curves, or the steps of a samples file) and
// saves, prints or shows what the block's window draws.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/BlockSession_win.h"
#include "host/BoxWatcher_win.h"
#include "host/HostLibrary.h"
#include "host/Options.h"
#include "host/Samples.h"
#include "host/Screenshot.h"
#include "host/SettingsFile.h"

namespace {

// At most this many bad lines of a samples file are listed one by one.
constexpr int64_t kListedBadLines = 20;

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

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TSettingsFile CheckSettings(const std::string& path) {
  TSettingsFile f = CheckSettingsText(ReadWholeFile(path));
  if (!f.Ok)
    throw std::runtime_error(
        path + ":" + std::to_string(f.Line) + ": " + f.Message +
        " (the block's ten settings lines: XMin, XMax, YMin, YMax, OriginX, OriginY,"
        " SizeX, SizeY, ShowAxes, background picture)");
  const std::string& picture = f.Settings.BackgroundFile;
  if (!picture.empty() && picture != "*.*" &&
      !FileExists(picture.find(':') != std::string::npos || picture[0] == '\\' || picture[0] == '/'
                      ? picture
                      : FolderOf(path) + "\\" + picture))
    Say(stderr, "trazelplay: note: the background picture " + picture +
                    " does not exist; the block draws its grid instead\n");
  return f;
}

// Shows how far a long replay has come, on one line of the error stream.
class TProgress {
 public:
  TProgress(const std::string& name, uint64_t totalBytes, bool quiet)
      : name_(name), total_(totalBytes), quiet_(quiet), start_(GetTickCount64()) {}

  void Update(uint64_t bytes, int64_t steps) {
    const uint64_t now = GetTickCount64();
    if (quiet_ || now - start_ < 1000 || now - shown_ < 250) return;
    shown_ = now;
    const int percent = total_ ? static_cast<int>(bytes * 100 / total_) : 0;
    std::fprintf(stderr, "\rreplaying %s: %3d%%, %lld steps", name_.c_str(), percent,
                 static_cast<long long>(steps));
    std::fflush(stderr);
    visible_ = true;
  }

  void Finish(int64_t steps) {
    if (!visible_) return;
    const double seconds = static_cast<double>(GetTickCount64() - start_) / 1000.0;
    std::fprintf(stderr, "\rreplaying %s: 100%%, %lld steps in %.1f s\n", name_.c_str(),
                 static_cast<long long>(steps), seconds);
  }

  void Interrupt() {
    if (visible_) std::fputc('\n', stderr);
    visible_ = false;
  }

 private:
  std::string name_;
  uint64_t total_;
  bool quiet_;
  uint64_t start_;
  uint64_t shown_ = 0;
  bool visible_ = false;
};

// Runs every step of the samples file through the block.
void Replay(TBlockSession& session, const std::string& path, bool quiet) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open the samples file " + path);
  in.seekg(0, std::ios::end);
  const auto size = static_cast<uint64_t>(std::max<std::streamoff>(0, in.tellg()));
  in.seekg(0, std::ios::beg);
  const std::string name = path.substr(path.find_last_of("\\/") + 1);
  TProgress progress(name, size, quiet);
  int64_t bad = 0;
  TSampleReader reader(in, [&](const TSampleProblem& p) {
    if (++bad > kListedBadLines) return;
    progress.Interrupt();
    Say(stderr, name + ":" + std::to_string(p.Line) + ": " + p.Message + " (line skipped)\n");
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
    progress.Finish(reader.Samples());
  } else {
    Say(stderr, "trazelplay: " + name + " holds no samples\n");
    session.Repaint();
  }
  if (reader.BadLines() > kListedBadLines)
    Say(stderr, name + ": " + std::to_string(reader.BadLines() - kListedBadLines) +
                    " more bad lines skipped\n");
  if (reader.BadLines() > 0)
    Say(stderr, name + ": " + std::to_string(reader.Samples()) + " steps, " +
                    std::to_string(reader.BadLines()) + " bad lines skipped\n");
}

void SavePicture(const TBlockSession& session, const TOptions& o) {
  const Image picture = session.Picture(o.Area);
  if (picture.Pixels.empty()) throw std::runtime_error("the window shows nothing to save");
  std::string error;
  if (!SavePng(picture, o.Out, &error))
    throw std::runtime_error("cannot save " + o.Out + ": " + error);
  Say(stdout, "saved " + o.Out + " (" + std::to_string(picture.Width) + "x" +
                  std::to_string(picture.Height) + ")\n");
}

void Print(TBlockSession& session) {
  char name[512] = {};
  DWORD size = sizeof name;
  if (!GetDefaultPrinterA(name, &size)) throw std::runtime_error("there is no default printer");
  session.ClickPrint();
  Say(stdout, std::string("printed on ") + name + "\n");
}

int Run(TOptions o) {
  if (o.Demo) {
    if (o.Settings.empty()) o.Settings = DemoFile("engine-map.txt");
    if (o.Samples.empty()) o.Samples = DemoFile("engine-curves.csv");
  }
  // Every name is fixed before the settings' folder becomes the current one.
  if (!o.Samples.empty()) o.Samples = FullPath(o.Samples);
  if (!o.Out.empty()) o.Out = FullPath(o.Out);
  TSettingsFile settings;
  if (!o.Settings.empty()) {
    o.Settings = FullPath(o.Settings);
    settings = CheckSettings(o.Settings);
  }
  BlockLibrary library(o.Library.empty() ? kBlockLibrary : o.Library);
  // Unattended, a message box of the block is reported and closed; with --wait the user
  // answers it. The watcher outlives the block, so that it sees the boxes of every entry point.
  std::unique_ptr<TBoxWatcher> watcher;
  if (!o.Wait)
    watcher.reset(new TBoxWatcher(GetCurrentThreadId(), [](const std::string& caption,
                                                           const std::string& text) {
      Say(stderr, "trazelplay: the block showed a message box: " + caption + ": " + text + "\n");
    }));
  {
    TBlockSession session(library, o.Title);
    if (o.Width > 0) session.SetDrawingAreaSize(o.Width, o.Height);
    if (o.LineWidth > 0) session.SetLineWidth(o.LineWidth);
    if (!o.Settings.empty()) {
      // Relative picture names in the settings are taken from the settings file's folder.
      SetCurrentDirectoryA(FolderOf(o.Settings).c_str());
      session.ReadSettings(o.Settings, settings.Lines, settings.SameAsFile);
    }
    if (!o.Samples.empty()) Replay(session, o.Samples, o.Quiet);
    if (o.Samples.empty() || o.Repaint) session.Repaint();
    TBlockSession::Settle();
    if (!o.Out.empty()) SavePicture(session, o);
    if (o.Print) Print(session);
    if (o.Wait) {
      Say(stdout, "The window stays open until it is closed (or Ctrl+C).\n");
      session.WaitUntilClosed();
    }
  }
  if (watcher && watcher->Count() > 0)
    throw std::runtime_error("the block reported an error (see above)");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const TParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Ok) {
    Say(stderr, "trazelplay: " + parsed.Error + "\n(trazelplay --help lists the options)\n");
    return 2;
  }
  if (parsed.Options.Help) {
    Say(stdout, UsageText(kBlockLibrary));
    return 0;
  }
  try {
    return Run(parsed.Options);
  } catch (const std::exception& e) {
    Say(stderr, std::string("trazelplay: ") + e.what() + "\n");
    return 1;
  }
}
