// The print command on the default printer of the test print server, which writes PDF files;
// the pages are rasterised and compared with what the screen shows.
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "support/BlockHost_win.h"
#include "support/SharedBlockSuite_win.h"
#include "support/PlotCheck_win.h"
#include "support/PrintedPages_win.h"
#include "support/SystemFile_win.h"
#include "support/TestPictures.h"
#include "support/UiDriver_win.h"

namespace {

using printcheck::TPage;

// ToolButton2, clicked as the toolbar reports it.
void ClickPrint(HWND window) {
  const HWND toolbar = FindChild(window, TOOLBARCLASSNAMEA);
  TBBUTTON button{};
  SendMessageA(toolbar, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&button));
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(button.idCommand, BN_CLICKED),
               reinterpret_cast<LPARAM>(toolbar));
}

void SetBackground(TestHost& host, HostBlock& block, const std::string& file) {
  systemfile::ReadSettings(host, block, systemfile::Lines({"-1", "1", "-1", "1", "0", "0", "100",
                                                           "100", "0", file}));
}

// The default printer's page: printable area (device units) and where it lies on the paper.
struct TPrinterPage {
  int HorzRes = 0, VertRes = 0, PictureHeight = 0;
  int PhysWidth = 0, PhysHeight = 0, OffsetX = 0, OffsetY = 0;
};

TPrinterPage DefaultPrinterPage() {
  TPrinterPage p;
  char name[512] = {};
  DWORD size = sizeof name;
  if (!GetDefaultPrinterA(name, &size)) return p;
  HDC dc = CreateDCA("WINSPOOL", name, nullptr, nullptr);
  if (!dc) return p;
  p.HorzRes = GetDeviceCaps(dc, HORZRES);
  p.VertRes = GetDeviceCaps(dc, VERTRES);
  p.PhysWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
  p.PhysHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
  p.OffsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
  p.OffsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
  const double ax = GetDeviceCaps(dc, ASPECTX), ay = GetDeviceCaps(dc, ASPECTY);
  p.PictureHeight = p.VertRes > p.HorzRes
                        ? static_cast<int>(std::lround(ax * p.HorzRes * p.HorzRes / (ay * p.VertRes)))
                        : p.VertRes;
  DeleteDC(dc);
  return p;
}

// A point given as fractions of the picture's rectangle (the page's width and the
// landscape-proportioned height), in pixels of the rasterised page.
POINT OnPage(const TPage& page, const TPrinterPage& p, double fx, double fy) {
  const double dx = p.OffsetX + fx * p.HorzRes, dy = p.OffsetY + fy * p.PictureHeight;
  return POINT{static_cast<LONG>(dx * page.Width / p.PhysWidth),
               static_cast<LONG>(dy * page.Height / p.PhysHeight)};
}

int Channel(uint32_t rgb, int shift) { return (rgb >> shift) & 0xFF; }

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) return false;
  return true;
}

bool IsBlue(uint32_t p) { return Channel(p, 0) > 150 && Channel(p, 8) < 110 && Channel(p, 16) < 110; }
bool IsGrey(uint32_t p) {
  const int r = Channel(p, 16), g = Channel(p, 8), b = Channel(p, 0);
  return r > 60 && r < 200 && std::abs(r - g) < 30 && std::abs(g - b) < 30;
}

template <class Pred>
bool Around(const TPage& page, POINT c, int radius, Pred pred) {
  for (int y = c.y - radius; y <= c.y + radius; ++y)
    for (int x = c.x - radius; x <= c.x + radius; ++x)
      if (x >= 0 && y >= 0 && x < page.Width && y < page.Height && pred(page.At(x, y))) return true;
  return false;
}

// The line (x0, y0)-(x1, y1) in data values of the ranges -1..1, as the screen draws it.
bool CurveOnPage(const TPage& page, const TPrinterPage& p, double x0, double y0, double x1, double y1) {
  for (double t : {0.2, 0.4, 0.6, 0.8}) {
    const double x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
    if (!Around(page, OnPage(page, p, (x + 1) / 2, (1 - y) / 2), 2, IsBlue)) return false;
  }
  return true;
}

// Grid lines of the screen: columns (or rows) of the drawing area that are mostly grey, as
// fractions of the graph's output (one pixel more than the area).
std::vector<double> GridLines(const Image& screen, bool columns) {
  const int n = columns ? screen.Width : screen.Height, m = columns ? screen.Height : screen.Width;
  std::vector<double> lines;
  for (int i = 0; i < n; ++i) {
    int grey = 0;
    for (int j = 0; j < m; ++j) grey += (columns ? screen.At(i, j) : screen.At(j, i)) == kGridGrey;
    if (grey > m / 5 && (lines.empty() || i - lines.back() * (n + 1) > 2)) lines.push_back(double(i) / (n + 1));
  }
  return lines;
}

