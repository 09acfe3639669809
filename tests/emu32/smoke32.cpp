// Smoke test of the block library as the simulation host uses it. Built for i686 it runs
// the product library, calling every entry point through a thunk that measures how much
// of the stack each call removes; built for x86_64 it runs the test build the same way
// and records the reference pictures that the 32-bit run is compared with.
//
//   smoke32 [--dll NAME] [--out DIR] [--reference DIR] [--max-diff PIXELS] [--planted DIR]
//
// With --planted, DIR holds a library named OVSTRING5.DLL whose initialisation leaves the file
// planted-code-ran.txt beside it; the run then has DIR as its current folder and first on PATH,
// and checks that no code of that library ran and that the block shows its own texts.
//
// Prints one line per check and ends with "N passed, M failed"; exits 1 on a failure.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "EntryCalls.h"
#include "WindowPicture.h"
#include "host/BoxWatcher_win.h"
#include "host/HostLibrary.h"
#include "support/VersionInfo_win.h"

namespace {

#if UINTPTR_MAX == 0xFFFFFFFFu
const char kDefaultLibrary[] = "Trazel32.dll";
#else
const char kDefaultLibrary[] = "Trazel64.dll";
#endif

const char kTitle[] =
    "Kennfeld Pr\xFC"
    "fstand 1";

class Report {
 public:
  void Check(bool ok, const std::string& what, const std::string& detail = "") {
    ++(ok ? passed_ : failed_);
    std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", what.c_str(), detail.empty() ? "" : ": ",
                detail.c_str());
    std::fflush(stdout);
  }
  void Note(const std::string& text) {
    std::printf("# %s\n", text.c_str());
    std::fflush(stdout);
  }
  int Failed() const { return failed_; }
  void Summary() const {
    std::printf("%d passed, %d failed\n", passed_, failed_);
    std::fflush(stdout);
  }

 private:
  int passed_ = 0;
  int failed_ = 0;
};

Report g_report;

struct Options {
  std::string library = kDefaultLibrary;
  std::string outDir = ".";
  std::string referenceDir;
  long maxDiff = 0;
  std::string plantedDir;
};

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool hasValue = i + 1 < argc;
    if (a == "--dll" && hasValue)
      o.library = argv[++i];
    else if (a == "--out" && hasValue)
      o.outDir = argv[++i];
    else if (a == "--reference" && hasValue)
      o.referenceDir = argv[++i];
    else if (a == "--max-diff" && hasValue)
      o.maxDiff = std::strtol(argv[++i], nullptr, 10);
    else if (a == "--planted" && hasValue)
      o.plantedDir = argv[++i];
    else
      return false;
  }
  return true;
}

std::string Hex(const std::vector<uint8_t>& bytes, size_t from, size_t count) {
  std::string s;
  char b[4];
  for (size_t i = from; i < from + count && i < bytes.size(); ++i) {
    std::snprintf(b, sizeof b, "%02X ", bytes[i]);
    s += b;
  }
  return s;
}

std::string Printable(const std::string& text) {
  std::string s;
  for (unsigned char c : text) {
    char b[8];
    if (c == '\r')
      s += "\\r";
    else if (c == '\n')
      s += "\\n";
    else if (c < 32 || c > 126)
      std::snprintf(b, sizeof b, "\\x%02X", c), s += b;
    else
      s += static_cast<char>(c);
  }
  return s;
}

// Lets the window handle what is pending: paints, size changes, X events.
void Settle() {
  for (int i = 0; i < 10; ++i) {
    PumpMessages();
    Sleep(20);
  }
}

class PhaseTimer {
 public:
  explicit PhaseTimer(const char* name) : name_(name), start_(std::chrono::steady_clock::now()) {}
  ~PhaseTimer() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start_)
                  .count();
    g_report.Note(std::string(name_) + " took " + std::to_string(ms) + " ms");
  }
  PhaseTimer(const PhaseTimer&) = delete;
  PhaseTimer& operator=(const PhaseTimer&) = delete;

 private:
  const char* name_;
  std::chrono::steady_clock::time_point start_;
};

// ---------------------------------------------------------------- library and records

void CheckExports(const EntryCaller& lib) {
  for (const EntryPoint& e : BlockEntryPointTable())
    g_report.Check(lib.Has(e.name), std::string("export ") + e.name);
}

std::string TextAt(uintptr_t p) {
  return p ? std::string(reinterpret_cast<const char*>(p)) : std::string("(null)");
}

