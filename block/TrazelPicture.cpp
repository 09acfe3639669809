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

std::string PictureFaultText(TPictureFault fault, uint32_t detail) {
  const char* text = "";
  switch (fault) {
    case TPictureFault::None: return std::string();
    case TPictureFault::NotABitmap:
      text = "Die Datei beginnt nicht mit der Kennung einer Bitmap-Datei.";
      break;
    case TPictureFault::HeaderSize:
      text = "Eine Kopfgr\xF6\xDF" "e von %u Byte ist unbekannt.";
      break;
    case TPictureFault::HeaderCut: text = "Die Datei endet im Bitmap-Kopf."; break;
    case TPictureFault::Planes: text = "Das Bild hat %u Farbebenen statt einer."; break;
    case TPictureFault::BitDepth:
      text = "Eine Farbtiefe von %u Bit wird nicht unterst\xFCtzt.";
      break;
    case TPictureFault::Compression:
      text = "Die Kompressionsart %u wird nicht unterst\xFCtzt oder passt nicht zur Farbtiefe.";
      break;
    case TPictureFault::NoSize: text = "Das Bild hat keine Breite oder keine H\xF6he."; break;
    case TPictureFault::TooLarge:
      text = "Das Bild ist zu gro\xDF f\xFCr den Speicher (h\xF6" "chstens 65535 Bildpunkte breit "
             "oder hoch und 67108864 Bildpunkte in allem).";
      break;
    case TPictureFault::ColorTableCut:
      text = "Die Farbtabelle ist unvollst\xE4ndig: die Datei ist zu kurz.";
      break;
    case TPictureFault::PixelsCut:
      text = "Die Bilddaten sind unvollst\xE4ndig: die Datei ist zu kurz.";
      break;
    case TPictureFault::NotAMetafile:
      text = "Die Datei hat keinen g\xFCltigen Metafile-Kopf.";
      break;
    case TPictureFault::RecordCut:
      text = "Ein Datensatz des Metafiles ist l\xE4nger als der Rest der Datei oder k\xFCrzer "
             "als sein Kopf.";
      break;
    case TPictureFault::RecordContents:
      text = "Ein Datensatz des Metafiles gibt Gr\xF6\xDF" "en an, die nicht in ihn passen.";
      break;
    case TPictureFault::ObjectNumber:
      text = "Ein Datensatz des Metafiles verweist auf ein Objekt, das es nicht gibt.";
      break;
    case TPictureFault::Locked: text = "Ein anderes Programm h\xE4lt die Datei gesperrt."; break;
  }
  std::string line = text;
  const size_t at = line.find("%u");
  if (at != std::string::npos) line.replace(at, 2, std::to_string(detail));
  return line;
}
