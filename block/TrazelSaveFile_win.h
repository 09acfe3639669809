// TrazelSaveFile: files that the user saves from the plot window. The user names the file in
// the platform's save dialog; the content is written under a temporary name beside it and
// renamed to that name only when all of it was written, so that a failure leaves no half
// file and an existing file of that name as it was.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "block/TrazelExport.h"

// The platform's save dialog owned by owner, with its file types (filter as the dialog takes
// it: name, NUL, pattern, NUL, ..., NUL) and extension added to a name without one; asks before
// replacing an existing file. False when the user cancelled; else type, where given, is the
// chosen file type counted from 1.
bool AskSaveFileName(HWND owner, const char* filter, const char* extension,
                     const char* suggestion, std::string& file, int* type = nullptr);

// Writes file through write, which hands its content to the sink. Returns "" on success, else
// the system's reason (nothing is then left under the file's name or beside it).
std::string WriteWholeFile(const std::string& file,
                           const std::function<bool(const TExportSink&)>& write);
