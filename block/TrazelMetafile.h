// TrazelMetafile: reads Windows metafiles, with or without the 22-byte placeable header that
// drawing programs put in front (and that the plain metafile functions do not read). The records
// are checked before the platform plays them: the platform trusts every size and object number
// in them, so a damaged file could make it read or write beyond the picture's memory.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "block/TrazelPicture.h"

constexpr uint32_t kPlaceableMagic = 0x9AC6CDD7;
constexpr size_t kPlaceableHeaderSize = 22;
constexpr size_t kMetaHeaderSize = 18;

// The placeable header: the picture's bounding box in its own logical units, and how many of
// these units make an inch.
struct TPlaceableHeader {
  int16_t Left = 0;
  int16_t Top = 0;
  int16_t Right = 0;
  int16_t Bottom = 0;
  uint16_t Inch = 0;
};

// The header when the file starts with the placeable magic number (the checksum is not checked:
// programs write it wrongly often enough).
std::optional<TPlaceableHeader> ReadPlaceableHeader(TByteView file);

// The logical rectangle (window origin and extent) that the picture covers.
struct TMetafileFrame {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool Known = false;  // false: the file gives no size; its units are taken as screen pixels
};

struct TMetafilePicture {
  // A memory metafile that the platform can take as it is: header, records, end record.
  std::vector<uint8_t> Bits;
  TMetafileFrame Frame;
  bool Placeable = false;
};

// Reads a metafile file. Nothing, with the reason, when the header is no metafile header, a
// record is cut off, or a record states counts, bitmaps or object numbers that do not fit it. Records that are
// shorter than the platform reads them are lengthened with zeros; a missing end record is added;
// whatever follows the end record is dropped. Without a placeable header the frame is taken from
// the first window origin and extent records.
TPictureResult<TMetafilePicture> ReadMetafileFile(TByteView file);
