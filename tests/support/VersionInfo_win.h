// VersionInfo: the version resource of a binary as the system reads it (GetFileVersionInfoA),
// for the tests of the version that Explorer's properties page and the host's tools show.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TVersionInfo {
  std::string Error;  // empty when the resource was read
  WORD FileVersion[4] = {};
  WORD ProductVersion[4] = {};
  DWORD FileType = 0;
  std::vector<DWORD> Translations;  // language in the low word, code page in the high word
  // The texts of the first translation, as VerQueryValueA gives them (Windows-1252).
  std::string Text(const std::string& name) const;

  std::vector<BYTE> Block;
};

TVersionInfo ReadVersionInfo(const std::string& file);

// "1.2.3.4" from the four parts of a fixed version.
std::string VersionText(const WORD (&parts)[4]);
