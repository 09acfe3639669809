#include "support/TempFolder_win.h"

#include <windows.h>

#include <algorithm>

namespace uitest {

namespace {

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

TTempFolder::TTempFolder(const std::wstring& stem) {
  wchar_t base[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, base);
  static int made = 0;
  path_ = std::wstring(base) + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++made);
  RemoveTree(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

TTempFolder::~TTempFolder() { RemoveTree(path_); }

std::wstring TTempFolder::Folder(const std::wstring& name) const {
  std::wstring path = path_;
  size_t from = 0;
  while (from <= name.size()) {
    const size_t end = std::min(name.find(L'\\', from), name.size());
    path += L"\\" + name.substr(from, end - from);
    CreateDirectoryW(path.c_str(), nullptr);
    from = end + 1;
  }
  return path;
}

std::wstring TTempFolder::Copy(const std::wstring& file, const std::wstring& folder,
                               const std::wstring& name) const {
  const std::wstring copy = Folder(folder) + L"\\" + name;
  return CopyFileW(file.c_str(), copy.c_str(), FALSE) ? copy : std::wstring();
}

bool FileExists(const std::wstring& file) {
  const DWORD attributes = GetFileAttributesW(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ProgramFolderW() {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring program(path);
  return program.substr(0, program.find_last_of(L'\\'));
}

}  // namespace uitest
