#include "support/PrintedPages_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/TestPictures.h"

namespace printcheck {

namespace {

struct TFileSeen {
  std::string Name;
  uint64_t Size;
  FILETIME Written;
};

std::vector<TFileSeen> ListPdfs() {
  std::vector<TFileSeen> files;
  if (PdfFolder().empty()) return files;
  WIN32_FIND_DATAA data;
  const std::string pattern = testpictures::WinePath(PdfFolder()) + "\\*.pdf";
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    files.push_back({data.cFileName, (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                     data.ftLastWriteTime});
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return files;
}

bool Exists(const std::string& winePath) {
  return GetFileAttributesA(winePath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Starts a Linux command through the shell. Wine starts Linux programs without a process
// handle to wait for, so callers wait for the files the command leaves.
bool StartShell(const std::string& command) {
  std::string line = "/bin/sh -c \"" + command + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  return true;
}

std::optional<TPage> ReadPpm(const std::string& winePath) {
  std::ifstream in(winePath, std::ios::binary);
  std::string magic;
  TPage page;
  int maxValue = 0;
  in >> magic >> page.Width >> page.Height >> maxValue;
  if (magic != "P6" || maxValue != 255 || page.Width <= 0 || page.Height <= 0) return std::nullopt;
  in.get();
  page.Rgb.resize(size_t(page.Width) * page.Height * 3);
  in.read(reinterpret_cast<char*>(page.Rgb.data()), static_cast<std::streamsize>(page.Rgb.size()));
  if (!in) return std::nullopt;
  return page;
}

}  // namespace

std::string PdfFolder() {
  const char* folder = std::getenv("PDF_OUT");
  return folder ? folder : "";
}

std::vector<std::string> PdfFiles() {
  std::vector<std::string> names;
  for (const TFileSeen& f : ListPdfs()) names.push_back(f.Name);
  return names;
}

std::vector<std::string> WaitForNewPdfs(const std::vector<std::string>& known, size_t count,
                                        int timeoutMs) {
  std::vector<TFileSeen> last;
  std::vector<std::string> found;
  for (int waited = 0; waited <= timeoutMs; waited += 250) {
    std::vector<TFileSeen> now;
    for (const TFileSeen& f : ListPdfs())
      if (std::find(known.begin(), known.end(), f.Name) == known.end()) now.push_back(f);
    std::sort(now.begin(), now.end(), [](const TFileSeen& a, const TFileSeen& b) {
      return CompareFileTime(&a.Written, &b.Written) < 0;
    });
    const bool settled =
        now.size() >= count && now.size() == last.size() &&
        std::equal(now.begin(), now.end(), last.begin(), [](const TFileSeen& a, const TFileSeen& b) {
          return a.Name == b.Name && a.Size == b.Size && a.Size > 0;
        });
    found.clear();
    for (const TFileSeen& f : now) found.push_back(f.Name);
    if (settled) return found;
    last = now;
    Sleep(250);
  }
  return found;
}

uint32_t TPage::At(int x, int y) const {
  const size_t i = (size_t(y) * Width + x) * 3;
  return (uint32_t(Rgb[i]) << 16) | (uint32_t(Rgb[i + 1]) << 8) | Rgb[i + 2];
}

std::optional<TPage> Rasterise(const std::string& pdfName, int dpi) {
  const std::string base = "/tmp/trazel_page_" + std::to_string(GetCurrentProcessId()) + "_" +
                           std::to_string(GetTickCount());
  const std::string pdf = PdfFolder() + "/" + pdfName;
  std::ostringstream command;
  command << "pdftoppm -f 1 -l 1 -singlefile -r " << dpi << " -aa no -aaVector no '" << pdf
          << "' '" << base << "' && mv '" << base << ".ppm' '" << base << ".done'";
  if (!StartShell(command.str())) return std::nullopt;
  const std::string done = testpictures::WinePath(base + ".done");
  for (int waited = 0; waited < 30000 && !Exists(done); waited += 100) Sleep(100);
  std::optional<TPage> page = ReadPpm(done);
  DeleteFileA(done.c_str());
  return page;
}

}  // namespace printcheck