// Share of the page's pixels along a vertical (or horizontal) line at fraction f of the picture's
// rectangle that have grey within two pixels.
double GreyAlong(const TPage& page, const TPrinterPage& p, double f, bool vertical) {
  int hits = 0, total = 0;
  for (double t = 0.02; t < 0.98; t += 0.01, ++total) {
    const POINT c = vertical ? OnPage(page, p, f, t) : OnPage(page, p, t, f);
    hits += Around(page, c, 2, IsGrey);
  }
  return double(hits) / total;
}

// Horizontal grid lines of the page, as fractions of the picture's height.
std::vector<double> PageGridRows(const TPage& page, const TPrinterPage& p) {
  const POINT top = OnPage(page, p, 0, 0), bottom = OnPage(page, p, 0, 1);
  std::vector<double> rows;
  int lastRow = -10;
  for (int y = top.y + 2; y < bottom.y - 2; ++y) {
    int grey = 0, total = 0;
    for (int x = 2; x < page.Width - 2; x += 3, ++total) grey += IsGrey(page.At(x, y));
    if (grey * 2 > total) {
      if (y - lastRow > 2) rows.push_back(double(y - top.y) / (bottom.y - top.y));
      lastRow = y;
    }
  }
  return rows;
}

class Printing : public TSharedBlockSuite<Printing> {
 public:
  static constexpr char kBlockTitle[] = "Kennfeld 1";

 protected:
  // Caption (the document's name), background, one curve in the widest line; then print.
  Image PrintWith(const std::string& title, const std::string& background) {
    block_->SetTitle(title);
    SetBackground(*host_, *block_, background);
    host_->InitRun(*block_, -0.6L, 0.5L, 0);
    host_->Step(*block_, 0.6L, -0.5L, 0);
    Settle();
    const Image screen = DrawingAreaPicture(window_);
    ClickPrint(window_);
    Settle();
    return screen;
  }

};

std::string Find(const std::vector<std::string>& names, const std::string& part) {
  for (const std::string& n : names)
    if (n.find(part) != std::string::npos) return n;
  return std::string();
}

