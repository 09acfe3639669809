// TrazelMessages: the texts and boxes with which the plot window reports what went wrong.
#pragma once

#include <windows.h>

#include <string>

// The platform's text for an error code (without the trailing line break), or fallback when the
// platform has none.
std::string PlatformErrorText(DWORD code, const std::string& fallback);

// A modal error box owned by window.
void ShowErrorBox(HWND owner, const std::string& text);
