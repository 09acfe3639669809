// Robustness of the block under wine64: whatever fails inside an entry point stays inside it
// (the test build's fault injection makes each allocation fail in turn, or the body throw), and
// the block leaves no window, GDI object or memory behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "block/HostBlock.h"
#include "host/BoxWatcher_win.h"
#include "support/BlockHost_win.h"
#include "support/PlotCheck_win.h"
#include "support/ProcessResources_win.h"
#include "support/SystemFile_win.h"
#include "support/TestPictures.h"

namespace {

// The library's fault injection (x86_64 test build): TRAZEL_FAULT must be set when the library
// loads, so a switch is made before the test host.
class TFaults {
 public:
  TFaults() { Disarm(); }
  ~TFaults() {
    SetEnvironmentVariableA("TRAZEL_FAULT", nullptr);
    SetEnvironmentVariableA("TRAZEL_FAULT_HIT", nullptr);
  }
  TFaults(const TFaults&) = delete;
  TFaults& operator=(const TFaults&) = delete;

  void Arm(const std::string& entry, const std::string& how) {
    SetEnvironmentVariableA("TRAZEL_FAULT_HIT", nullptr);
    SetEnvironmentVariableA("TRAZEL_FAULT", (entry + ":" + how).c_str());
  }
  void Disarm() { SetEnvironmentVariableA("TRAZEL_FAULT", "none"); }
  // The name of the entry point that failed since the last Arm, or "".
  std::string Hit() const {
    char name[64] = {};
    GetEnvironmentVariableA("TRAZEL_FAULT_HIT", name, sizeof name);
    return name;
  }
};

// Message boxes of this thread, read and closed by a watcher.
class TBoxes {
 public:
  TBoxes()
      : watcher_(GetCurrentThreadId(), [this](const std::string& caption, const std::string& text) {
          std::lock_guard<std::mutex> lock(mutex_);
          seen_.emplace_back(caption, text);
        }) {}
  std::vector<std::pair<std::string, std::string>> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(seen_, {});
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> seen_;
  TBoxWatcher watcher_;
};

// Keeps the message loop running until the watcher has had time to see a box that is open.
void LetBoxesClose() { Settle(30); }

// What a block without faults can still do: take a run of steps and draw them.
void UseBlock(TestHost& host, HostBlock& block) {
  host.InitRun(block, -0.5L, -0.5L, 0);
  for (int i = 0; i < 20; ++i) host.Step(block, -0.5L + i * 0.05L, 0.5L * (i % 3), i == 10 ? 5 : 0);
  host.Api().HideWindowDLL(block.Record());
  host.Api().ShowWindowDLL(block.Record());
}

// Counts of what the process holds.
struct TCounts {
  int Windows = 0;
  int GdiObjects = 0;
};

TCounts Now() {
  Settle();
  return {WindowCount(), GdiObjectCount()};
}

// The process after a block was placed, used, made to fail twice and disposed of, and a second
// block placed and disposed: what the window system and the library keep once for good
// (classes, caches, the message boxes' fonts and icons) is then there before the count.
TCounts WarmedUp(TestHost& host, TFaults& faults, TBoxes& boxes) {
  HostBlock& block = host.Place("Vorlauf");
  UseBlock(host, block);
  for (int i = 0; i < 2; ++i) {
    faults.Arm("ShowWindowDLL", "throw");
    host.Api().ShowWindowDLL(block.Record());
  }
  faults.Disarm();
  host.Dispose(block);
  host.Dispose(host.Place("Vorlauf 2"));
  LetBoxesClose();
  boxes.Take();
  return Now();
}

// Runs round until two runs in a row leave the counts alike: what the first runs keep are the
// platform's caches (a message box with a new text keeps a little, sometimes only in the second
// run), a leak grows with every run.
void ExpectFlat(const std::function<void()>& round) {
  round();
  TCounts last = Now();
  for (int run = 2; run <= 5; ++run) {
    round();
    const TCounts now = Now();
    if (now.Windows == last.Windows && now.GdiObjects == last.GdiObjects) return;
    last = now;
  }
  ADD_FAILURE() << "windows or GDI objects grow with every run: now " << last.Windows
                << " windows, " << last.GdiObjects << " GDI objects";
}

// GDI objects that the window system may make once, at a moment of its own choosing, and keep
// (device contexts of its cache, fonts and icons of message boxes).
constexpr int kCachedOnce = 20;

constexpr int kMaxAllocations = 3000;

// Arms "<entry>:<n>" for n = 1, 2, ... and runs call each time, until a call runs without
// reaching its n-th allocation; after each call, check. Returns the allocations of the call.
int FailEachAllocation(TFaults& faults, const char* entry, const std::function<void()>& call,
                       const std::function<void()>& check) {
  for (int n = 1; n <= kMaxAllocations; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n) + " fails");
    faults.Arm(entry, std::to_string(n));
    call();
    faults.Disarm();
    const bool hit = faults.Hit() == entry;
    check();
    if (::testing::Test::HasFatalFailure()) return n;
    if (!hit) return n - 1;
  }
  ADD_FAILURE() << entry << " still allocates after " << kMaxAllocations << " allocations";
  return kMaxAllocations;
}

