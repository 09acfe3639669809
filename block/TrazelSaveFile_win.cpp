#include "block/TrazelSaveFile_win.h"

#include <commdlg.h>
#include <cderr.h>

#include "block/TrazelMessages_win.h"
#include "graphic/WinHandles_win.h"

namespace {

const char kNotWritten[] = "Die Datei konnte nicht geschrieben werden.";
const char kNameTooLong[] = "Der Dateiname ist zu lang.";

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// The content into an open file; the first failing write ends it with its reason.
DWORD WriteContent(HANDLE file, const std::function<bool(const TExportSink&)>& write) {
  DWORD error = ERROR_SUCCESS;
  const TExportSink sink = [&](const char* text, size_t length) {
    DWORD written = 0;
    if (WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr) && written == length)
      return true;
    error = GetLastError();
    if (error == ERROR_SUCCESS) error = ERROR_DISK_FULL;  // a short write: no room left
    return false;
  };
  if (!write(sink) && error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;
  return error;
}

DWORD WriteTemporary(const std::string& temporary,
                     const std::function<bool(const TExportSink&)>& write) {
  win::TUniqueFile file = win::FileHandle(CreateFileA(
      temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  const DWORD error = WriteContent(file.get(), write);
  if (error != ERROR_SUCCESS) return error;
  if (!FlushFileBuffers(file.get())) return GetLastError();
  HANDLE raw = file.release();
  return CloseHandle(raw) ? ERROR_SUCCESS : GetLastError();
}

}  // namespace

bool AskSaveFileName(HWND owner, const char* filter, const char* extension,
                     const char* suggestion, std::string& file, int* type) {
  char name[MAX_PATH * 4] = "";
  lstrcpynA(name, suggestion, sizeof name);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name;
  dialog.nMaxFile = sizeof name;
  dialog.lpstrDefExt = extension;
  // The host's current folder stays as it was.
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY |
                 OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (GetSaveFileNameA(&dialog)) {
    file = name;
    if (type) *type = static_cast<int>(dialog.nFilterIndex);
    return true;
  }
  if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) ShowErrorBox(owner, kNameTooLong);
  return false;
}

std::string WriteWholeFile(const std::string& file,
                           const std::function<bool(const TExportSink&)>& write) {
  char temporary[MAX_PATH] = "";
  // Makes an empty file of a new name in the target's folder, which no other writer takes.
  if (!GetTempFileNameA(FolderOf(file).c_str(), "trz", 0, temporary))
    return PlatformErrorText(GetLastError(), kNotWritten);
  DWORD error = WriteTemporary(temporary, write);
  if (error == ERROR_SUCCESS &&
      !MoveFileExA(temporary, file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = GetLastError();
  if (error == ERROR_SUCCESS) return "";
  DeleteFileA(temporary);
  return PlatformErrorText(error, kNotWritten);
}
