// SettingsFile: a settings file in the block's ten-line format (the block's lines of the host's
// system file), checked before the block reads it. The block takes its lines as they come and
// has no way to tell the host about a bad one, so the host looks at them first.
#pragma once

#include <string>

#include "block/TrazelSettings.h"

struct TSettingsFile {
  bool Ok = false;
  int Line = 0;             // the line that is wrong (1..10); 0 when the file is good
  std::string Message;      // what is wrong
  std::string Lines;        // the ten lines as the block reads them, each ending with CR LF
  bool SameAsFile = false;  // Lines are the file's first bytes unchanged
  TPlotSettings Settings;   // what the block will read
};

// Checks the bytes of a settings file. Lines may end with LF or CR LF (the block itself reads
// only CR LF, so Lines has CR LF throughout); the tenth line may end at the end of the file;
// lines after the tenth are ignored, as the host's system file goes on with other blocks.
TSettingsFile CheckSettingsText(const std::string& bytes);
