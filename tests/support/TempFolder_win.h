// TempFolder: a folder of its own in the temporary folder, with wide-character names throughout
// (so that names outside the ANSI code page work), removed with everything in it afterwards.
#pragma once

#include <string>

namespace uitest {

class TTempFolder {
 public:
  // A fresh folder whose name begins with stem.
  explicit TTempFolder(const std::wstring& stem);
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // The folder's full name, without a trailing backslash.
  const std::wstring& Path() const { return path_; }
  // Creates the subfolder name (and the folders above it) and returns its full name.
  std::wstring Folder(const std::wstring& name) const;
  // Copies file into the subfolder folder (created when needed) under the name name; returns
  // the copy's full name, empty when it could not be made.
  std::wstring Copy(const std::wstring& file, const std::wstring& folder,
                    const std::wstring& name) const;

 private:
  std::wstring path_;
};

// Whether a file (not a folder) of this name exists.
bool FileExists(const std::wstring& file);

// The folder of the test program, without a trailing backslash.
std::wstring ProgramFolderW();

}  // namespace uitest
