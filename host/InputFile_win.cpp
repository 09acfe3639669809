#include "host/InputFile_win.h"

#include <stdexcept>

#include "host/SystemText_win.h"

TInputFile::TInputFile(const std::string& path) {
  if (path == "-") {
    handle_ = GetStdHandle(STD_INPUT_HANDLE);
    owned_ = false;
    if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE)
      throw std::runtime_error("there is no standard input to read");
  } else {
    handle_ = CreateFileA(path.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) throw std::runtime_error(ErrorText(GetLastError()));
  }
  LARGE_INTEGER size{};
  if (GetFileType(handle_) == FILE_TYPE_DISK && GetFileSizeEx(handle_, &size))
    size_ = static_cast<uint64_t>(size.QuadPart);
  setg(buffer_, buffer_, buffer_);
}

TInputFile::~TInputFile() {
  if (owned_) CloseHandle(handle_);
}

TInputFile::int_type TInputFile::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  DWORD n = 0;
  if (error_ || !ReadFile(handle_, buffer_, sizeof buffer_, &n, nullptr)) {
    const DWORD error = error_ ? error_ : GetLastError();
    // The writer of a pipe closing it is its end, not a failure.
    if (error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF) error_ = error;
    return traits_type::eof();
  }
  if (n == 0) return traits_type::eof();
  setg(buffer_, buffer_, buffer_ + n);
  return traits_type::to_int_type(*gptr());
}
