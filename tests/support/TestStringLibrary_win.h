// TestStringLibrary: loads one of the test builds of the host's string library OVSTRING5.DLL
// (or none) through the library's load step, from the folder that holds it.
#pragma once

#include <string>

namespace uitest {

enum class TStringLibraryKind {
  None,     // no OVSTRING5.DLL in any folder the load step is given
  Full,     // every text the library asks for, in German, and two long texts
  Partial,  // lacks the caption 1002 and the note 1552
};

// Folder that holds the OVSTRING5.DLL of kind (empty for None).
std::wstring StringLibraryFolder(TStringLibraryKind kind);

// Runs the load step with the folder of kind for the scope; afterwards the library is unloaded.
class TStringLibraryScope {
 public:
  explicit TStringLibraryScope(TStringLibraryKind kind);
  ~TStringLibraryScope();
  TStringLibraryScope(const TStringLibraryScope&) = delete;
  TStringLibraryScope& operator=(const TStringLibraryScope&) = delete;
};

}  // namespace uitest