void CheckConstants(EntryCaller& lib) {
  lib.Call("IsUserDLL32", {});
  std::string name = TextAt(lib.Call("GetDLLName", {}));
  g_report.Check(name == "Trazel", "GetDLLName is \"Trazel\"", name);
  std::string pins = TextAt(lib.Call("SetInputChar", {}));
  g_report.Check(pins == "xyS", "SetInputChar is \"xyS\"", pins);
  uint32_t lines = static_cast<uint32_t>(lib.Call("NumberOfLinesInSystemFile", {}));
  g_report.Check(lines == 10, "NumberOfLinesInSystemFile is 10", std::to_string(lines));
  uint32_t can = static_cast<uint32_t>(lib.Call("CanSimulateDLL", {0x7FFF0001u}));
  g_report.Check(can == 1, "CanSimulateDLL is 1", std::to_string(can));
  lib.Call("EndSimulationDLL", {});
}

// Every byte outside the written ones must keep the value the host left there.
bool OnlyExpectedBytesChanged(const std::vector<uint8_t>& after, uint8_t fill,
                              const std::vector<std::pair<size_t, std::string>>& written,
                              std::string& detail) {
  detail.clear();
  std::vector<bool> expected(after.size(), false);
  for (const auto& w : written) {
    for (size_t i = 0; i < w.second.size(); ++i) {
      expected[w.first + i] = true;
      if (after[w.first + i] != static_cast<uint8_t>(w.second[i])) {
        detail = "byte " + std::to_string(w.first + i) + " is " + Hex(after, w.first + i, 1);
        return false;
      }
    }
  }
  for (size_t i = 0; i < after.size(); ++i)
    if (!expected[i] && after[i] != fill) {
      detail = "byte " + std::to_string(i) + " changed to " + Hex(after, i, 1);
      return false;
    }
  return true;
}

void CheckRecords(EntryCaller& lib) {
  std::string detail;
  std::vector<uint8_t> io(256, 0xFF);
  lib.Call("GetNumberOfInputsOutputs", {reinterpret_cast<uintptr_t>(io.data())});
  bool ok = OnlyExpectedBytesChanged(io, 0xFF,
                                     {{0, std::string("\x03\x00", 2)},
                                      {2, std::string("x-Eingang", 10)},
                                      {43, std::string("y-Eingang", 10)},
                                      {84, std::string("Steuereingang", 14)}},
                                     detail);
  g_report.Check(ok, "GetNumberOfInputsOutputs fills counts and names only", detail);

  std::vector<uint8_t> parameters(64, 0xFF);
  lib.Call("GetParameterStruct", {reinterpret_cast<uintptr_t>(parameters.data())});
  ok = OnlyExpectedBytesChanged(parameters, 0xFF, {{0, std::string(3, '\0')}}, detail);
  g_report.Check(ok, "GetParameterStruct zeroes bytes 0..2 only", detail);

  for (uint8_t fill : {uint8_t{0x00}, uint8_t{0x5A}}) {
    std::vector<uint8_t> dialog(64, fill);
    lib.Call("GetDialogEnableStruct", {reinterpret_cast<uintptr_t>(dialog.data()), 0x12345678u});
    ok = OnlyExpectedBytesChanged(dialog, fill, {{0, std::string(12, '\xFF') + '\x01'}}, detail);
    g_report.Check(ok, "GetDialogEnableStruct on bytes " + Hex(dialog, 20, 1) + "writes FF x12, 01",
                   detail.empty() ? Hex(dialog, 0, 14) : detail);
  }
}

// ---------------------------------------------------------------- windows

LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// The host's main window: owner of the block's windows.
HWND CreateHostWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = HostWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "OrvadoSmokeHost";
  RegisterClassA(&wc);
  return CreateWindowExA(0, wc.lpszClassName, "Orvado", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320,
                         200, nullptr, nullptr, wc.hInstance, nullptr);
}

struct OwnedWindows {
  HWND owner;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND hwnd, LPARAM lp) {
  auto* w = reinterpret_cast<OwnedWindows*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId() && GetWindow(hwnd, GW_OWNER) == w->owner)
    w->found.push_back(hwnd);
  return TRUE;
}

