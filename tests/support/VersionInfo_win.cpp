#include "support/VersionInfo_win.h"

#include <cstdio>

namespace {

WORD High(DWORD v) { return HIWORD(v); }
WORD Low(DWORD v) { return LOWORD(v); }

}  // namespace

TVersionInfo ReadVersionInfo(const std::string& file) {
  TVersionInfo info;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
  if (size == 0) {
    info.Error = file + " has no version resource (error " + std::to_string(GetLastError()) + ")";
    return info;
  }
  info.Block.resize(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, info.Block.data())) {
    info.Error = "GetFileVersionInfoA fails on " + file;
    return info;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.Block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
      length < sizeof *fixed || fixed->dwSignature != 0xFEEF04BD) {
    info.Error = file + ": no fixed version part";
    return info;
  }
  const DWORD parts[4] = {fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                          fixed->dwProductVersionMS, fixed->dwProductVersionLS};
  for (int i = 0; i < 2; ++i) {
    info.FileVersion[2 * i] = High(parts[i]);
    info.FileVersion[2 * i + 1] = Low(parts[i]);
    info.ProductVersion[2 * i] = High(parts[2 + i]);
    info.ProductVersion[2 * i + 1] = Low(parts[2 + i]);
  }
  info.FileType = fixed->dwFileType;
  DWORD* translations = nullptr;
  if (VerQueryValueA(info.Block.data(), "\\VarFileInfo\\Translation",
                     reinterpret_cast<void**>(&translations), &length))
    info.Translations.assign(translations, translations + length / sizeof(DWORD));
  return info;
}

std::string TVersionInfo::Text(const std::string& name) const {
  if (Translations.empty() || Block.empty()) return std::string();
  char path[128];
  std::snprintf(path, sizeof path, "\\StringFileInfo\\%04X%04X\\%s", Low(Translations[0]),
                High(Translations[0]), name.c_str());
  char* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(Block.data(), path, reinterpret_cast<void**>(&text), &length) || !text)
    return std::string();
  return std::string(text);
}

std::string VersionText(const WORD (&parts)[4]) {
  return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
         std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}
