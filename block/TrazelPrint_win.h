// TrazelPrint: one print document of one page on the platform's default printer, with the
// printer's current settings and no dialog.
#pragma once

#include <windows.h>

#include <string>

#include "graphic/WinHandles_win.h"

class TPrintJob {
 public:
  TPrintJob() = default;
  // A document that was started and not finished is aborted: nothing is printed.
  ~TPrintJob();
  TPrintJob(const TPrintJob&) = delete;
  TPrintJob& operator=(const TPrintJob&) = delete;

  // Opens the default printer and starts the document and its page. Returns the error text
  // for the user when that fails, an empty text otherwise.
  std::string Start(const std::string& title);
  // The printer's device context while the page is open.
  HDC Page() const { return dc_.get(); }
  // Ends the page and the document, which sends them to the printer. Returns the error text.
  std::string Finish();
  // Drops the document: nothing is printed.
  void Abort();

 private:
  win::TUniqueDC dc_;
  bool started_ = false;
};
