// The host program trazelplay: its block session against the real library, the watcher that
// closes message boxes in unattended runs, and the program itself run on good and bad files.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TrazelVersion.h"

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
  const std::string& Path() const { return path_; }

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
  std::string Output;  // standard output
  std::string Errors;  // standard error
  bool Ended = false;
};

// Runs trazelplay with the arguments in the folder (default: the program's own).
TRun RunHostProgram(const std::string& arguments, std::string folder = "") {
  TRun run;
  const std::string program = uitest::ProgramFolder() + "trazelplay64.exe";
  if (folder.empty()) folder = uitest::ProgramFolder();
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out[2] = {}, err[2] = {};  // read end, write end
  if (!CreatePipe(&out[0], &out[1], &inherit, 0) || !CreatePipe(&err[0], &err[1], &inherit, 0))
    return run;
  SetHandleInformation(out[0], HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err[0], HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out[1];
  startup.hStdError = err[1];
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::string command = "\"" + program + "\" " + arguments;
  const BOOL started = CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, TRUE, 0,
                                      nullptr, folder.c_str(), &startup, &process);
  CloseHandle(out[1]);
  CloseHandle(err[1]);
  if (started) {
    // Reads what has come while waiting, so that a program that hangs is ended after a minute.
    auto drain = [](HANDLE pipe, std::string& text) {
      char buffer[4096];
      DWORD available = 0, n = 0;
      while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
             ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
    };
    const ULONGLONG start = GetTickCount64();
    while (!run.Ended && GetTickCount64() - start < 60000) {
      run.Ended = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
      drain(out[0], run.Output);
      drain(err[0], run.Errors);
    }
    if (!run.Ended) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &run.ExitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    run.Errors = "cannot start " + program + " (build the trazelplay64 target)";
  }
  CloseHandle(out[0]);
  CloseHandle(err[0]);
  return run;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Every line of the error stream is a message of the program, without carriage returns.
void ExpectOnlyOwnMessages(const std::string& errors) {
  EXPECT_FALSE(Contains(errors, "\r")) << errors;
  std::istringstream lines(errors);
  for (std::string line; std::getline(lines, line);)
    EXPECT_EQ(line.compare(0, 12, "trazelplay: "), 0) << line;
}

TEST(HostProgram, SkipsBadLinesOfASamplesFileAndSavesThePicture) {
  TTempFolder folder;
  const std::string samples =
      folder.Write("bad.csv", "x,y,control\r\n0,0,0\r\n0.5,abc,0\r\n1;1;0\r\n1,2,3,4\r\n0.2,-0.8");
  const std::string picture = folder.Name("bad.png");
  const TRun run = RunHostProgram("--samples \"" + samples + "\" --out \"" + picture + "\"");
  ASSERT_TRUE(run.Ended);
  EXPECT_EQ(run.ExitCode, 0u) << run.Errors;
  EXPECT_TRUE(Contains(run.Errors, "bad.csv:3: y value 'abc' is not a number (line skipped)"))
      << run.Errors;
  EXPECT_TRUE(Contains(run.Errors, "bad.csv:5: 4 values")) << run.Errors;
  EXPECT_TRUE(Contains(run.Errors, "replayed 3 samples of")) << run.Errors;
  EXPECT_TRUE(Contains(run.Errors, "(2 bad lines skipped); saved ")) << run.Errors;
  ExpectOnlyOwnMessages(run.Errors);
  EXPECT_EQ(ReadAll(picture).substr(0, 8), "\x89PNG\r\n\x1A\n");
}

// The names of the files in a folder.
std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

const char kGood[] = "0,0\n1,1\n";
const char kPngSignature[] = "\x89PNG\r\n\x1A\n";

// Settings with the grid and a background picture of this name.
std::string SettingsWithPicture(const std::string& picture) {
  return "-1\n1\n-1\n1\n10\n10\n80\n80\n1\n" + picture + "\n";
}

TEST(HostProgram, EndsWithAStatusAScriptCanTrustAndLeavesNoPictureWhenItFails) {
  TTempFolder folder;
  folder.Write("good.csv", kGood);
  folder.Write("empty.csv", "");
  folder.Write("junk.csv", "\x01\x02\x03 garbage 5\nzz;zz\n\xFF\xFE\n");
  folder.Write("comma.csv", "x;y;control\n1,5;2,5;0\n2,5;3,5;0\n3,5;4;0\n");
  folder.Write("huge.csv", "0,0\n1e39,1,0\n1,1\n");
  folder.Write("data.png", kGood);  // samples named like a picture
  folder.Write("map.csv", kGood);
  folder.Write("map.png", "the user's own map");
  folder.Write("map.txt", SettingsWithPicture("map.png"));
  folder.Write("absent.txt", SettingsWithPicture("absent.bmp"));
  folder.Write("junk.bmp", std::string(3000, '\x5A'));
  folder.Write("junkpic.txt", SettingsWithPicture("junk.bmp"));
  folder.Write("bad.txt", "0\n1\nabc\n1\n10\n10\n80\n80\n1\n*.*\n");
  folder.Write("old.png", "an older picture");
  for (const char* made : {"good.png", "huge.png", "n.png", "pic.bmp", "o1.png", "o2.png"})
    folder.Name(made);
  struct Case {
    std::string arguments;
    DWORD exitCode;
    std::string message;
    std::vector<std::string> made;  // files that the run leaves (whole, with a picture in it)
  };
  const Case cases[] = {
      {"good.csv", 0, "replayed 2 samples of good.csv in ", {"good.png"}},
      {"good.csv", 2, "the picture good.png exists; name it with -o good.png", {}},
      {"good.csv --force", 0, "saved good.png (", {}},
      {"empty.csv -o e.png", 1, "empty.csv is empty; nothing was replayed", {}},
      {"junk.csv -o j.png", 1, "junk.csv: none of its 3 lines of data could be read", {}},
      {"comma.csv -o c.png", 1, "most look like numbers with decimal commas", {}},
      {"huge.csv", 0,
       "huge.csv:2: x value '1e39' lies beyond the 32-bit float range (line skipped)",
       {"huge.png"}},
      {"huge.csv --strict -o s.png", 1, "huge.csv: 1 bad line skipped (--strict)", {}},
      {"good.csv --settings absent.txt -o n.png", 0,
       "note: the background picture absent.bmp of absent.txt does not exist", {"n.png"}},
      {"good.csv --settings absent.txt --strict -o s.png", 1, "does not exist (--strict)", {}},
      {"good.csv --settings junkpic.txt -o old.png", 1, "the block showed a message box", {}},
      {"good.csv --settings bad.txt -o b.png", 1, "bad.txt:3: YMin: 'abc' is not a number", {}},
      {"map.csv --settings map.txt", 2, "map.png would replace the background picture", {}},
      {"good.csv --settings map.txt -o .\\MAP.PNG", 2, "would replace the background picture", {}},
      {"data.png", 2, "the picture data.png would replace the samples file", {}},
      {"good.csv -o x.jpg", 2, "a picture is written as .png or .bmp", {}},
      {"good.csv -o pic.bmp", 0, "saved pic.bmp (", {"pic.bmp"}},
      {"good.csv -o missing\\x.png", 1, "cannot write the picture missing\\x.png: 0x80070003", {}},
      {"good.csv --dll Nope.dll -o d.png", 1, "\\Nope.dll: 0x8007007E", {}},
      {"missing.csv -o m.png", 1, "the samples file missing.csv: 0x80070002", {}},
      {"good.csv --size 9000x200 -o w.png", 1, "larger than the screen", {}},
      {"--out=o1.png good.csv", 0, "saved o1.png (", {"o1.png"}},
      {"-o o2.png -- good.csv", 0, "saved o2.png (", {"o2.png"}},
      {"good.csv -o a.png --out b.png", 2, "--out is given twice", {}},
      {"good.csv --colour red", 2, "unknown option '--colour'", {}},
      {"--version", 0, std::string("trazelplay ") + TRAZEL_VERSION + "\n", {}},
      {"-h", 0, "  -h, --help", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const std::set<std::string> before = FilesIn(folder.Path());
    const std::string unchanged = ReadAll(folder.Path() + "\\map.png") +
                                  ReadAll(folder.Path() + "\\old.png");
    const TRun run = RunHostProgram(c.arguments, folder.Path());
    ASSERT_TRUE(run.Ended) << run.Errors;
    EXPECT_EQ(run.ExitCode, c.exitCode) << run.Errors;
    EXPECT_TRUE(Contains(run.Output + run.Errors, c.message)) << run.Output << run.Errors;
    ExpectOnlyOwnMessages(run.Errors);
    std::set<std::string> made;
    for (const std::string& f : FilesIn(folder.Path()))
      if (!before.count(f)) made.insert(f);
    EXPECT_EQ(made, std::set<std::string>(c.made.begin(), c.made.end()));
    for (const std::string& f : c.made) {
      const std::string head = ReadAll(folder.Path() + "\\" + f).substr(0, 8);
      EXPECT_EQ(head.substr(0, f.back() == 'p' ? 2 : 8), f.back() == 'p' ? "BM" : kPngSignature);
    }
    EXPECT_EQ(ReadAll(folder.Path() + "\\map.png") + ReadAll(folder.Path() + "\\old.png"),
              unchanged);
  }
}

TEST(HostProgram, AnEmptyLineLiftsThePenAsAHighControlWould) {
  TTempFolder folder;
  const char* const texts[3] = {
      "-0.5,-0.5\n0.5,0.5\n\n0.5,-0.5\n-0.5,0.5\n",         // an empty line
      "-0.5,-0.5\n0.5,0.5\n0.5,-0.5,5\n0.5,-0.5\n-0.5,0.5\n",  // the pen lifted by control
      "-0.5,-0.5\n0.5,0.5\n0.5,-0.5\n-0.5,0.5\n",            // the pen down throughout
  };
  std::string pictures[3];
  for (int i = 0; i < 3; ++i) {
    const std::string name = "run" + std::to_string(i);
    folder.Write(name + ".csv", texts[i]);
    const TRun run = RunHostProgram(name + ".csv --area", folder.Path());
    ASSERT_EQ(run.ExitCode, 0u) << run.Errors;
    pictures[i] = ReadAll(folder.Name(name + ".png"));
  }
  EXPECT_EQ(pictures[0].substr(0, 8), kPngSignature);
  EXPECT_EQ(pictures[0], pictures[1]);
  EXPECT_NE(pictures[0], pictures[2]);
}

}  // namespace
