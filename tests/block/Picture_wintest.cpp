// Background pictures from real files: stretched over the drawing area, under the curves,
// without grid; unreadable files reported once.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "block/TrazelBitmap.h"
#include "support/BlockHost_win.h"
#include "support/SharedBlockSuite_win.h"
#include "support/PlotCheck_win.h"
#include "support/SystemFile_win.h"
#include "support/TestPictures.h"
#include "support/UiDriver_win.h"

namespace {

using namespace testpictures;

std::string Shared(const std::string& relative) { return WinePath(PicturePath(relative)); }

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kNavy = 0x000080, kYellow = 0xFFFF00;
constexpr uint32_t kWhite = 0xFFFFFF;

// One window for the suite; each test sets the pictures it needs.
class BackgroundPicture : public TSharedBlockSuite<BackgroundPicture> {
 public:
  static constexpr char kBlockTitle[] = "Karte";

 protected:
  void SetUp() override {
    ASSERT_TRUE(window_);
    boxes_.reset(new uitest::TBoxWatcher(GetCurrentThreadId()));
    host_->InitRun(*block_, 0, 0, 5);  // no curves
  }
  void TearDown() override { boxes_.reset(); }

  // Takes the file as background picture (through the block's lines) and repaints.
  Image Show(const std::string& file, int repaints = 1) {
    using systemfile::Lines;
    systemfile::ReadSettings(*host_, *block_,
                             Lines({"-1", "1", "-1", "1", "0", "0", "100", "100", "0", file}));
    for (int i = 0; i < repaints; ++i) {
      RepaintNow(window_);
      Settle(2);
    }
    Settle();
    return DrawingAreaPicture(window_);
  }
  size_t Boxes() const { return boxes_->Count(); }
  void Draw(double x0, double y0, double x1, double y1) {
    host_->InitRun(*block_, x0, y0, 0);
    host_->Step(*block_, x1, y1, 0);
    host_->EndRun();
  }

