// SystemText: the platform's own words for a failure, with its code in the usual form.
#pragma once

#include <windows.h>

#include <string>

// "0x80070003: The system cannot find the path specified." The code is shown as the result
// value of the failure; the text is the system's message for it, or nothing when the system
// has none.
std::string ResultText(HRESULT result);

// The same for an error number of the platform (GetLastError), shown as its result value.
std::string ErrorText(DWORD error);
