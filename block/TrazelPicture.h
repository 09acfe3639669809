// TrazelPicture: what the plot window needs to know about its background picture before any
// drawing: which reader a file name selects, where the picture goes on a printer page, and a
// bounds-checked view of the file's bytes for the readers (TrazelBitmap, TrazelMetafile).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// True when the file name's extension is ".WMF" in any case: the file is read as a Windows
// metafile. Every other name (other extension or none) is read as a Windows bitmap.
bool IsMetafileName(const std::string& fileName);

struct TPictureSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TPictureSize& o) const { return Width == o.Width && Height == o.Height; }
};

// The picture's rectangle on a printer page of horzRes x vertRes dots (from its top-left corner):
// the page's width, and on a portrait page the height that gives the page's landscape
// proportions, ASPECTX x HORZRES^2 / (ASPECTY x VERTRES) rounded to nearest.
TPictureSize PrinterPictureSize(int horzRes, int vertRes, int aspectX, int aspectY);

// Little-endian reads from a block of bytes; every read is checked against the end.
class TByteView {
 public:
  TByteView() = default;
  TByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  // True when bytes [at, at + count) lie inside the view (without overflow).
  bool Has(size_t at, size_t count) const { return at <= size_ && count <= size_ - at; }
  // The bytes from at on (empty when at lies beyond the end).
  TByteView From(size_t at) const;
  // Reads outside the view give 0; callers test Has first where it matters.
  uint8_t U8(size_t at) const { return Has(at, 1) ? data_[at] : 0; }
  uint16_t U16(size_t at) const;
  uint32_t U32(size_t at) const;
  int16_t I16(size_t at) const { return static_cast<int16_t>(U16(at)); }
  int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};
