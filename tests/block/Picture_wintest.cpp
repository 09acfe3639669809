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
  EXPECT_EQ(boxes_->Boxes()[0].Text, bad + ":\nUng\xFCltiges Bitmap-Format.");
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
  EXPECT_EQ(boxes_->Boxes()[2].Text, other + ":\nUng\xFCltiges Metafile-Format.");
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