// Entry points whose bodies call into the window system, the settings or the trace store.
// Each throws at once, then fails at each of its allocations in turn; the error reaches the
// user as the library's message box and never the host as an exception.
class EntryPointFaults : public ::testing::Test {
 protected:
  TFaults faults;  // before the host: the library reads the switch when it loads
  TBoxes boxes;
  TestHost host;
};

TEST_F(EntryPointFaults, AThrowingBodyEndsInTheLibrarysErrorBox) {
  const TCounts before = WarmedUp(host, faults, boxes);
  ExpectFlat([&] {
    HostBlock& block = host.Place();
    const InputRecord in(0.1L, 0.2L, 0);
    const std::vector<std::pair<const char*, std::function<void()>>> entries = {
        {"InitUserDLL", [&] {
           HostBlock spare(host.HostWindow(), "Ersatz");
           host.Api().InitUserDLL(spare.Record());
           EXPECT_EQ(spare.WindowSlot(), 0u);  // no window: nothing for the host to dispose
           host.Api().DisposeUserDLL(spare.Record());
         }},
        {"ShowWindowDLL", [&] { host.Api().ShowWindowDLL(block.Record()); }},
        {"HideWindowDLL", [&] { host.Api().HideWindowDLL(block.Record()); }},
        {"InitSimulationDLL", [&] { host.Api().InitSimulationDLL(block.Record(), in.bytes, 0); }},
        {"SimulateDLL", [&] { host.Api().SimulateDLL(0, 0, 0, block.Record(), in.bytes, 0); }},
        {"WriteToFile", [&] { systemfile::SavedLines(host, block); }},
        {"ReadFromFile", [&] { systemfile::ReadSettings(host, block, std::string(38, 'x')); }},
        {"DisposeUserDLL", [&] {
           HostBlock spare(host.HostWindow(), "Ersatz");
           host.Api().InitUserDLL(spare.Record());
           host.Api().DisposeUserDLL(spare.Record());  // throws before the window goes
           faults.Disarm();
           host.Api().DisposeUserDLL(spare.Record());  // the host's next try succeeds
         }},
    };
    for (const auto& [entry, call] : entries) {
      SCOPED_TRACE(entry);
      faults.Arm(entry, "throw");
      call();
      faults.Disarm();
      Settle(2);
      EXPECT_EQ(faults.Hit(), entry);
      const auto seen = boxes.Take();
      ASSERT_EQ(seen.size(), 1u);
      EXPECT_EQ(seen[0].first, "Fehler");
      EXPECT_EQ(seen[0].second, "Unbekannter Fehler im Baustein Trazel.");
      UseBlock(host, block);  // the block works on
    }
    host.Dispose(block);
  });
  EXPECT_EQ(Now().Windows, before.Windows);
}

