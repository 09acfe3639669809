// The host program trazelplay: its block session against the real library, the watcher that
// closes message boxes in unattended runs, and the program itself run on good and bad files.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "host/BlockSession_win.h"
#include "host/BoxWatcher_win.h"
#include "host/HostLibrary.h"
#include "support/BlockHost_win.h"
#include "support/UiDriver_win.h"

namespace {

// A folder of its own in the temporary folder for the files of a test, removed afterwards.
class TTempFolder {
 public:
  TTempFolder() {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "trazelplay_test_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TTempFolder() {
    for (const std::string& f : files_) DeleteFileA(f.c_str());
    RemoveDirectoryA(path_.c_str());
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // Writes a file of the folder and returns its full name.
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string file = Name(name);
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  // The full name of a file of the folder (removed with the folder).
  std::string Name(const std::string& name) {
    files_.push_back(path_ + "\\" + name);
    return files_.back();
  }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

std::string ReadAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char kSettings[] = "-1\r\n1\r\n-1\r\n1\r\n10\r\n10\r\n80\r\n80\r\n1\r\n*.*\r\n";

TEST(HostSession, ReadsSettingsWithOtherLineEndsThroughACopy) {
  BlockLibrary library;
  TBlockSession session(library, "Kennfeld");
  // What the host program hands on for a file with LF line ends: the lines with CR LF.
  session.ReadSettings("", "0\r\n250\r\n-5\r\n5\r\n10\r\n10\r\n80\r\n80\r\n0\r\n*.*\r\n", false);
  const std::string status = StatusBarText(FindChild(session.Window(), STATUSCLASSNAMEA));
  EXPECT_NE(status.find("250"), std::string::npos) << status;
  EXPECT_NE(status.find("-5"), std::string::npos) << status;
}

TEST(HostSession, SizesTheDrawingAreaAndTheLineWidthAsAsked) {
  BlockLibrary library;
  TBlockSession session(library, "Kennfeld");
  session.SetDrawingAreaSize(500, 300);
  RECT client;
  GetClientRect(session.DrawingArea(), &client);
  EXPECT_EQ(client.right, 500);
  EXPECT_EQ(client.bottom, 300);
  EXPECT_THROW(session.SetDrawingAreaSize(20000, 300), std::runtime_error);

  session.SetLineWidth(4);
  HWND upDown = FindChild(session.Window(), UPDOWN_CLASSA);
  EXPECT_EQ(SendMessageA(upDown, UDM_GETPOS32, 0, 0), 4);
  const Image area = session.Picture(true);
  EXPECT_EQ(area.Width, 500);
  EXPECT_EQ(area.Height, 300);
}

TEST(HostSession, ARunDrawsOnlyWhileThePenIsDown) {
  BlockLibrary library;
  TBlockSession session(library, "Kennfeld");
  session.ReadSettings("", kSettings, false);
  const uint32_t blue = 0x0000FF;
  session.Begin(TSample{-0.5L, -0.5L, 0});
  session.Step(TSample{-0.5L, 0.5L, 0});
  TBlockSession::Settle();
  const int drawn = CountColour(session.Picture(true), blue);
  EXPECT_GT(drawn, 20);
  // Pen up: the line to the far corner is not drawn.
  session.Step(TSample{0.5L, 0.5L, 5});
  session.Step(TSample{0.6L, -0.5L, 5});
  session.End();
  TBlockSession::Settle();
  EXPECT_EQ(CountColour(session.Picture(true), blue), drawn);
}

TEST(HostBoxWatcher, ReportsAndClosesEveryBoxOfTheThread) {
  std::vector<std::string> reported;
  TBoxWatcher watcher(GetCurrentThreadId(),
                      [&](const std::string& caption, const std::string& text) {
                        reported.push_back(caption + "|" + text);
                      });
  // Each box would wait for a user; the watcher answers it.
  EXPECT_EQ(MessageBoxA(nullptr, "Ung\xFCltiges Bitmap-Format.", "Fehler", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "Weiter?", "Frage", MB_YESNO), IDNO);
  EXPECT_EQ(watcher.Count(), 2);
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[0], "Fehler|Ung\xFCltiges Bitmap-Format.");
  EXPECT_EQ(reported[1], "Frage|Weiter?");
}

// The host program run as a process of its own, as a user runs it.
struct TRun {
  DWORD ExitCode = 0;
  std::string Output;  // standard output and error together
  bool Ended = false;
};

TRun RunHostProgram(const std::string& arguments) {
  TRun run;
  const std::string program = uitest::ProgramFolder() + "trazelplay64.exe";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::string command = "\"" + program + "\" " + arguments;
  const BOOL started = CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, TRUE, 0,
                                      nullptr, uitest::ProgramFolder().c_str(), &startup, &process);
  CloseHandle(writeEnd);
  if (started) {
    // Reads what has come while waiting, so that a program that hangs is ended after a minute.
    auto drain = [&] {
      char buffer[4096];
      DWORD available = 0, n = 0;
      while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
             ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0)
        run.Output.append(buffer, n);
    };
    const ULONGLONG start = GetTickCount64();
    while (!run.Ended && GetTickCount64() - start < 60000) {
      run.Ended = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
      drain();
    }
    if (!run.Ended) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &run.ExitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    run.Output = "cannot start " + program + " (build the trazelplay64 target)";
  }
  CloseHandle(readEnd);
  return run;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(HostProgram, SkipsBadLinesOfASamplesFileAndSavesThePicture) {
  TTempFolder folder;
  const std::string samples =
      folder.Write("bad.csv", "x,y,control\r\n0,0,0\r\n0.5,abc,0\r\n1;1;0\r\n1,2,3,4\r\n0.2,-0.8");
  const std::string picture = folder.Name("bad.png");
  const TRun run = RunHostProgram("--samples \"" + samples + "\" --out \"" + picture + "\"");
  ASSERT_TRUE(run.Ended);
  EXPECT_EQ(run.ExitCode, 0u) << run.Output;
  EXPECT_TRUE(Contains(run.Output, "bad.csv:3: y value 'abc' is not a number (line skipped)"))
      << run.Output;
  EXPECT_TRUE(Contains(run.Output, "bad.csv:5: 4 values")) << run.Output;
  EXPECT_TRUE(Contains(run.Output, "3 steps, 2 bad lines skipped")) << run.Output;
  EXPECT_EQ(ReadAll(picture).substr(0, 8), "\x89PNG\r\n\x1A\n");
}

TEST(HostProgram, NamesWhatIsWrongAndEndsWithItsExitStatus) {
  TTempFolder folder;
  const std::string samples = folder.Write("ok.csv", "0,0,0\n1,1,0\n");
  const std::string badSettings = folder.Write("map.txt", "0\n1\nabc\n1\n10\n10\n80\n80\n1\n*.*\n");
  folder.Write("junk.bmp", std::string(3000, '\x5A'));
  const std::string junkPicture =
      folder.Write("junk.txt", "-1\r\n1\r\n-1\r\n1\r\n10\r\n10\r\n80\r\n80\r\n1\r\njunk.bmp\r\n");
  const std::string out = " --out \"" + folder.Name("out.png") + "\"";
  struct Case {
    std::string arguments;
    DWORD exitCode;
    const char* message;
  };
  const Case cases[] = {
      {"--samples \"" + folder.Name("missing.csv") + "\"" + out, 1, "cannot open the samples file"},
      {"--samples \"" + samples + "\" --settings \"" + badSettings + "\"" + out, 1,
       "map.txt:3: YMin: 'abc' is not a number"},
      {"--samples \"" + samples + "\" --settings \"" + junkPicture + "\"" + out, 1,
       "the block showed a message box"},
      {"--samples \"" + samples + "\" --size 9000x200" + out, 1, "larger than the screen"},
      {"--samples \"" + samples + "\" --colour red", 2, "unknown option '--colour'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const TRun run = RunHostProgram(c.arguments);
    ASSERT_TRUE(run.Ended) << run.Output;
    EXPECT_EQ(run.ExitCode, c.exitCode) << run.Output;
    EXPECT_TRUE(Contains(run.Output, c.message)) << run.Output;
  }
}

}  // namespace
