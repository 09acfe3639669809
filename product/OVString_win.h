// OVString: texts by number from the host's string-resource library OVSTRING5.DLL, and the
// application's message box that shows them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// File name of the host's string library.
constexpr const wchar_t kStringLibraryName[] = L"OVSTRING5.DLL";

// Module handle of the string library; null while it is not loaded.
HMODULE StringLibrary();

// Folders where the load step looks for the string library, in this order: the host program's
// folder, this library's own folder and the system folder. Never the current folder or a PATH
// folder, where anyone may have put a file of that name.
std::vector<std::wstring> StringLibraryFolders();

// Load step: the OVSTRING5.DLL the host has already loaded itself, else the first one found in
// folders, opened for its resources only (none of its code runs). A failure is silent and final.
void LoadStringLibrary(const std::vector<std::wstring>& folders);
// Unload step: releases the string library when it was loaded.
void FreeStringLibrary();

// Text number id of the string library (at most 254 characters); empty when the text is
// missing or the library is not loaded.
std::string LoadResText(UINT id);
// The same text, copied through a buffer of 256 characters.
std::string ResText(UINT id);

// Message box with text textId and caption captionId of the string library, shown with
// AppMessageBox; when either text is missing, "String-Resource nicht gefunden!" under
// "Fehler" with the same flags. Returns the button pressed.
int ResMessageBox(UINT textId, UINT captionId, UINT flags);

// The application's message box: owned by the host window the library is bound to, with
// every other window of the thread disabled while it is open.
int AppMessageBox(const char* text, const char* caption, UINT flags);

// MessageBoxA that never opens behind a topmost window of the calling thread (the plot window
// and the settings dialog are topmost): while such a window is shown, the box is raised into
// the topmost band as it opens. Returns the button pressed.
int MessageBoxOnTop(HWND owner, const char* text, const char* caption, UINT flags);

// Disables every visible and enabled top-level window of the calling thread for its lifetime,
// as a modal window does; afterwards enables exactly those of them that still exist and
// activates again the window that was active before.
class TThreadWindowsDisabled {
 public:
  TThreadWindowsDisabled();
  ~TThreadWindowsDisabled();
  TThreadWindowsDisabled(const TThreadWindowsDisabled&) = delete;
  TThreadWindowsDisabled& operator=(const TThreadWindowsDisabled&) = delete;

 private:
  HWND active_ = nullptr;
  std::vector<HWND> disabled_;
};