TEST_F(EntryPointFaults, PlacingABlockFailsAtEachAllocationWithoutLeftovers) {
  const TCounts before = WarmedUp(host, faults, boxes);
  int allocations = 0;
  ExpectFlat([&] {
    allocations = FailEachAllocation(
        faults, "InitUserDLL",
        [&] {
          HostBlock block(host.HostWindow(), "Kennfeld");
          host.Api().InitUserDLL(block.Record());
          Settle();
          // Whether it has a window or not, the block answers the host and goes again.
          UseBlock(host, block);
          host.Api().DisposeUserDLL(block.Record());
        },
        [&] {
          Settle(2);
          boxes.Take();
          EXPECT_EQ(WindowCount(), before.Windows);
        });
  });
  EXPECT_GT(allocations, 0);
}

TEST_F(EntryPointFaults, EveryOtherEntryPointFailsAtEachAllocation) {
  const TCounts before = WarmedUp(host, faults, boxes);
  HostBlock& block = host.Place();
  UseBlock(host, block);
  const TCounts placed = Now();
  const InputRecord down(0.3L, 0.4L, 0), rise(0.3L, 0.4L, 5);
  const std::string saved = systemfile::Lines(
      {"-2", "2", "-3", "3", "10", "10", "80", "80", "1", "C:\\nirgends\\karte.bmp"});
  const std::vector<std::pair<const char*, std::function<void()>>> entries = {
      {"ShowWindowDLL", [&] { host.Api().ShowWindowDLL(block.Record()); }},
      {"HideWindowDLL", [&] { host.Api().HideWindowDLL(block.Record()); }},
      {"InitSimulationDLL", [&] { host.Api().InitSimulationDLL(block.Record(), down.bytes, 0); }},
      // A rise of the control input starts a new trace: the step allocates its lists.
      {"SimulateDLL", [&] {
         host.Api().SimulateDLL(0, 0, 0, block.Record(), rise.bytes, 0);
         host.Api().SimulateDLL(0, 0, 0, block.Record(), down.bytes, 0);
       }},
      {"WriteToFile", [&] { systemfile::SavedLines(host, block); }},
      {"ReadFromFile", [&] { systemfile::ReadSettings(host, block, saved); }},
  };
  for (const auto& [entry, call] : entries) {
    SCOPED_TRACE(entry);
    FailEachAllocation(faults, entry, call, [&] {
      Settle(2);
      boxes.Take();
      host.Step(block, 0.1L, 0.1L, 0);  // the block takes the next step
      ASSERT_TRUE(IsWindow(host.WindowOf(block)));
    });
    UseBlock(host, block);
  }
  // Some hundred failures: a leak of even one object each would show above what the window
  // system may cache once (device contexts of its cache, the boxes' fonts).
  const TCounts failed = Now();
  EXPECT_EQ(failed.Windows, placed.Windows);
  EXPECT_LE(failed.GdiObjects - placed.GdiObjects, kCachedOnce);
  host.Dispose(block);
  EXPECT_EQ(Now().Windows, before.Windows);
}

TEST_F(EntryPointFaults, DisposingFailsAtEachAllocationAndTheNextTrySucceeds) {
  const TCounts before = WarmedUp(host, faults, boxes);
  ExpectFlat([&] {
    FailEachAllocation(
        faults, "DisposeUserDLL",
        [&] {
          HostBlock block(host.HostWindow(), "Kennfeld");
          host.Api().InitUserDLL(block.Record());
          UseBlock(host, block);
          host.Api().DisposeUserDLL(block.Record());
          faults.Disarm();
          host.Api().DisposeUserDLL(block.Record());
        },
        [&] {
          Settle(2);
          boxes.Take();
          EXPECT_EQ(WindowCount(), before.Windows);
        });
  });
}