  std::unique_ptr<uitest::TBoxWatcher> boxes_;
};

// The screen pixel shows the picture's pixel under it (within one pixel, for the rounding of
// the stretch); the picture covers the graph's output, one pixel more than the area.
bool ShowsPicture(const Image& screen, const TBitmapPicture& picture, int x, int y) {
  const int sx = x * picture.Width / (screen.Width + 1), sy = y * picture.Height / (screen.Height + 1);
  for (int j = sy - 1; j <= sy + 1; ++j)
    for (int i = sx - 1; i <= sx + 1; ++i)
      if (i >= 0 && j >= 0 && i < picture.Width && j < picture.Height &&
          picture.At(i, j) == screen.At(x, y))
        return true;
  return false;
}

TEST_F(BackgroundPicture, EveryRealBitmapIsStretchedOverTheDrawingArea) {
  for (const char* name : {"pal1.bmp", "pal4rle.bmp", "pal8.bmp", "pal8topdown.bmp",
                           "rgb16-565.bmp", "rgb24.bmp", "rgb32bf.bmp"}) {
    const std::vector<uint8_t> bytes = PictureBytes(std::string("bmp/good/") + name);
    const auto picture = DecodeBitmapFile(TByteView(bytes.data(), bytes.size()));
    ASSERT_TRUE(picture) << name;
    const Image screen = Show(Shared(std::string("bmp/good/") + name));
    ASSERT_GT(screen.Width, 100);
    int wrong = 0;
    for (int j = 0; j < 9; ++j)
      for (int i = 0; i < 9; ++i) {
        const int x = (2 * i + 1) * screen.Width / 18, y = (2 * j + 1) * screen.Height / 18;
        wrong += !ShowsPicture(screen, *picture, x, y);
      }
    EXPECT_EQ(wrong, 0) << name;
  }
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(BackgroundPicture, EveryRealMetafileAppears) {
  for (const char* name : {"2doorvan.wmf", "ant.wmf", "formula1.wmf", "p0000001.wmf",
                           "sample.wmf", "text.wmf"}) {
    const Image screen = Show(Shared(std::string("wmf/") + name));
    int ink = 0, left = screen.Width, right = -1;
    for (int y = 0; y < screen.Height; ++y)
      for (int x = 0; x < screen.Width; ++x)
        if (screen.At(x, y) != kWhite) {
          ++ink;
          left = std::min(left, x);
          right = std::max(right, x);
        }
    EXPECT_GT(ink, 200) << name;
    // A picture of known size spreads over the area; text.wmf has none and stays small.
    if (std::string(name) != "text.wmf") {
      EXPECT_GT(right - left, screen.Width / 2) << name;
    }
  }
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(BackgroundPicture, PictureFillsTheAreaWithTheCurvesOverItAndNoGrid) {
  const std::string path = systemfile::TempPath("quadrants.dib");  // any other name: a bitmap
  systemfile::WriteFileBytes(path, [] {
    const auto b = Bmp24(2, 2, {kRed, kGreen, kNavy, kYellow});
    return std::string(b.begin(), b.end());
  }());
  Image screen = Show(path);
  const int w = screen.Width, h = screen.Height;
  EXPECT_EQ(screen.At(w / 4, h / 4), kRed);
  EXPECT_EQ(screen.At(3 * w / 4, h / 4), kGreen);
  EXPECT_EQ(screen.At(w / 4, 3 * h / 4), kNavy);
  EXPECT_EQ(screen.At(3 * w / 4, 3 * h / 4), kYellow);
  EXPECT_EQ(screen.At(0, 0), kRed);
  EXPECT_EQ(screen.At(w - 1, h - 1), kYellow);
  EXPECT_EQ(CountColour(screen, kGridGrey), 0);
  EXPECT_EQ(CountColour(screen, kWhite), 0);
  Draw(-0.6, 0.5, 0.6, -0.5);
  screen = DrawingAreaPicture(window_);
  EXPECT_TRUE(LineShown(screen, MapOf(screen), -0.6, 0.5, 0.6, -0.5));
  RepaintNow(window_);
  screen = DrawingAreaPicture(window_);
  EXPECT_TRUE(LineShown(screen, MapOf(screen), -0.6, 0.5, 0.6, -0.5));
  EXPECT_EQ(screen.At(w / 4, 3 * h / 4), kNavy);
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(BackgroundPicture, PlaceableAndPlainMetafilesAreStretchedByTheirFrames) {
  const struct {
    const char* name;
    bool placeable;
  } files[] = {{"half.Wmf", true}, {"plain.wmf", false}};
  for (const auto& f : files) {
    const std::string path = systemfile::TempPath(f.name);
    const auto bytes = FilledRectWmf(0, 0, 49, 99, kRed, f.placeable);  // left half of 100 x 100
    systemfile::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
    const Image screen = Show(path);
    const int w = screen.Width, h = screen.Height;
    for (int y : {2, h / 2, h - 3}) {
      EXPECT_EQ(screen.At(2, y), kRed) << f.name;
      EXPECT_EQ(screen.At(w * 45 / 100, y), kRed) << f.name;
      EXPECT_EQ(screen.At(w * 55 / 100, y), kWhite) << f.name;
      EXPECT_EQ(screen.At(w - 3, y), kWhite) << f.name;
    }
    EXPECT_EQ(CountColour(screen, kGridGrey), 0) << f.name;
  }
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(BackgroundPicture, NoFileMeansGridWithoutMessage) {
  for (const std::string& name : {std::string("*.*"), std::string(), std::string("C:\\nirgends\\karte.bmp"),
                                  systemfile::TempPath("")}) {
    const Image screen = Show(name);
    EXPECT_GT(CountColour(screen, kGridGrey), 50) << name;
    EXPECT_EQ(CountColour(screen, kWhite) + CountColour(screen, kGridGrey), screen.Width * screen.Height)
        << name;
  }
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(BackgroundPicture, UnreadableFileIsReportedOnceUntilItChanges) {
  const std::string bad = systemfile::TempPath("kaputt.bmp");
  systemfile::WriteFileBytes(bad, "BM kein Bild");
  Image screen = Show(bad, 5);
  ASSERT_TRUE(uitest::WaitFor([&] { return Boxes() >= 1; }));
  Settle();
  EXPECT_EQ(Boxes(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].Text,
            bad + ":\nUng\xFCltiges Bitmap-Format.\nDie Datei endet im Bitmap-Kopf.");
  EXPECT_EQ(boxes_->Boxes()[0].Caption, "Fehler");
  // The window stays usable: grid as without a picture, and the curves.
  EXPECT_GT(CountColour(screen, kGridGrey), 50);
  Draw(-0.5, -0.5, 0.5, 0.5);
  for (int i = 0; i < 3; ++i) RepaintNow(window_);
  Settle();
  screen = DrawingAreaPicture(window_);
  EXPECT_TRUE(LineShown(screen, MapOf(screen), -0.5, -0.5, 0.5, 0.5));
  EXPECT_EQ(Boxes(), 1u);
  // The same file changed, and the same content under another name: reported again.
  systemfile::WriteFileBytes(bad, "BM immer noch kein Bild");
  Show(bad, 3);
  const std::string other = systemfile::TempPath("kaputt.wmf");
  systemfile::WriteFileBytes(other, "BM immer noch kein Bild");
  Show(other, 3);
  ASSERT_TRUE(uitest::WaitFor([&] { return Boxes() >= 3; }));
  Settle();
  EXPECT_EQ(Boxes(), 3u);
  EXPECT_EQ(boxes_->Boxes()[2].Text, other + ":\nUng\xFCltiges Metafile-Format.\n"
                                              "Die Datei hat keinen g\xFCltigen Metafile-Kopf.");
}

TEST_F(BackgroundPicture, MetafileUnderABitmapNameIsUnreadable) {
  const std::string path = systemfile::TempPath("karte.bmp");
  const auto bytes = FilledRectWmf(0, 0, 49, 99, kRed, true);
  systemfile::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
  const Image screen = Show(path, 2);
  ASSERT_TRUE(uitest::WaitFor([&] { return Boxes() >= 1; }));
  EXPECT_EQ(CountColour(screen, kRed), 0);
  EXPECT_GT(CountColour(screen, kGridGrey), 50);
}

TEST_F(BackgroundPicture, DamagedRealBitmapsNeverCrashAndTheWindowKeepsWorking) {
  const struct {
    const char* name;
    size_t boxes;
  } files[] = {{"badbitcount.bmp", 1}, {"badheadersize.bmp", 1}, {"reallybig.bmp", 1},
               {"shortfile.bmp", 1}, {"badrle.bmp", 0}};
  size_t expected = 0;
  for (const auto& f : files) {
    Show(Shared(std::string("bmp/bad/") + f.name), 3);
    expected += f.boxes;
    uitest::WaitFor([&] { return Boxes() >= expected; }, 1000);
    Settle();
    EXPECT_EQ(Boxes(), expected) << f.name;
    Draw(-0.7, 0.1, 0.7, 0.1);
    const Image screen = DrawingAreaPicture(window_);
    EXPECT_TRUE(LineShown(screen, MapOf(screen), -0.7, 0.1, 0.7, 0.1)) << f.name;
  }
}

// Made-up files of each class that the block refuses: the message keeps its first lines (the
// file's name, the kind of picture) and names the cause under them.
TEST_F(BackgroundPicture, RefusedPicturesNameTheirCause) {
  TestBmp ok;
  ok.Width = 2;
  ok.Height = 2;
  ok.Data.assign(16, 0);
  TestBmp twoBits = ok, rle = ok, cut = ok, big = ok, planes = ok;
  twoBits.BitCount = 2;
  rle.Compression = 1;
  cut.Data.resize(10);
  big.Width = big.Height = 20000;
  planes.Planes = 3;
  std::vector<uint8_t> header64 = ok.Bytes();
  header64[14] = 66;
  TestWmf object;
  object.Objects = 1;
  object.Add(kWmfSelectObject, {7});
  const std::string bitmap = ":\nUng\xFCltiges Bitmap-Format.\n";
  const std::string metafile = ":\nUng\xFCltiges Metafile-Format.\n";
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string message;  // after the file's name
  } cases[] = {
      {"zwei_bit.bmp", twoBits.Bytes(),
       bitmap + "Eine Farbtiefe von 2 Bit wird nicht unterst\xFCtzt."},
      {"rle.bmp", rle.Bytes(),
       bitmap + "Die Kompressionsart 1 wird nicht unterst\xFCtzt oder passt nicht zur Farbtiefe."},
      {"kopf.bmp", header64, bitmap + "Eine Kopfgr\xF6\xDF" "e von 66 Byte ist unbekannt."},
      {"ebenen.bmp", planes.Bytes(), bitmap + "Das Bild hat 3 Farbebenen statt einer."},
      {"kurz.bmp", cut.Bytes(),
       bitmap + "Die Bilddaten sind unvollst\xE4ndig: die Datei ist zu kurz."},
      {"riesig.bmp", big.Bytes(),
       bitmap + "Das Bild ist zu gro\xDF f\xFCr den Speicher (h\xF6" "chstens 65535 Bildpunkte "
                "breit oder hoch und 67108864 Bildpunkte in allem)."},
      {"gif.bmp", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0, 0, 0},
       bitmap + "Die Datei beginnt nicht mit der Kennung einer Bitmap-Datei."},
      {"objekt.wmf", object.Bytes(),
       metafile + "Ein Datensatz des Metafiles verweist auf ein Objekt, das es nicht gibt."},
  };
  for (const auto& c : cases) {
    const std::string path = systemfile::TempPath(c.name);
    systemfile::WriteFileBytes(path, std::string(c.bytes.begin(), c.bytes.end()));
    const size_t before = Boxes();
    Show(path, 2);
    ASSERT_TRUE(uitest::WaitFor([&] { return Boxes() > before; })) << c.name;
    Settle();
    EXPECT_EQ(Boxes(), before + 1) << c.name;
    EXPECT_EQ(boxes_->Boxes().back().Text, path + c.message);
  }
  Show("*.*");
}

// A file that another program holds open without sharing cannot be read: the platform's
// message, and under it the cause in German. Once the file is free again it is drawn.
TEST_F(BackgroundPicture, FileHeldLockedByAnotherHandleIsNamedAsLocked) {
  const std::string path = systemfile::TempPath("gesperrt.bmp");
  const auto bytes = Bmp24(2, 2, {kRed, kRed, kRed, kRed});
  systemfile::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const size_t before = Boxes();
  Image screen = Show(path, 2);
  const bool reported = uitest::WaitFor([&] { return Boxes() > before; });
  CloseHandle(held);
  ASSERT_TRUE(reported);
  Settle();
  const std::string text = boxes_->Boxes().back().Text;
  EXPECT_EQ(text.substr(0, path.size() + 2), path + ":\n");
  const std::string cause = "\nEin anderes Programm h\xE4lt die Datei gesperrt.";
  ASSERT_GT(text.size(), path.size() + 2 + cause.size()) << text;  // the platform's line between
  EXPECT_EQ(text.substr(text.size() - cause.size()), cause) << text;
  EXPECT_EQ(CountColour(screen, kRed), 0);
  // Unchanged on disk, so the next repaint keeps the fault; a newly written file is read.
  systemfile::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()) + "x");
  screen = Show(path, 2);
  EXPECT_GT(CountColour(screen, kRed), screen.Width * screen.Height / 2);
  EXPECT_EQ(Boxes(), before + 1);
  Show("*.*");
}

// Colour tables longer than the bits need, as pictures carry them that the platform shows: the
// pixels use the entries they index, the rest is ignored, and no message appears.
TEST_F(BackgroundPicture, ColourTablesLongerThanTheBitsNeedAreDrawn) {
  const struct {
    uint16_t bits;
    uint32_t entries;
    std::vector<uint8_t> row;  // two pixels, both index 1 (or the colour)
  } cases[] = {{24, 300, {0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0, 0}},
               {8, 300, {1, 1, 0, 0}},
               {1, 3, {0xC0, 0, 0, 0}}};
  const size_t before = Boxes();
  for (const auto& c : cases) {
    TestBmp bmp;
    bmp.Width = 2;
    bmp.Height = 1;
    bmp.BitCount = c.bits;
    bmp.ClrUsed = c.entries;
    bmp.Palette.assign(c.entries, kNavy);
    bmp.Palette[1] = kRed;  // the one colour the pixels use
    bmp.Data = c.row;
    const std::string path =
        systemfile::TempPath("lange_palette_" + std::to_string(c.bits) + ".bmp");
    const auto bytes = bmp.Bytes();
    systemfile::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
    const Image screen = Show(path, 2);
    EXPECT_GT(CountColour(screen, kRed), screen.Width * screen.Height * 9 / 10) << c.bits;
  }
  EXPECT_EQ(Boxes(), before);
  Show("*.*");
}

// The lowest free handle number is handed out first: a handle left open by a read would show
// up as a different number for the next file opened.
HANDLE ProbeHandle() {
  const std::string path = systemfile::TempPath("probe.txt");
  systemfile::WriteFileBytes(path, "x");
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  CloseHandle(h);
  return h;
}

TEST_F(BackgroundPicture, ReadingPicturesLeavesNoFileOpen) {
  const std::string changing = systemfile::TempPath("wechsel.bmp");
  auto readAll = [&](int round) {
    Show(Shared("wmf/ant.wmf"));
    Show(Shared("bmp/good/rgb24.bmp"));
    Show(Shared("bmp/bad/shortfile.bmp"));
    systemfile::WriteFileBytes(changing, std::string(static_cast<size_t>(10 + round), 'x'));
    Show(changing);
    Show("*.*");
  };
  readAll(0);  // whatever the platform keeps open after its first message box
  const HANDLE before = ProbeHandle();
  for (int round = 1; round <= 3; ++round) readAll(round);
  EXPECT_EQ(ProbeHandle(), before);
  EXPECT_TRUE(DeleteFileA(changing.c_str()));
}

}  // namespace
