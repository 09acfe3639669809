#include "host/PendingFile_win.h"

#include <windows.h>

#include <stdexcept>

#include "host/SystemText_win.h"

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

}  // namespace

TPendingFile::TPendingFile(const std::string& target) : target_(target) {
  // The platform's own reason when the folder is missing or is none; a missing folder is a
  // missing part of the file's path, as writing the file would say.
  const DWORD folder = GetFileAttributesA(FolderOf(target).c_str());
  if (folder == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    throw std::runtime_error(
        ErrorText(error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error));
  }
  if (!(folder & FILE_ATTRIBUTE_DIRECTORY)) throw std::runtime_error(ErrorText(ERROR_DIRECTORY));
  char name[MAX_PATH] = {};
  // Makes an empty file of a new name, so that no other run takes the same one.
  if (!GetTempFileNameA(FolderOf(target).c_str(), "trz", 0, name))
    throw std::runtime_error(ErrorText(GetLastError()));
  temporary_ = name;
}

TPendingFile::~TPendingFile() {
  if (!committed_) DeleteFileA(temporary_.c_str());
}

void TPendingFile::Commit(bool replace) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!MoveFileExA(temporary_.c_str(), target_.c_str(), flags))
    throw std::runtime_error(ErrorText(GetLastError()));
  committed_ = true;
}