// The entry points that only hand out constants or fill the host's records call nothing that
// can fail; they answer the same before and after the others failed.
TEST_F(EntryPointFaults, ConstantEntryPointsAnswerAlike) {
  const BlockEntryPoints& api = host.Api();
  for (const char* entry : {"GetDLLName", "CanSimulateDLL", "SetInputChar"}) {
    faults.Arm(entry, "throw");
    EXPECT_STREQ(api.GetDLLName(), "Trazel");
    EXPECT_STREQ(api.SetInputChar(), "xyS");
    EXPECT_EQ(api.NumberOfLinesInSystemFile(), 10);
    EXPECT_EQ(api.CanSimulateDLL(0xFFFFFFFFu), 1);
    api.IsUserDLL32();
    api.EndSimulationDLL();
    uint8_t record[200] = {};
    api.GetNumberOfInputsOutputs(record);
    api.GetParameterStruct(record);
    api.GetDialogEnableStruct(record, 0xFFFFFFFFu);
    EXPECT_EQ(faults.Hit(), "");
  }
  faults.Disarm();
}

// A record that the library never filled (its window slot 0 or unknown): the entry points
// leave it alone instead of reaching for a window that is not there.
TEST_F(EntryPointFaults, ABlockWithoutWindowIsLeftAlone) {
  const TCounts before = WarmedUp(host, faults, boxes);
  for (uint32_t slot : {0u, 12345u}) {
    SCOPED_TRACE(slot);
    HostBlock block(host.HostWindow(), "Fremd");
    hostblock::WriteField(block.Record(), hostblock::kWindowSlotOffset, slot);
    UseBlock(host, block);
    systemfile::SavedLines(host, block);
    systemfile::ReadSettings(host, block, std::string("1\r\n"));
    host.Api().DisposeUserDLL(block.Record());
  }
  LetBoxesClose();
  EXPECT_TRUE(boxes.Take().empty());
  const TCounts after = Now();
  EXPECT_EQ(after.Windows, before.Windows);
  EXPECT_EQ(after.GdiObjects, before.GdiObjects);
}

// ---------------------------------------------------------------------------------------------
// Hostile background pictures: the damaged bitmaps of the test pictures and metafiles whose
// records claim absurd sizes. Repainting over them again and again neither crashes nor hangs,
// keeps windows, GDI objects and memory flat, reports each unreadable file once with the
// platform's error, and the window goes on drawing curves.

using testpictures::TestWmf;

const std::string kBadBitmap = "Ung\xFCltiges Bitmap-Format.\n";
const std::string kBadMetafile = "Ung\xFCltiges Metafile-Format.\n";
const std::string kRecordCut = kBadMetafile +
                               "Ein Datensatz des Metafiles ist l\xE4nger als der Rest der Datei "
                               "oder k\xFCrzer als sein Kopf.";
const std::string kRecordContents =
    kBadMetafile + "Ein Datensatz des Metafiles gibt Gr\xF6\xDF" "en an, die nicht in ihn passen.";

// A damaged file and the error it is reported with ("" for a file that is drawn as far as it
// goes).
struct THostileFile {
  std::string Path;
  std::string Error;
};

