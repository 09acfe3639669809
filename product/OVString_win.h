// OVString: texts by number from the host's string-resource library OVSTRING5.DLL, and the
// application's message box that shows them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// File name of the host's string library; the usual search order finds it (host folder first).
constexpr const char kStringLibraryName[] = "OVSTRING5.DLL";

// Module handle of the string library; null while it is not loaded.
HMODULE StringLibrary();

// Load step: opens the string library when it is there. A failure is silent and final.
void LoadStringLibrary();
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
