#include "block/TrazelPrint_win.h"

#include <winspool.h>

#include "block/TrazelMessages_win.h"

namespace {

const char kNoDefaultPrinter[] = "Es ist kein Standarddrucker ausgew\xE4hlt.";
const char kCannotStart[] = "Der Druckauftrag konnte nicht gestartet werden.";
const char kCannotFinish[] = "Der Druckauftrag konnte nicht abgeschlossen werden.";

}  // namespace

TPrintJob::~TPrintJob() { Abort(); }

std::string TPrintJob::Start(const std::string& title) {
  char name[512] = {};
  DWORD size = sizeof name;
  if (!GetDefaultPrinterA(name, &size)) return kNoDefaultPrinter;
  dc_.reset(CreateDCA("WINSPOOL", name, nullptr, nullptr));
  if (!dc_) return PlatformErrorText(GetLastError(), kCannotStart);
  DOCINFOA doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = title.c_str();
  if (StartDocA(dc_.get(), &doc) <= 0) return PlatformErrorText(GetLastError(), kCannotStart);
  started_ = true;
  if (StartPage(dc_.get()) <= 0) {
    const DWORD error = GetLastError();
    Abort();
    return PlatformErrorText(error, kCannotStart);
  }
  return std::string();
}

std::string TPrintJob::Finish() {
  if (!started_) return kCannotFinish;
  started_ = false;
  const bool ok = EndPage(dc_.get()) > 0;
  const DWORD error = GetLastError();
  if (!ok) {
    AbortDoc(dc_.get());
    return PlatformErrorText(error, kCannotFinish);
  }
  if (EndDoc(dc_.get()) <= 0) return PlatformErrorText(GetLastError(), kCannotFinish);
  return std::string();
}

void TPrintJob::Abort() {
  if (started_) AbortDoc(dc_.get());
  started_ = false;
}