TEST_F(Printing, PagesShowWhatTheScreenShowsScaledToThePage) {
  ASSERT_FALSE(printcheck::PdfFolder().empty()) << "PDF_OUT is not set: run the tests through ./run";
  const TPrinterPage page = DefaultPrinterPage();
  ASSERT_GT(page.HorzRes, 0) << "no default printer";
  ASSERT_GT(page.PhysWidth, 0);
  const std::vector<std::string> known = printcheck::PdfFiles();
  uitest::TBoxWatcher boxes(GetCurrentThreadId());
  SendMessageA(FindChild(window_, UPDOWN_CLASSA), UDM_SETPOS32, 0, 10);  // line width 10

  // An unreadable picture prints nothing and says why.
  const std::string bad = systemfile::TempPath("druck_kaputt.bmp");
  systemfile::WriteFileBytes(bad, "kein Bild");
  PrintWith("DruckKaputt", bad);
  ASSERT_TRUE(uitest::WaitFor([&] { return boxes.Count() >= 2; }));
  EXPECT_EQ(boxes.Boxes().back().Text, bad + ":\nUng\xFCltiges Bitmap-Format.\n"
                                             "Die Datei beginnt nicht mit der Kennung einer "
                                             "Bitmap-Datei.");

  const std::string quadrants = systemfile::TempPath("druck_karte.bmp");
  const auto bmp = testpictures::Bmp24(2, 2, {0xFF0000, 0x00FF00, 0x000080, 0xFFFF00});
  systemfile::WriteFileBytes(quadrants, std::string(bmp.begin(), bmp.end()));
  PrintWith("DruckKarte", quadrants);
  const std::string halfRed = systemfile::TempPath("druck_haelfte.wmf");
  const auto wmf = testpictures::FilledRectWmf(0, 0, 49, 99, 0xFF0000, true);
  systemfile::WriteFileBytes(halfRed, std::string(wmf.begin(), wmf.end()));
  PrintWith("DruckMetafile", halfRed);
  const Image gridScreen = PrintWith("DruckGitter", "*.*");

  // The print server writes the jobs in order; other programs may print meanwhile.
  std::vector<std::string> pdfs;
  for (int waited = 0; waited < 60000; waited += 500) {
    pdfs = printcheck::WaitForNewPdfs(known, 3, 500);
    if (!Find(pdfs, "DruckKarte").empty() && !Find(pdfs, "DruckMetafile").empty() &&
        !Find(pdfs, "DruckGitter").empty())
      break;
  }
  pdfs = printcheck::WaitForNewPdfs(known, pdfs.size(), 10000);  // until they stop growing
  ASSERT_FALSE(Find(pdfs, "DruckGitter").empty()) << "the print server wrote no page";
  EXPECT_EQ(Find(pdfs, "DruckKaputt"), "");
  EXPECT_EQ(boxes.Count(), 2u);

  // A metafile is stretched by its frame into the same rectangle: left half red.
  const auto half = printcheck::Rasterise(Find(pdfs, "DruckMetafile"), 60);
  ASSERT_TRUE(half) << "DruckMetafile";
  for (double fy : {0.05, 0.5, 0.95}) {
    for (double fx : {0.05, 0.45}) {
      const POINT c = OnPage(*half, page, fx, fy);
      EXPECT_TRUE(Near(half->At(c.x, c.y), 0xFF0000, 60)) << fx << ", " << fy;
    }
    for (double fx : {0.55, 0.95}) {
      const POINT c = OnPage(*half, page, fx, fy);
      EXPECT_EQ(half->At(c.x, c.y), 0xFFFFFFu) << fx << ", " << fy;
    }
  }
  const POINT underHalf = OnPage(*half, page, 0.25, 1.1);
  EXPECT_EQ(half->At(underHalf.x, underHalf.y), 0xFFFFFFu);

  const auto map = printcheck::Rasterise(Find(pdfs, "DruckKarte"), 60);
  ASSERT_TRUE(map) << "DruckKarte";
  // The picture over the page's width and the landscape-proportioned height, white below.
  const struct {
    double fx, fy;
    uint32_t rgb;
  } probes[] = {{0.25, 0.25, 0xFF0000}, {0.75, 0.25, 0x00FF00}, {0.25, 0.75, 0x000080},
                {0.75, 0.75, 0xFFFF00}, {0.03, 0.03, 0xFF0000}, {0.97, 0.97, 0xFFFF00},
                {0.5, 1.1, 0xFFFFFF},   {0.5, 1.8, 0xFFFFFF}};
  for (const auto& pr : probes) {
    const POINT c = OnPage(*map, page, pr.fx, pr.fy);
    EXPECT_TRUE(Near(map->At(c.x, c.y), pr.rgb, 60))
        << pr.fx << ", " << pr.fy << ": " << std::hex << map->At(c.x, c.y);
  }
  EXPECT_TRUE(CurveOnPage(*map, page, -0.6, 0.5, 0.6, -0.5));

  const auto grid = printcheck::Rasterise(Find(pdfs, "DruckGitter"), 60);
  ASSERT_TRUE(grid) << "DruckGitter";
  EXPECT_TRUE(CurveOnPage(*grid, page, -0.6, 0.5, 0.6, -0.5));
  // Vertical grid lines where the screen has them. The number of horizontal ones follows the
  // height of a text line against the axis length, which differs between screen and page; they
  // divide the picture's landscape-proportioned height into equal parts.
  const std::vector<double> columns = GridLines(gridScreen, true);
  ASSERT_GE(columns.size(), 3u) << "the screen shows no grid";
  for (size_t i = 0; i < columns.size(); ++i) {
    EXPECT_GT(GreyAlong(*grid, page, columns[i], true), 0.9) << "grid line at " << columns[i];
    if (i > 0) {  // halfway between two lines only where horizontal lines cross
      EXPECT_LT(GreyAlong(*grid, page, (columns[i] + columns[i - 1]) / 2, true), 0.25);
    }
  }
  const std::vector<double> rows = PageGridRows(*grid, page);
  ASSERT_GE(rows.size(), 3u);
  for (size_t i = 0; i < rows.size(); ++i)
    EXPECT_NEAR(rows[i], double(i + 1) / (rows.size() + 1), 0.01) << "row " << i;
  // Nothing below the picture's rectangle.
  const POINT below = OnPage(*grid, page, 0, 1.02);
  int ink = 0;
  for (int y = below.y; y < grid->Height; ++y)
    for (int x = 0; x < grid->Width; ++x) ink += grid->At(x, y) != 0xFFFFFF;
  EXPECT_EQ(ink, 0);
  SendMessageA(FindChild(window_, UPDOWN_CLASSA), UDM_SETPOS32, 0, 1);
}

// Run by noprinter_test.sh while the print server has no printer.
TEST(NoPrinter, PrintCommandShowsThePrinterError) {
  if (!std::getenv("TRAZEL_EXPECT_NO_PRINTER")) GTEST_SKIP() << "needs a print server without printers";
  TestHost host;
  HostBlock& block = host.Place();
  const HWND window = host.WindowOf(block);
  uitest::TBoxWatcher boxes(GetCurrentThreadId());
  ClickPrint(window);
  ASSERT_TRUE(uitest::WaitFor([&] { return boxes.Count() >= 1; }));
  EXPECT_EQ(boxes.Boxes()[0].Text, "Es ist kein Standarddrucker ausgew\xE4hlt.");
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Fehler");
  host.InitRun(block, -0.5L, 0, 0);
  host.Step(block, 0.5L, 0, 0);
  host.EndRun();
  const Image screen = DrawingAreaPicture(window);
  EXPECT_TRUE(LineShown(screen, MapOf(screen), -0.5, 0, 0.5, 0));
}

}  // namespace
