// The library as an application inside its host: its module handle and the host window
// that owns every top-level window the library creates.
#pragma once

#include <windows.h>

namespace app {

// Module handle of this library (set by the entry code).
HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// Owner of top-level windows created from now on; null while no host window is bound.
HWND HostOwner();
void SetHostOwner(HWND owner);

// MessageBoxA owned by the bound host window (no owner while none is bound).
int OwnedMessageBox(const char* text, const char* caption, UINT flags);

}  // namespace app
