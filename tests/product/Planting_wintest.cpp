// Libraries planted where the user happens to be: a library named OVSTRING5.DLL (or Trazel64.dll)
// in the current folder or a PATH folder of a program that loads the block. Its code must never
// run, and the string library's texts come from the host program's folder, then the block's,
// else the block's own German texts. The planted library is a marker: its initialisation leaves
// a file beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TempFolder_win.h"

using uitest::FileExists;
using uitest::ProgramFolderW;
using uitest::TTempFolder;

namespace {

constexpr wchar_t kMark[] = L"planted-code-ran.txt";

// A test build of planting\ beside the test program (see planting.cmake).
std::wstring Built(const std::wstring& name) {
  return ProgramFolderW() + L"\\planting\\" + name + L"\\OVSTRING5.DLL";
}

struct TRun {
  bool Ended = false;
  DWORD ExitCode = 0;
  std::string Output;  // standard output and error together, lines ending in LF
};

// Sets a variable of this process's environment (which a started program inherits) for the
// scope.
class TEnvironment {
 public:
  TEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[32767] = L"";
    had_ = GetEnvironmentVariableW(name, old, 32767) > 0;
    old_ = old;
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~TEnvironment() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
  TEnvironment(const TEnvironment&) = delete;
  TEnvironment& operator=(const TEnvironment&) = delete;

 private:
  const wchar_t* name_;
  bool had_ = false;
  std::wstring old_;
};

// Runs program in folder current, with pathFolder first on PATH; ends it after a minute.
TRun RunProgram(const std::wstring& program, const std::wstring& arguments,
                const std::wstring& current, const std::wstring& pathFolder) {
  TRun run;
  wchar_t path[32767] = L"";
  GetEnvironmentVariableW(L"PATH", path, 32767);
  TEnvironment search(L"PATH", pathFolder + L";" + path);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::wstring command = L"\"" + program + L"\" " + arguments;
  const BOOL started = CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, TRUE, 0,
                                      nullptr, current.c_str(), &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    run.Output = "cannot start the program (error " + std::to_string(GetLastError()) + ")";
    CloseHandle(readEnd);
    return run;
  }
  const ULONGLONG start = GetTickCount64();
  while (!run.Ended && GetTickCount64() - start < 60000) {
    run.Ended = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
    char buffer[4096];
    DWORD available = 0, n = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0)
      for (DWORD i = 0; i < n; ++i)
        if (buffer[i] != '\r') run.Output += buffer[i];
  }
  if (!run.Ended) TerminateProcess(process.hProcess, 99);
  GetExitCodeProcess(process.hProcess, &run.ExitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(readEnd);
  return run;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The folders of a case that hold a marker, with a mark left in them.
std::vector<std::wstring> Marked(const TTempFolder& root,
                                 const std::vector<std::wstring>& folders) {
  std::vector<std::wstring> marked;
  for (const std::wstring& folder : folders)
    if (FileExists(root.Path() + L"\\" + folder + L"\\" + kMark)) marked.push_back(folder);
  return marked;
}

}  // namespace

// Without this the other tests could not see planted code run.
TEST(LibraryPlanting, TheMarkerLeavesItsMarkWhenItsCodeRuns) {
  const TTempFolder root(L"planting");
  const std::wstring marker = root.Copy(Built(L"marker"), L"m", L"OVSTRING5.DLL");
  const HMODULE module = LoadLibraryW(marker.c_str());
  ASSERT_NE(module, nullptr);
  FreeLibrary(module);
  EXPECT_TRUE(FileExists(root.Path() + L"\\m\\" + kMark));
}

