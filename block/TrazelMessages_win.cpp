#include "block/TrazelMessages_win.h"

std::string PlatformErrorText(DWORD code, const std::string& fallback) {
  if (code == ERROR_SUCCESS) return fallback;
  char buffer[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text.empty() ? fallback : text;
}

void ShowErrorBox(HWND owner, const std::string& text) {
  MessageBoxA(owner, text.c_str(), "Fehler", MB_OK | MB_ICONERROR);
}
