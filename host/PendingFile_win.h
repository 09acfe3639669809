// PendingFile: an output file that appears whole or not at all. It is written under a
// temporary name in the target's folder and renamed to the target when the run has succeeded,
// so that a failed or interrupted run leaves an existing file of that name as it was.
#pragma once

#include <string>

class TPendingFile {
 public:
  // Reserves a temporary name beside target. Throws with the system's text when the folder
  // cannot take a file.
  explicit TPendingFile(const std::string& target);
  // Removes the temporary file unless it was committed.
  ~TPendingFile();
  TPendingFile(const TPendingFile&) = delete;
  TPendingFile& operator=(const TPendingFile&) = delete;

  // Where to write the content.
  const std::string& Path() const { return temporary_; }

  // Renames the written file to the target. replace: an existing target is replaced; else a
  // file that appeared there meanwhile is kept and the commit fails. Throws on failure.
  void Commit(bool replace);

 private:
  std::string target_;
  std::string temporary_;
  bool committed_ = false;
};