// The block in a host program whose current folder and first PATH folder hold the marker as
// OVSTRING5.DLL; string libraries of the test builds lie beside the host program, beside the block
// (apart from the program) or are loaded by the host program itself. The folders' names lie
// outside the ANSI code page.
TEST(LibraryPlanting, TheBlockTakesTheStringLibraryFromKnownFoldersOnly) {
  struct TCase {
    const char* Name;
    const wchar_t* BesideProgram;  // test build of the string library there (null: none)
    const wchar_t* BesideBlock;    // the same beside the block, which then lies apart
    const wchar_t* Preloaded;      // loaded by the host program before the block
    const char* Caption;           // of the range message
  };
  const TCase cases[] = {
      {"only planted ones: the block's own texts", nullptr, nullptr, nullptr,
       "Zul\xE4ssiger Wertebereich"},
      {"beside the program", L"program", nullptr, nullptr, "Programmordner"},
      {"beside the block", nullptr, L"block", nullptr, "Blockordner"},
      {"the program's folder first", L"program", L"block", nullptr, "Programmordner"},
      {"beside the program, itself a marker", L"marker-strings", nullptr, nullptr,
       "Markerbibliothek"},
      {"loaded by the host", L"program", nullptr, L"preloaded", "Hostbibliothek"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TTempFolder root(L"planting \x0416\x03A9");
    const std::wstring host = root.Copy(ProgramFolderW() + L"\\planting\\planting_host.exe",
                                        L"Programm \x0416", L"planting_host.exe");
    const std::wstring blockFolder = c.BesideBlock ? L"Block \x03A9" : L"Programm \x0416";
    const std::wstring block =
        root.Copy(ProgramFolderW() + L"\\Trazel64.dll", blockFolder, L"Trazel64.dll");
    ASSERT_FALSE(host.empty() || block.empty());
    std::wstring arguments = L"\"" + block + L"\"";
    root.Copy(Built(L"marker"), L"current", L"OVSTRING5.DLL");
    root.Copy(Built(L"marker"), L"path", L"OVSTRING5.DLL");
    if (c.BesideProgram) root.Copy(Built(c.BesideProgram), L"Programm \x0416", L"OVSTRING5.DLL");
    if (c.BesideBlock) root.Copy(Built(c.BesideBlock), blockFolder, L"OVSTRING5.DLL");
    if (c.Preloaded)
      arguments += L" --preload \"" +
                   root.Copy(Built(c.Preloaded), L"Host", L"OVSTRING5.DLL") + L"\"";

    const TRun run = RunProgram(host, arguments, root.Folder(L"current"), root.Folder(L"path"));
    ASSERT_TRUE(run.Ended) << run.Output;
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_TRUE(Contains(run.Output, std::string("caption: ") + c.Caption + "\n")) << run.Output;
    if (c.Preloaded) {
      EXPECT_TRUE(Contains(run.Output, "host library released")) << run.Output;
    }
    EXPECT_EQ(Marked(root, {L"current", L"path", L"Programm \x0416"}).size(), 0u)
        << "planted code ran";
  }
}

// trazelplay started in a folder that holds the marker as Trazel64.dll and as OVSTRING5.DLL,
// with the same first on PATH: it loads the block beside itself or the file --dll names, else
// none.
TEST(LibraryPlanting, TrazelplayLoadsOnlyTheBlockBesideItselfOrTheNamedOne) {
  const struct {
    const char* Name;
    const wchar_t* BlockFolder;  // null: no block but the planted ones
    const wchar_t* Options;
    DWORD ExitCode;
    const char* Says;
  } cases[] = {
      {"the block beside it", L"program", L"", 0, "saved"},
      {"no block beside it", nullptr, L"", 1, "cannot load"},
      {"a block named relative to the current folder", L"elsewhere",
       L" --dll ..\\elsewhere\\Trazel64.dll", 0, "saved"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TTempFolder root(L"trazelplay-planting");
    const std::wstring program =
        root.Copy(ProgramFolderW() + L"\\trazelplay64.exe", L"program", L"trazelplay64.exe");
    ASSERT_FALSE(program.empty());
    if (c.BlockFolder)
      root.Copy(ProgramFolderW() + L"\\Trazel64.dll", c.BlockFolder, L"Trazel64.dll");
    for (const wchar_t* folder : {L"current", L"path"})
      for (const wchar_t* name : {L"Trazel64.dll", L"OVSTRING5.DLL"})
        root.Copy(Built(L"marker"), folder, name);
    const HANDLE samples = CreateFileW((root.Folder(L"current") + L"\\s.csv").c_str(),
                                       GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(samples, "0,0,0\r\n1,1,0\r\n", 14, &written, nullptr);
    CloseHandle(samples);

    const TRun run = RunProgram(program, std::wstring(L"--samples s.csv --out s.png") + c.Options,
                                root.Folder(L"current"), root.Folder(L"path"));
    ASSERT_TRUE(run.Ended) << run.Output;
    EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Output;
    EXPECT_TRUE(Contains(run.Output, c.Says)) << run.Output;
    EXPECT_EQ(Marked(root, {L"current", L"path"}).size(), 0u) << "planted code ran";
  }
}
