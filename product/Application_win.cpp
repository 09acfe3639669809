#include "product/Application_win.h"

namespace app {
namespace {
HINSTANCE g_instance = nullptr;
HWND g_owner = nullptr;
}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }
void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }
HWND HostOwner() { return g_owner; }
void SetHostOwner(HWND owner) { g_owner = owner; }

int OwnedMessageBox(const char* text, const char* caption, UINT flags) {
  return ::MessageBoxA(g_owner, text, caption, flags);
}

}  // namespace app
