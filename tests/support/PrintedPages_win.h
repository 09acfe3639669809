// Printed pages as the tests see them: the PDF files that the test print server writes into the
// folder $PDF_OUT, rasterised by the Linux side's pdftoppm.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace printcheck {

// The print server's output folder (Linux path); empty when the test environment set none.
std::string PdfFolder();
// Names of the PDF files in it now.
std::vector<std::string> PdfFiles();
// Waits until `count` PDF files that are not in `known` exist and have stopped growing; returns
// their names, oldest first (fewer on timeout).
std::vector<std::string> WaitForNewPdfs(const std::vector<std::string>& known, size_t count,
                                        int timeoutMs);

struct TPage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;  // rows from the top, 3 bytes a pixel
  uint32_t At(int x, int y) const;  // 0x00RRGGBB
};

// Page 1 of the PDF (a name in PdfFolder) at dpi, without anti-aliasing.
std::optional<TPage> Rasterise(const std::string& pdfName, int dpi);

}  // namespace printcheck