// Metafile files made here, each damaged in its own way.
std::vector<std::pair<THostileFile, std::vector<uint8_t>>> HostileMetafiles() {
  std::vector<std::pair<THostileFile, std::vector<uint8_t>>> files;
  auto add = [&](const std::string& name, const std::string& error,
                 const std::vector<uint8_t>& bytes) {
    files.push_back({{systemfile::TempPath(name), error}, bytes});
  };
  TestWmf huge;  // a record that says it is 8 GiB long
  huge.AddSized(testpictures::kWmfSetWindowExt, {100, 100}, 0xFFFFFFFFu);
  add("riesensatz.wmf", kRecordCut, huge.Placeable(0, 0, 100, 100, 1440));
  TestWmf empty;  // a record of no length at all: a reader that trusts it never moves on
  empty.AddSized(testpictures::kWmfSetBkMode, {1}, 0);
  add("nullsatz.wmf", kRecordCut, empty.Bytes());
  TestWmf points;  // 30000 points announced, two given
  points.Add(testpictures::kWmfPolyline, {30000, 0, 0, 50, 50});
  add("punkte.wmf", kRecordContents, points.Placeable(0, 0, 100, 100, 1440));
  TestWmf text;  // a text of 32767 characters announced, four given
  text.Add(testpictures::kWmfTextOut, {32767, 0x6261, 0x6463, 10, 10});
  add("text.wmf", kRecordContents, text.Bytes());
  TestWmf object;  // an object number far beyond the metafile's table
  object.Objects = 1;
  object.Add(testpictures::kWmfSelectObject, {60000});
  add("objekt.wmf",
      kBadMetafile + "Ein Datensatz des Metafiles verweist auf ein Objekt, das es nicht gibt.",
      object.Bytes());
  TestWmf cut;  // no end record, and a header that claims far more than the file holds
  cut.Add(testpictures::kWmfSetWindowOrg, {0, 0});
  std::vector<uint8_t> cutBytes = cut.Bytes(false);
  cutBytes[6] = cutBytes[7] = cutBytes[8] = 0xFF;
  add("abgeschnitten.wmf", "", cutBytes);
  TestWmf many;  // 2000 pens made and never deleted: the platform's table holds them all
  many.Objects = 2000;
  many.Add(testpictures::kWmfSetWindowOrg, {0, 0});
  many.Add(testpictures::kWmfSetWindowExt, {100, 100});
  for (int i = 0; i < 2000; ++i) many.Add(testpictures::kWmfCreatePenIndirect, {0, 1, 0, 0, 0});
  add("stifte.wmf", "", many.Bytes());
  TestWmf frame;  // a frame of no size and an inch of no units
  frame.Add(testpictures::kWmfRectangle, {90, 90, 10, 10});
  add("rahmen.wmf", "", frame.Placeable(50, 50, 50, 50, 0));
  return files;
}

class HostilePictures : public ::testing::Test {
 protected:
  void SetUp() override {
    block_ = &host_.Place("Karte");
    window_ = host_.WindowOf(*block_);
    ASSERT_TRUE(window_);
  }
  // Takes the file as background picture (through the block's lines) and repaints.
  void Show(const std::string& file) {
    systemfile::ReadSettings(host_, *block_,
                             systemfile::Lines({"-1", "1", "-1", "1", "0", "0", "100", "100", "1", file}));
    RepaintNow(window_);
    Settle(2);
  }

  TBoxes boxes_;
  TestHost host_;
  HostBlock* block_ = nullptr;
  HWND window_ = nullptr;
};

