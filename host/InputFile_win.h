// InputFile: a file read from start to end through the platform's own handle, so that a failure
// to open it or to read it is known with the platform's error, not only as an early end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <streambuf>
#include <string>

class TInputFile : public std::streambuf {
 public:
  // Opens the file (others may go on reading and writing it); "-" is standard input, which
  // is not closed. Throws with the system's text when it cannot be opened.
  explicit TInputFile(const std::string& path);
  ~TInputFile() override;
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  // The size when it was opened; 0 when it has none (a pipe).
  uint64_t Size() const { return size_; }
  // The platform's error that ended the reading before the end of the file; 0 when none did.
  DWORD Error() const { return error_; }

 protected:
  int_type underflow() override;

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool owned_ = true;
  uint64_t size_ = 0;
  DWORD error_ = 0;
  char buffer_[1 << 16];
};
