#include "host/SystemText_win.h"

#include <cstdio>

namespace {

// The system's message for a code, without its line end; empty when there is none.
std::string MessageOf(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message(text ? text : "", text ? n : 0);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' '))
    message.pop_back();
  return message;
}

}  // namespace

std::string ResultText(HRESULT result) {
  const auto code = static_cast<DWORD>(result);
  char number[16];
  std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(code));
  // Platform errors wrapped as results carry their message under the plain error number.
  std::string message = MessageOf(code);
  if (message.empty() && HRESULT_FACILITY(result) == FACILITY_WIN32)
    message = MessageOf(HRESULT_CODE(result));
  return message.empty() ? std::string(number) : std::string(number) + ": " + message;
}

std::string ErrorText(DWORD error) { return ResultText(HRESULT_FROM_WIN32(error)); }
