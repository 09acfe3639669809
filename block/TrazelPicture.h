// TrazelPicture: what the plot window needs to know about its background picture before any
// drawing: which reader a file name selects, where the picture goes on a printer page, and a
// bounds-checked view of the file's bytes for the readers (TrazelBitmap, TrazelMetafile).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

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

// Why a picture file was refused.
enum class TPictureFault {
  None,
  NotABitmap,      // no bitmap file header
  HeaderSize,      // a bitmap header of unknown size (Detail: the size)
  HeaderCut,       // the file ends inside the bitmap header
  Planes,          // not one colour plane (Detail: the planes)
  BitDepth,        // bits per pixel that no bitmap has (Detail: the bits)
  Compression,     // an unknown compression, or one that does not fit the bits (Detail: code)
  NoSize,          // no width or no height
  TooLarge,        // more pixels than the memory limit of a picture allows
  ColorTableCut,   // the file ends inside the colour table
  PixelsCut,       // the file ends before the pixel data does
  NotAMetafile,    // no metafile header
  RecordCut,       // a metafile record runs beyond the file or is shorter than its header
  RecordContents,  // a record states counts or bitmaps that do not fit it
  ObjectNumber,    // a record refers to an object beyond the metafile's object table
  Locked,          // another program holds the file open without sharing it
};

// A picture read from a file, or why there is none. Reads like std::optional.
template <class T>
struct TPictureResult {
  std::optional<T> Value;
  TPictureFault Fault = TPictureFault::None;
  uint32_t Detail = 0;

  TPictureResult(T value) : Value(std::move(value)) {}  // implicit: a picture is a result
  TPictureResult(TPictureFault fault, uint32_t detail = 0) : Fault(fault), Detail(detail) {}

  explicit operator bool() const { return Value.has_value(); }
  const T& operator*() const { return *Value; }
  T& operator*() { return *Value; }
  const T* operator->() const { return &*Value; }
  T* operator->() { return &*Value; }
  operator std::optional<T>() const& { return Value; }
  operator std::optional<T>() && { return std::move(Value); }
};

// The cause of a refused picture in one German line (Windows-1252), for the line under the
// message's first line; empty for None.
std::string PictureFaultText(TPictureFault fault, uint32_t detail = 0);
