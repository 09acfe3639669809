// The host's system file as the tests use it: real files opened with the platform's old file
// functions, and their handles passed to WriteToFile and ReadFromFile as the host passes them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/BlockHost_win.h"

namespace systemfile {

// A file name in a folder of the test run's own inside the temporary folder.
std::string TempPath(const std::string& name);
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

// The ten lines of a settings set, each with CR LF.
std::string Lines(const std::vector<std::string>& lines);

// ReadFromFile on a file holding bytes, opened with OpenFile; `prefix` bytes stand before the
// block's lines and the file is positioned behind them. The handle's high 16 bits get
// highBits. Returns the file position after the call.
long ReadSettings(TestHost& host, HostBlock& block, const std::string& bytes,
                  const std::string& prefix = "", uint32_t highBits = 0);
// WriteToFile into a new file made with _lcreat; returns what was written.
std::string SavedLines(TestHost& host, HostBlock& block, uint32_t highBits = 0);

}  // namespace systemfile
