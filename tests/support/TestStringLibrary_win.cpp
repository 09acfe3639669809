#include "support/TestStringLibrary_win.h"

#include <windows.h>

#include "product/OVString_win.h"
#include "support/UiDriver_win.h"

namespace uitest {

std::string StringLibraryFolder(TStringLibraryKind kind) {
  switch (kind) {
    case TStringLibraryKind::Full:
      return ProgramFolder() + "ovstring5\\full";
    case TStringLibraryKind::Partial:
      return ProgramFolder() + "ovstring5\\partial";
    case TStringLibraryKind::None:
      break;
  }
  return {};
}

TStringLibraryScope::TStringLibraryScope(TStringLibraryKind kind) {
  FreeStringLibrary();
  SetDllDirectoryA(StringLibraryFolder(kind).c_str());
  LoadStringLibrary();
}

TStringLibraryScope::~TStringLibraryScope() {
  FreeStringLibrary();
  SetDllDirectoryA(nullptr);
}

}  // namespace uitest
