#include "support/TestStringLibrary_win.h"

#include <windows.h>

#include <vector>

#include "product/OVString_win.h"
#include "support/TempFolder_win.h"

namespace uitest {

std::wstring StringLibraryFolder(TStringLibraryKind kind) {
  switch (kind) {
    case TStringLibraryKind::Full:
      return ProgramFolderW() + L"\\ovstring5\\full";
    case TStringLibraryKind::Partial:
      return ProgramFolderW() + L"\\ovstring5\\partial";
    case TStringLibraryKind::None:
      break;
  }
  return {};
}

TStringLibraryScope::TStringLibraryScope(TStringLibraryKind kind) {
  FreeStringLibrary();
  const std::wstring folder = StringLibraryFolder(kind);
  LoadStringLibrary(folder.empty() ? std::vector<std::wstring>{} : std::vector{folder});
}

TStringLibraryScope::~TStringLibraryScope() { FreeStringLibrary(); }

}  // namespace uitest