// Top-level windows of this process owned by `owner` that are not in `known`.
std::vector<HWND> NewOwnedWindows(HWND owner, const std::vector<HWND>& known) {
  OwnedWindows w{owner, {}};
  EnumWindows(CollectOwned, reinterpret_cast<LPARAM>(&w));
  std::vector<HWND> fresh;
  for (HWND h : w.found)
    if (std::find(known.begin(), known.end(), h) == known.end()) fresh.push_back(h);
  return fresh;
}

uintptr_t Ptr(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// InitUserDLL for one block; returns the window it opened, or null.
HWND OpenBlock(EntryCaller& lib, HostBlock& block, HWND host, const std::vector<HWND>& known,
               const std::string& label) {
  lib.Call("InitUserDLL", {Ptr(block.Record())});
  Settle();
  std::vector<HWND> fresh = NewOwnedWindows(host, known);
  g_report.Check(block.WindowSlot() != 0, label + ": InitUserDLL fills WindowSlot");
  g_report.Check(fresh.size() == 1, label + ": InitUserDLL opens one window owned by the host",
                 std::to_string(fresh.size()) + " windows");
  if (fresh.size() != 1) return nullptr;
  HWND plot = fresh.front();
  LONG ex = GetWindowLongA(plot, GWL_EXSTYLE);
  g_report.Check(IsWindowVisible(plot) && (ex & WS_EX_TOPMOST),
                 label + ": window is visible and on top");
  return plot;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void CheckHideShow(EntryCaller& lib, HostBlock& block, HWND plot) {
  RECT before;
  GetWindowRect(plot, &before);
  lib.Call("HideWindowDLL", {Ptr(block.Record())});
  Settle();
  g_report.Check(IsIconic(plot) != FALSE, "HideWindowDLL minimises the window");
  lib.Call("ShowWindowDLL", {Ptr(block.Record())});
  Settle();
  RECT after;
  GetWindowRect(plot, &after);
  g_report.Check(!IsIconic(plot) && SameRect(before, after),
                 "ShowWindowDLL restores size and position");
}

void CheckSecondBlock(EntryCaller& lib, HostBlock& first, HWND firstPlot, HWND host) {
  HostBlock second(host, "Zweiter Block");
  HWND plot = OpenBlock(lib, second, host, {firstPlot}, "second block");
  g_report.Check(second.WindowSlot() != first.WindowSlot(), "second block gets its own WindowSlot");
  if (!plot) return;
  const uint32_t slot = second.WindowSlot();
  lib.Call("DisposeUserDLL", {Ptr(second.Record())});
  Settle();
  g_report.Check(!IsWindow(plot) && IsWindow(firstPlot),
                 "DisposeUserDLL closes the second window and leaves the first");
  g_report.Check(second.WindowSlot() == slot, "DisposeUserDLL leaves WindowSlot as it was");
}

// ---------------------------------------------------------------- system file

std::string ReadWholeFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

const char kDefaultLines[] = "-1\r\n1\r\n-1\r\n1\r\n0\r\n0\r\n100\r\n100\r\n0\r\n*.*\r\n";
// Axes on, no background picture (so the grid is drawn), a frame with room for numbers.
const char kPlotLines[] = "0\r\n10\r\n-5\r\n5\r\n14\r\n12\r\n80\r\n80\r\n1\r\n\r\n";

// WriteToFile at the position where the host left the file.
std::string WriteBlockLines(EntryCaller& lib, HostBlock& block, const std::string& path,
                            const std::string& before) {
  HFILE f = _lcreat(path.c_str(), 0);
  if (f == HFILE_ERROR) throw std::runtime_error("cannot create " + path);
  _lwrite(f, before.data(), static_cast<UINT>(before.size()));
  lib.Call("WriteToFile", {static_cast<uint32_t>(f), Ptr(block.Record())});
  _lclose(f);
  return ReadWholeFile(path);
}

void CheckSystemFile(EntryCaller& lib, HostBlock& block, const std::string& dir) {
  std::string written = WriteBlockLines(lib, block, dir + "\\defaults.txt", "Kopf\r\n");
  g_report.Check(written == std::string("Kopf\r\n") + kDefaultLines,
                 "WriteToFile appends the ten default lines", Printable(written));

  const std::string head = "Block 7\r\n";
  const std::string tail = "Naechster Block\r\n";
  WriteWholeFile(dir + "\\settings.txt", head + kPlotLines + tail);
  HFILE f = _lopen((dir + "\\settings.txt").c_str(), OF_READ);
  if (f == HFILE_ERROR) throw std::runtime_error("cannot open settings.txt");
  _llseek(f, static_cast<LONG>(head.size()), FILE_BEGIN);
  lib.Call("ReadFromFile", {static_cast<uint32_t>(f), Ptr(block.Record())});
  LONG at = _llseek(f, 0, FILE_CURRENT);
  _lclose(f);
  LONG end = static_cast<LONG>(head.size() + std::strlen(kPlotLines));
  g_report.Check(
      at == end, "ReadFromFile stops behind the tenth line",
      "at byte " + std::to_string(at) + "; the tenth line ends at byte " + std::to_string(end));

  written = WriteBlockLines(lib, block, dir + "\\roundtrip.txt", "");
  g_report.Check(written == kPlotLines, "WriteToFile gives back the lines read",
                 Printable(written));
}

// ---------------------------------------------------------------- simulation

struct Sample {
  long double x, y, control;
};

class Simulation {
 public:
  Simulation(EntryCaller& lib, HostBlock& block, HWND plot)
      : lib_(lib), block_(block), plot_(plot) {}

  // One run: InitSimulationDLL with the first sample, SimulateDLL with the others. The
  // picture is taken straight after the last call, with no message handled in between.
  Picture Run(const std::vector<Sample>& samples) {
    Settle();
    Start(samples.front());
    for (size_t i = 1; i < samples.size(); ++i) Step(samples[i]);
    return CaptureClient(plot_);
  }

  void Start(const Sample& s) {
    InputRecord in(s.x, s.y, s.control);
    lib_.Call("InitSimulationDLL", {Ptr(block_.Record()), Ptr(in.bytes), 0x33333333u});
  }

  void Step(const Sample& s) {
    InputRecord in(s.x, s.y, s.control);
    lib_.Call("SimulateDLL", {0x11111111u, 0x22222222u, 0x33333333u, Ptr(block_.Record()),
                              Ptr(in.bytes), 0x44444444u});
  }

 private:
  EntryCaller& lib_;
  HostBlock& block_;
  HWND plot_;
};

const Sample P1{1, -3, 0}, P2{3, 3, 0}, P3{5, -2, 0}, P4{8, 4, 0}, P5{6, -4, 0}, P6{9, -1, 0};

Sample With(Sample s, long double control) {
  s.control = control;
  return s;
}

std::string DiffText(const Picture& a, const Picture& b) {
  return std::to_string(CountDifferentPixels(a, b)) + " pixels differ";
}

void CheckPenRule(Simulation& sim, HWND plot) {
  const Picture empty = sim.Run({With(P1, 5)});
  char caption[256] = {};
  GetWindowTextA(plot, caption, sizeof caption);
  g_report.Check(std::string(caption) == kTitle, "InitSimulationDLL sets the caption to the title",
                 Printable(caption));
  g_report.Check(CountColours(empty, 3) >= 3, "a new run shows the coordinate system");
  sim.Step(With(P2, 5));
  sim.Step(With(P3, 5));
  sim.Step(With(P4, 5));
  const Picture penUp = CaptureClient(plot);
  g_report.Check(CountDifferentPixels(penUp, empty) == 0, "pen up: samples above 2.5 draw nothing",
                 DiffText(penUp, empty));

  const Picture exact = sim.Run({P1, With(P2, 2.5L), With(P3, 3), P4});
  const Picture joined = sim.Run({P1, P4});
  g_report.Check(CountDifferentPixels(exact, empty) > 0, "pen down: a segment is drawn at once");
  g_report.Check(CountDifferentPixels(exact, joined) == 0,
                 "a control of exactly 2.5 records nothing and 2.5 -> 3 is no rise",
                 DiffText(exact, joined));
  const Picture rise = sim.Run({P1, With(P2, 2), With(P3, 3), P4});
  g_report.Check(CountDifferentPixels(rise, joined) > 0,
                 "a rise from below 2.5 starts a new trace");

  const Picture lifted = sim.Run({P1, P2, With(P3, 5), With(P4, 5), P5, P6});
  const Picture twoStrokes = sim.Run({P5, P6, With(P3, 5), P1, P2});
  const Picture oneStroke = sim.Run({P1, P2, P5, P6});
  g_report.Check(
      CountDifferentPixels(lifted, twoStrokes) == 0 && CountDifferentPixels(lifted, oneStroke) > 0,
      "control 0,0,5,5,0,0 draws P1-P2 and P5-P6 and no line P2-P5",
      DiffText(lifted, twoStrokes) + ", " + DiffText(lifted, oneStroke) + " from joined");
}

// A characteristic-map sweep with the pen lifted twice.
std::vector<Sample> PlotSamples() {
  std::vector<Sample> s;
  for (int i = 0; i <= 100; ++i) {
    long double x = i * 0.1L;
    s.push_back({x, 4 * std::sin(1.2L * x), (i >= 40 && i < 55) ? 5.0L : 0.0L});
  }
  s.push_back({10, 0, 5});
  for (int i = 100; i >= 0; i -= 2) {
    long double x = i * 0.1L;
    s.push_back({x, -3 + 0.06L * x * x, (i > 30 && i < 40) ? 3.0L : 1.0L});
  }
  return s;
}

void ComparePicture(const Options& o, const std::string& name, const Picture& picture) {
  std::string own = o.outDir + "\\" + name + ".bmp";
  g_report.Check(WriteBmp(own, picture), "picture " + name + " saved", own);
  if (o.referenceDir.empty()) return;
  Picture reference;
  if (!ReadBmp(o.referenceDir + "\\" + name + ".bmp", reference)) {
    g_report.Check(false, "picture " + name + " matches the reference", "no reference picture");
    return;
  }
  long diff = CountDifferentPixels(picture, reference);
  std::string detail = diff < 0 ? "size " + std::to_string(picture.width) + "x" +
                                      std::to_string(picture.height) + " against " +
                                      std::to_string(reference.width) + "x" +
                                      std::to_string(reference.height)
                                : std::to_string(diff) + " pixels differ";
  g_report.Check(diff >= 0 && diff <= o.maxDiff, "picture " + name + " matches the reference",
                 detail);
}

void RecordPlot(Simulation& sim, HWND plot, const Options& o) {
  const Picture drawn = sim.Run(PlotSamples());
  g_report.Check(CountColours(drawn, 4) >= 3, "the plot run draws on the window");
  ComparePicture(o, "plot_drawn", drawn);
  RedrawWindow(plot, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle();
  ComparePicture(o, "plot_repainted", CaptureClient(plot));
}

// ---------------------------------------------------------------- stack

void CheckStackCleanup(const EntryCaller& lib) {
  for (const EntryPoint& e : BlockEntryPointTable()) {
    auto it = lib.Records().find(e.name);
    CallRecord r = it == lib.Records().end() ? CallRecord{} : it->second;
    if (!EntryCaller::MeasuresStack()) {
      g_report.Check(r.calls > 0, std::string("called ") + e.name, "never called");
      continue;
    }
    std::string detail =
        r.calls == 0 ? "never called"
        : r.clobberedRegisters
            ? std::to_string(r.clobberedRegisters) + " calls changed EBX, ESI or EDI"
        : r.wrongCleanups ? std::to_string(r.wrongCleanups) + " of " + std::to_string(r.calls) +
                                " calls removed another size, the last " +
                                std::to_string(r.lastRemoved) + " bytes"
                          : std::to_string(r.calls) + " calls";
    g_report.Check(r.calls > 0 && r.wrongCleanups == 0 && r.clobberedRegisters == 0,
                   std::string("stack cleanup ") + e.name + " removes " +
                       std::to_string(e.argumentBytes) + " bytes",
                   detail);
  }
}

// ---------------------------------------------------------------- planted libraries

const char kPlantedMark[] = "planted-code-ran.txt";

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The planted library's folder becomes the current one and the first on PATH.
void PlantAround(const std::string& dir) {
  DeleteFileA((dir + "\\" + kPlantedMark).c_str());
  SetCurrentDirectoryA(dir.c_str());
  char path[32767] = "";
  GetEnvironmentVariableA("PATH", path, sizeof path);
  SetEnvironmentVariableA("PATH", (dir + ";" + path).c_str());
}

// The range message of the window's line width field (a right click on it), which the block
// composes from the host's string library when it has one.
void CheckRangeMessage(HWND plot) {
  HWND field = FindChild(plot, "Edit");
  std::string caption;
  int boxes = 0;
  {
    TBoxWatcher watcher(GetCurrentThreadId(), [&](const std::string& c, const std::string&) {
      if (caption.empty()) caption = c;
    });
    PostMessageA(field, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
    PostMessageA(field, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
    for (int i = 0; i < 300 && watcher.Count() == 0; ++i) Settle();
    Settle();
    boxes = watcher.Count();
  }
  g_report.Check(field && boxes == 1 && caption == "Zul\xE4ssiger Wertebereich",
                 "with planted libraries around, the range message has the block's own texts",
                 std::to_string(boxes) + " boxes, caption " + Printable(caption));
}

void CheckNoPlantedCodeRan(const std::string& dir) {
  const std::string mark = dir + "\\" + kPlantedMark;
  g_report.Check(!FileExists(mark), "no code of the library planted in the current folder and "
                                    "on PATH ran");
  DeleteFileA(mark.c_str());
  const HMODULE planted = LoadLibraryA((dir + "\\OVSTRING5.DLL").c_str());
  if (planted) FreeLibrary(planted);
  g_report.Check(FileExists(mark), "the planted library leaves its mark when its code runs");
  DeleteFileA(mark.c_str());
}

// ---------------------------------------------------------------- whole run

void RunBlock(EntryCaller& lib, const Options& o) {
  HWND host = CreateHostWindow();
  HostBlock block(host, kTitle);
  HWND plot;
  {
    PhaseTimer t("opening the block");
    plot = OpenBlock(lib, block, host, {}, "first block");
  }
  if (!plot) return;
  if (!o.plantedDir.empty()) CheckRangeMessage(plot);
  {
    PhaseTimer t("window calls");
    CheckHideShow(lib, block, plot);
    CheckSecondBlock(lib, block, plot, host);
  }
  {
    PhaseTimer t("system file");
    CheckSystemFile(lib, block, o.outDir);
  }
  Simulation sim(lib, block, plot);
  {
    PhaseTimer t("pen rule");
    CheckPenRule(sim, plot);
  }
  {
    PhaseTimer t("plot run");
    RecordPlot(sim, plot, o);
  }
  lib.Call("EndSimulationDLL", {});
  lib.Call("DisposeUserDLL", {Ptr(block.Record())});
  Settle();
  g_report.Check(!IsWindow(plot), "DisposeUserDLL destroys the window");
  DestroyWindow(host);
}

// The library's version resource, read from the file beside this program as Explorer reads it.
void CheckVersion(const std::string& library) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path(exe);
  path = path.substr(0, path.find_last_of('\\') + 1) + library;
  const TVersionInfo info = ReadVersionInfo(path);
  const std::string expected = TRAZEL_EXPECTED_VERSION;
  g_report.Check(info.Error.empty() && VersionText(info.FileVersion) == expected + ".0" &&
                     VersionText(info.ProductVersion) == expected + ".0",
                 "version resource: file and product version " + expected,
                 info.Error.empty() ? VersionText(info.FileVersion) : info.Error);
  const bool german =
      info.Translations.size() == 1 && info.Translations[0] == MAKELONG(0x0407, 1252);
  g_report.Check(german && info.Text("ProductVersion") == expected &&
                     info.Text("ProductName") == "Trazel",
                 "version resource: German texts in Windows-1252, product Trazel " + expected,
                 info.Text("FileDescription"));
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  char text[128];
  std::snprintf(text, sizeof text, "exception 0x%08lX at %p",
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                info->ExceptionRecord->ExceptionAddress);
  g_report.Check(false, "no exception reaches the host", text);
  g_report.Summary();
  ExitProcess(3);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: smoke32 [--dll NAME] [--out DIR] [--reference DIR] [--max-diff N]"
                 " [--planted DIR]\n");
    return 2;
  }
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(ReportCrash);
  g_report.Note(std::string("library ") + o.library + ", " +
                (sizeof(void*) == 4 ? "i686" : "x86_64"));
  CheckVersion(o.library);
  if (!o.plantedDir.empty()) PlantAround(o.plantedDir);
  try {
    std::unique_ptr<EntryCaller> lib;
    {
      PhaseTimer t("loading the library");
      lib = std::make_unique<EntryCaller>(o.library);
    }
    g_report.Check(lib->Loaded(), "LoadLibrary " + o.library,
                   "error " + std::to_string(lib->LoadError()));
    if (lib->Loaded()) {
      CheckExports(*lib);
      CheckConstants(*lib);
      CheckRecords(*lib);
      RunBlock(*lib, o);
      CheckStackCleanup(*lib);
      g_report.Check(lib->Unload(), "FreeLibrary unloads the library");
    }
    if (!o.plantedDir.empty()) CheckNoPlantedCodeRan(o.plantedDir);
  } catch (const std::exception& e) {
    g_report.Check(false, "smoke run completes", e.what());
  }
  g_report.Summary();
  return g_report.Failed() ? 1 : 0;
}
