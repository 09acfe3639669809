#include "block/TrazelPicture_win.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "block/TrazelMessages_win.h"
#include "block/TrazelPicture.h"

namespace {

const char kBadBitmap[] = "Ung\xFCltiges Bitmap-Format.";
const char kBadMetafile[] = "Ung\xFCltiges Metafile-Format.";
const char kUnreadable[] = "Die Bilddatei kann nicht gelesen werden.";
const char kTooLarge[] = "Die Bilddatei ist zu gro\xDF.";
const char kNoMemory[] = "Nicht gen\xFCgend Speicher f\xFCr das Bild.";

uint64_t Join(DWORD high, DWORD low) { return (uint64_t(high) << 32) | low; }

// The first line of a message, and under it the cause of the fault when there is one.
std::string WithCause(const std::string& first, TPictureFault fault, uint32_t detail = 0) {
  const std::string cause = PictureFaultText(fault, detail);
  return cause.empty() ? first : first + "\n" + cause;
}

// The platform's text for a failed open or read; a file that another program holds open
// without sharing, or has locked a part of, says so on a line of its own.
std::string FileErrorText(DWORD code) {
  const bool locked = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
  return WithCause(PlatformErrorText(code, kUnreadable),
                   locked ? TPictureFault::Locked : TPictureFault::None);
}

// The whole file, or the reason why it cannot be read.
std::string ReadWholeFile(const std::string& name, std::vector<uint8_t>& bytes) {
  HANDLE raw = CreateFileA(name.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return FileErrorText(GetLastError());
  win::TUniqueFile file(raw);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return FileErrorText(GetLastError());
  if (uint64_t(size.QuadPart) > kMaxPictureFileBytes) return kTooLarge;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
    if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr))
      return FileErrorText(GetLastError());
    if (got == 0) break;  // the file became shorter while it was read
    done += got;
  }
  bytes.resize(done);
  return std::string();
}

}  // namespace

TBackgroundPicture::TState TBackgroundPicture::Refresh(const std::string& fileName) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (fileName.empty() || !GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Forget();
    return state_;
  }
  TFileKey key{fileName, Join(info.nFileSizeHigh, info.nFileSizeLow),
               Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
  if (key_ && *key_ == key) return state_;
  Forget();
  key_ = key;
  Load(fileName);
  return state_;
}

std::string TBackgroundPicture::TakeNewFault() {
  if (!newFault_) return std::string();
  newFault_ = false;
  return fault_;
}

void TBackgroundPicture::Forget() {
  state_ = TState::None;
  key_.reset();
  fault_.clear();
  newFault_ = false;
  bitmap_.reset();
  metafile_.reset();
  frame_ = TMetafileFrame{};
}

void TBackgroundPicture::Load(const std::string& fileName) {
  std::string reason;
  try {
    std::vector<uint8_t> bytes;
    reason = ReadWholeFile(fileName, bytes);
    if (reason.empty()) reason = IsMetafileName(fileName) ? LoadMetafile(bytes) : LoadBitmap(bytes);
  } catch (const std::bad_alloc&) {
    bitmap_.reset();
    reason = kNoMemory;
  }
  if (reason.empty()) {
    state_ = TState::Ready;
    return;
  }
  state_ = TState::Unreadable;
  fault_ = fileName + ":\n" + reason;
  newFault_ = true;
}

std::string TBackgroundPicture::LoadMetafile(const std::vector<uint8_t>& bytes) {
  const TPictureResult<TMetafilePicture> picture =
      ReadMetafileFile(TByteView(bytes.data(), bytes.size()));
  if (!picture) return WithCause(kBadMetafile, picture.Fault);
  metafile_.reset(SetMetaFileBitsEx(static_cast<UINT>(picture->Bits.size()), picture->Bits.data()));
  if (!metafile_) return PlatformErrorText(GetLastError(), kBadMetafile);
  frame_ = picture->Frame;
  return std::string();
}

std::string TBackgroundPicture::LoadBitmap(const std::vector<uint8_t>& bytes) {
  TPictureResult<TBitmapPicture> picture = DecodeBitmapFile(TByteView(bytes.data(), bytes.size()));
  if (!picture) return WithCause(kBadBitmap, picture.Fault, picture.Detail);
  bitmap_ = std::move(picture.Value);
  return std::string();
}

void TBackgroundPicture::Draw(HDC dc, const RECT& r) const {
  if (state_ != TState::Ready) return;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  if (bitmap_) {
    DrawBitmap(dc, r);
  } else {
    DrawMetafile(dc, r);
  }
  // A metafile can restore more states than it saved and so take ours with it.
  if (saved == 0 || !RestoreDC(dc, saved)) {
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SelectClipRgn(dc, nullptr);
  }
}

void TBackgroundPicture::DrawBitmap(HDC dc, const RECT& r) const {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = bitmap_->Width;
  bi.bmiHeader.biHeight = -bitmap_->Height;  // rows from the top
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, bitmap_->Width,
                bitmap_->Height, bitmap_->Pixels.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
}

void TBackgroundPicture::DrawMetafile(HDC dc, const RECT& r) const {
  SetMapMode(dc, MM_ANISOTROPIC);
  SetViewportOrgEx(dc, r.left, r.top, nullptr);
  if (frame_.Known) {
    SetWindowOrgEx(dc, frame_.Left, frame_.Top, nullptr);
    SetWindowExtEx(dc, frame_.Width, frame_.Height, nullptr);
    SetViewportExtEx(dc, r.right - r.left, r.bottom - r.top, nullptr);
  } else {
    // A metafile without a size: its units are taken as pixels of a 96 dpi screen.
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, 96, 96, nullptr);
    SetViewportExtEx(dc, GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY), nullptr);
  }
  PlayMetaFile(dc, metafile_.get());
}