TEST_F(HostilePictures, RepaintingOverThemKeepsEverythingFlat) {
  std::vector<THostileFile> files;
  // The damaged bitmaps of the test pictures, with the cause each message names; the
  // run-length one is drawn as far as it goes.
  const std::pair<const char*, std::string> bitmaps[] = {
      {"badbitcount.bmp", kBadBitmap + "Eine Farbtiefe von 30000 Bit wird nicht unterst\xFCtzt."},
      {"badheadersize.bmp", kBadBitmap + "Eine Kopfgr\xF6\xDF" "e von 66 Byte ist unbekannt."},
      {"badrle.bmp", ""},
      {"reallybig.bmp", kBadBitmap + "Das Bild ist zu gro\xDF f\xFCr den Speicher (h\xF6"
                                     "chstens 65535 Bildpunkte breit oder hoch und 67108864 "
                                     "Bildpunkte in allem)."},
      {"shortfile.bmp", kBadBitmap + "Die Bilddaten sind unvollst\xE4ndig: die Datei ist zu kurz."},
  };
  for (const auto& [name, error] : bitmaps) {
    const std::string path =
        testpictures::WinePath(testpictures::PicturePath(std::string("bmp/bad/") + name));
    files.push_back({path, error});
  }
  for (const auto& [file, bytes] : HostileMetafiles()) {
    systemfile::WriteFileBytes(file.Path, std::string(bytes.begin(), bytes.end()));
    files.push_back(file);
  }
  // Each round shows every file three times.
  constexpr int kRounds = 4;
  TCounts counts[kRounds];
  size_t memory[kRounds] = {};
  for (int round = 0; round < kRounds; ++round) {
    for (const THostileFile& file : files) {
      SCOPED_TRACE(file.Path);
      for (int i = 0; i < 3; ++i) {
        const DWORD start = GetTickCount();
        Show(file.Path);
        EXPECT_LT(GetTickCount() - start, 10000u) << "a repaint that takes this long hangs";
      }
      // An unreadable file is reported once for the three repaints, with the error for it,
      // in every round: the "*.*" below makes the next read a new one.
      const auto seen = boxes_.Take();
      if (file.Error.empty()) {
        EXPECT_TRUE(seen.empty());
      } else {
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].first, "Fehler");
        EXPECT_EQ(seen[0].second, file.Path + ":\n" + file.Error);
      }
      Show("*.*");
    }
    counts[round] = Now();
    memory[round] = ProcessMemory();
  }
  // The first round leaves what the platform keeps; after it nothing grows round by round.
  for (int round = 1; round < kRounds; ++round) {
    EXPECT_EQ(counts[round].Windows, counts[0].Windows) << "round " << round;
    EXPECT_LE(counts[round].GdiObjects, counts[0].GdiObjects + kCachedOnce) << "round " << round;
  }
  EXPECT_FALSE(counts[1].GdiObjects < counts[2].GdiObjects &&
               counts[2].GdiObjects < counts[3].GdiObjects)
      << "GDI objects grow with every round: " << counts[1].GdiObjects << ", "
      << counts[2].GdiObjects << ", " << counts[3].GdiObjects;
  EXPECT_LT(memory[3], memory[1] + (4u << 20)) << memory[1] << " -> " << memory[3];
  // The window goes on drawing curves.
  host_.InitRun(*block_, -0.7L, 0.1L, 0);
  host_.Step(*block_, 0.7L, 0.1L, 0);
  host_.EndRun();
  const Image screen = DrawingAreaPicture(window_);
  EXPECT_TRUE(LineShown(screen, MapOf(screen), -0.7, 0.1, 0.7, 0.1));
}

// ---------------------------------------------------------------------------------------------
// A long run through the host's entry points: steps in many traces with full repaints in
// between, then plot windows placed and disposed of one after the other. Nothing fails, no
// message box opens, GDI and USER objects stay where they were, and the trace store takes the
// memory the benchmark states. The test run takes a short version; tools/longrun.sh sets
// TRAZEL_LONGRUN_* for the long one (10,000,000 steps in 1,000 traces, 200 windows).

long EnvNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

// The benchmark's figure: a stored point takes two 32-bit floats in pages of 1024 values, so
// about 8 bytes; with what the pages round up to, no more than this.
constexpr double kBytesPerPoint = 10.0;

