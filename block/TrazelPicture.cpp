#include "block/TrazelPicture.h"

#include <climits>
#include <cmath>

bool IsMetafileName(const std::string& fileName) {
  // The extension begins at the last dot after the last path or drive separator.
  const size_t dot = fileName.find_last_of(".\\/:");
  if (dot == std::string::npos || fileName[dot] != '.') return false;
  std::string ext = fileName.substr(dot);
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return ext == ".WMF";
}

TPictureSize PrinterPictureSize(int horzRes, int vertRes, int aspectX, int aspectY) {
  TPictureSize size{horzRes, vertRes};
  if (vertRes > horzRes && aspectY != 0) {
    const double h = static_cast<double>(aspectX) * horzRes * horzRes /
                     (static_cast<double>(aspectY) * vertRes);
    const double rounded = std::nearbyint(h);
    // Capabilities that no printer reports (a zero page height, sizes whose product leaves the
    // int range) keep the page's own height instead of an undefined conversion.
    if (rounded >= INT_MIN && rounded <= INT_MAX) size.Height = static_cast<int>(rounded);
  }
  return size;
}

TByteView TByteView::From(size_t at) const {
  return at <= size_ ? TByteView(data_ + at, size_ - at) : TByteView();
}

uint16_t TByteView::U16(size_t at) const {
  if (!Has(at, 2)) return 0;
  return static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8));
}

uint32_t TByteView::U32(size_t at) const {
  if (!Has(at, 4)) return 0;
  return static_cast<uint32_t>(data_[at]) | (static_cast<uint32_t>(data_[at + 1]) << 8) |
         (static_cast<uint32_t>(data_[at + 2]) << 16) | (static_cast<uint32_t>(data_[at + 3]) << 24);
}
