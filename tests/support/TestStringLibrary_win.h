// TestStringLibrary: puts one of the test builds of the host's string library OVSTRING5.DLL
// (or none) where the library's load step finds it, and loads it for the scope.
#pragma once

#include <string>

namespace uitest {

enum class TStringLibraryKind {
  None,     // no OVSTRING5.DLL anywhere on the search path
  Full,     // every text the library asks for, in German, and two long texts
  Partial,  // lacks the caption 1002 and the note 1552
};

// Folder that holds the OVSTRING5.DLL of kind (empty for None).
std::string StringLibraryFolder(TStringLibraryKind kind);

// Makes kind the string library the platform finds by its plain name, and runs the load step
// for the scope; afterwards the library is unloaded and the search path is as before.
class TStringLibraryScope {
 public:
  explicit TStringLibraryScope(TStringLibraryKind kind);
  ~TStringLibraryScope();
  TStringLibraryScope(const TStringLibraryScope&) = delete;
  TStringLibraryScope& operator=(const TStringLibraryScope&) = delete;
};

}  // namespace uitest