TEST(LongRun, StepsInManyTracesWithRepaintsThenWindowsComeAndGo) {
  const long steps = EnvNumber("TRAZEL_LONGRUN_STEPS", 50000);
  const long traces = std::max(1L, EnvNumber("TRAZEL_LONGRUN_TRACES", 10));
  const long repaintEvery = std::max(1L, EnvNumber("TRAZEL_LONGRUN_REPAINT_EVERY", 2));
  const long windows = EnvNumber("TRAZEL_LONGRUN_WINDOWS", 20);
  TBoxes boxes;
  TestHost host;
  HostBlock& block = host.Place("Dauerlauf");
  const HWND window = host.WindowOf(block);
  ASSERT_TRUE(window);
  // One trace and a repaint before the counts: what the first drawing keeps for good.
  host.InitRun(block, 0, 0, 0);
  for (int i = 0; i < 100; ++i) host.Step(block, i * 0.01L - 0.5L, 0.2L, 0);
  RepaintNow(window);
  const TCounts before = Now();
  const size_t memoryBefore = ProcessMemory();

  const long perTrace = steps / traces;
  std::vector<int> gdiAtRepaints;
  const DWORD start = GetTickCount();
  DWORD repainting = 0;
  int repaints = 0;
  host.InitRun(block, -0.9L, -0.9L, 0);
  for (long t = 0; t < traces; ++t) {
    for (long i = 0; i < perTrace; ++i) {
      // A sweep over the plot in short segments, a different height in every trace.
      const long double x = -0.95L + 1.9L * static_cast<long double>(i % 2000) / 2000.0L;
      const long double y = -0.9L + 1.8L * static_cast<long double>(t % 50) / 50.0L +
                            0.01L * static_cast<long double>(i % 7);
      host.Step(block, x, y, i + 1 == perTrace ? 5 : 0);  // the last step lifts the pen
    }
    if ((t + 1) % repaintEvery == 0) {
      const DWORD repaintStart = GetTickCount();
      RepaintNow(window);
      repainting += GetTickCount() - repaintStart;
      ++repaints;
      const TCounts now = Now();
      ASSERT_EQ(now.Windows, before.Windows) << "after trace " << t + 1;
      ASSERT_LE(now.GdiObjects, before.GdiObjects + kCachedOnce) << "after trace " << t + 1;
      gdiAtRepaints.push_back(now.GdiObjects);
    }
  }
  // No growth: the second half of the repaints holds no more GDI objects than the first.
  if (gdiAtRepaints.size() >= 2) {
    const auto half = gdiAtRepaints.begin() + gdiAtRepaints.size() / 2;
    EXPECT_LE(*std::max_element(half, gdiAtRepaints.end()),
              *std::max_element(gdiAtRepaints.begin(), half));
  }
  const double seconds = (GetTickCount() - start) / 1000.0;
  const size_t memoryAfter = ProcessMemory();
  const double bytesPerPoint =
      static_cast<double>(memoryAfter - memoryBefore) / static_cast<double>(perTrace * traces);
  std::printf("long run: %ld steps in %ld traces, %.1f s (%.1f us a step with the repaints), "
              "%d repaints in %.1f s, %.2f bytes of process memory a point\n",
              perTrace * traces, traces, seconds, seconds * 1e6 / (perTrace * traces), repaints,
              repainting / 1000.0, bytesPerPoint);
  // Below a million points the memory taken is within the noise of the process's other needs.
  if (perTrace * traces >= 1000000) {
    EXPECT_LE(bytesPerPoint, kBytesPerPoint);
  }
  host.Dispose(block);

  // Windows placed, used and disposed of, one after the other; a leak of a window or of a
  // GDI object each would show as growth from the first half to the second.
  const TCounts empty = Now();
  TCounts half = empty;
  for (long w = 0; w < windows; ++w) {
    HostBlock& other = host.Place("Fenster " + std::to_string(w + 1));
    UseBlock(host, other);
    RepaintNow(host.WindowOf(other));
    host.Dispose(other);
    if (w + 1 == windows / 2) half = Now();
  }
  const TCounts after = Now();
  std::printf("long run: %ld windows placed and disposed of; windows %d -> %d -> %d, GDI objects "
              "%d -> %d -> %d\n", windows, empty.Windows, half.Windows, after.Windows,
              empty.GdiObjects, half.GdiObjects, after.GdiObjects);
  EXPECT_EQ(half.Windows, empty.Windows);
  EXPECT_EQ(after.Windows, empty.Windows);
  EXPECT_LE(after.GdiObjects, half.GdiObjects);
  EXPECT_LE(after.GdiObjects, empty.GdiObjects + kCachedOnce);
  Settle();
  EXPECT_TRUE(boxes.Take().empty()) << "a message box opened";
}

}  // namespace
