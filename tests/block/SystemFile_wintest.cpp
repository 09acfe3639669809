// The block's ten lines in the host's system file: real files, handles as the host passes them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/BlockHost_win.h"
#include "support/SharedBlockSuite_win.h"
#include "support/PlotCheck_win.h"
#include "support/SystemFile_win.h"
#include "support/UiDriver_win.h"

namespace {

using systemfile::Lines;

const std::string kDefaults = Lines({"-1", "1", "-1", "1", "0", "0", "100", "100", "0", "*.*"});

// One window for the whole suite; every test starts from the settings of a new window.
class SystemFile : public TSharedBlockSuite<SystemFile> {
 public:
  static constexpr char kBlockTitle[] = "Kennfeld 1";

 protected:
  void SetUp() override {
    ASSERT_TRUE(window_);
    Read(kDefaults);
  }
  std::string Status() const { return StatusBarText(FindChild(window_, STATUSCLASSNAMEA)); }
  long Read(const std::string& bytes, const std::string& prefix = "", uint32_t high = 0) {
    return systemfile::ReadSettings(*host_, *block_, bytes, prefix, high);
  }
  std::string Saved(uint32_t high = 0) { return systemfile::SavedLines(*host_, *block_, high); }

};

TEST_F(SystemFile, NewWindowWritesItsTenLinesInThirtyEightBytes) {
  const std::string saved = Saved();
  EXPECT_EQ(saved, kDefaults);
  EXPECT_EQ(saved.size(), 38u);
  // Only the low 16 bits of the handle count.
  EXPECT_EQ(Saved(0xBEEF), kDefaults);
}

TEST_F(SystemFile, ValuesComeBackInTheirWrittenForm) {
  const struct {
    std::vector<std::string> read;
    std::vector<std::string> written;
  } cases[] = {
      {{"0.5", "1e20", "-0.00001", "123456", "-5", "7", "50", "60", "257", "C:\\Bilder\\Karte 1.wmf"},
       {"0.5", "1E20", "-1E-5", "123456", "-5", "7", "50", "60", "1", "C:\\Bilder\\Karte 1.wmf"}},
      {{" 2 ", "+3.25", "-4E+2", "1E-4", "0", "1", "2", "3", "256", ""},
       {"2", "3.25", "-400", "0.0001", "0", "1", "2", "3", "0", ""}},
      {{"-1", "1", "-1", "1", "0", "0", "100", "100", "1", "*.*"},
       {"-1", "1", "-1", "1", "0", "0", "100", "100", "1", "*.*"}},
  };
  for (const auto& c : cases) {
    const std::string bytes = Lines(c.read);
    EXPECT_EQ(Read(bytes), static_cast<long>(bytes.size()));
    EXPECT_EQ(Saved(), Lines(c.written)) << c.read[0];
  }
}

TEST_F(SystemFile, StatusBarShowsTheNewRangesAtOnceThePictureAtItsNextRepaint) {
  const Image before = DrawingAreaPicture(window_);
  Read(Lines({"0.5", "12345", "-1E-5", "123456", "10", "10", "80", "80", "1", "*.*"}));
  EXPECT_EQ(Status(), "x: [    0.5,  1.23E4]   y: [  -1E-5,  1.23E5]   ");
  EXPECT_EQ(DrawingAreaPicture(window_).Pixels, before.Pixels);
  RepaintNow(window_);
  EXPECT_NE(DrawingAreaPicture(window_).Pixels, before.Pixels);
}

// Ranges beyond the float range are kept as read: the picture draws them limited (axes with
// numbers, no error), and the lines are written back byte for byte.
TEST_F(SystemFile, RangesBeyondTheFloatRangeAreDrawnAndSavedUnchanged) {
  for (const auto& ranges : {std::vector<std::string>{"-1E308", "1E308", "0", "1E-300"},
                             std::vector<std::string>{"1E-300", "0", "1E308", "-1E308"}}) {
    const std::string bytes = Lines({ranges[0], ranges[1], ranges[2], ranges[3], "10", "10",
                                     "80", "80", "1", "*.*"});
    ASSERT_EQ(Read(bytes), static_cast<long>(bytes.size()));
    RepaintNow(window_);
    const Image picture = DrawingAreaPicture(window_);
    EXPECT_GT(CountColour(picture, 0x000000), 200) << ranges[0];  // axes, marks and numbers
    EXPECT_EQ(Saved(), bytes);
  }
}

TEST_F(SystemFile, TheHostsFilePositionsAreKept) {
  // Two blocks write one after the other behind a line of the host's own.
  HostBlock& second = host_->Place("Zweiter");
  systemfile::ReadSettings(*host_, second, Lines({"-7", "7", "-3", "3", "1", "2", "3", "4", "1", "b.bmp"}));
  const std::string path = systemfile::TempPath("two.sys");
  HFILE file = _lcreat(path.c_str(), 0);
  ASSERT_NE(file, HFILE_ERROR);
  _lwrite(file, "HOST\r\n", 6);
  host_->Api().WriteToFile(static_cast<uint32_t>(file), block_->Record());
  host_->Api().WriteToFile(static_cast<uint32_t>(file), second.Record());
  _lclose(file);
  const std::string secondLines = Lines({"-7", "7", "-3", "3", "1", "2", "3", "4", "1", "b.bmp"});
  ASSERT_EQ(systemfile::ReadFileBytes(path), "HOST\r\n" + kDefaults + secondLines);
  // Read back in the same order: each read stops behind its tenth line.
  HostBlock& third = host_->Place("Dritter");
  HostBlock& fourth = host_->Place("Vierter");
  OFSTRUCT of{};
  file = OpenFile(path.c_str(), &of, OF_READ);
  ASSERT_NE(file, HFILE_ERROR);
  _llseek(file, 6, FILE_BEGIN);
  host_->Api().ReadFromFile(static_cast<uint32_t>(file) | 0x5A5A0000u, third.Record());
  EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), static_cast<LONG>(6 + kDefaults.size()));
  host_->Api().ReadFromFile(static_cast<uint32_t>(file), fourth.Record());
  _lclose(file);
  EXPECT_EQ(systemfile::SavedLines(*host_, third), kDefaults);
  EXPECT_EQ(systemfile::SavedLines(*host_, fourth), secondLines);
  // Lines of the host before and after the block's are not touched.
  EXPECT_EQ(Read(secondLines, "HEADER\r\n", 0x1234), static_cast<long>(8 + secondLines.size()));
}

TEST_F(SystemFile, MalformedNumberIsReportedInGermanAndStopsTheRead) {
  uitest::TBoxWatcher boxes(GetCurrentThreadId());
  const std::string status = Status();
  Read(Lines({"0.25", "abc", "5", "6", "1", "2", "3", "4", "1", "x.bmp"}));
  Read(Lines({"0.5", "2", "-2", "3", "11", "12x", "3", "4", "1", "x.bmp"}));
  Settle();
  ASSERT_TRUE(uitest::WaitFor([&] { return boxes.Count() >= 2; }));
  const auto shown = boxes.Boxes();
  EXPECT_EQ(shown[0].Text, "'abc' ist kein g\xFCltiger Gleitkommawert");
  EXPECT_EQ(shown[1].Text, "'12x' ist kein g\xFCltiger Integerwert");
  // Fields before the bad line have their new values, the others their old ones; the status
  // bar is not rewritten.
  EXPECT_EQ(Saved(), Lines({"0.5", "2", "-2", "3", "11", "0", "100", "100", "0", "*.*"}));
  EXPECT_EQ(Status(), status);
}

TEST_F(SystemFile, FileEndingEarlyKeepsTheLinesReadSoFar) {
  uitest::TBoxWatcher boxes(GetCurrentThreadId());
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Read(""), 0);
  EXPECT_EQ(Saved(), kDefaults);
  const std::string cut = Lines({"-2", "2", "-3"}) + "0.7";  // the fourth line has no CR LF
  EXPECT_EQ(Read(cut), static_cast<long>(cut.size()));
  EXPECT_EQ(Saved(), Lines({"-2", "2", "-3", "1", "0", "0", "100", "100", "0", "*.*"}));
  EXPECT_EQ(Status(), "x: [     -2,       2]   y: [     -3,       1]   ");
  // A CR at the very end is no line end either.
  Read(Lines({"-4", "4", "-5", "5", "1", "2", "3", "4", "1"}) + "name\r");
  EXPECT_EQ(Saved(), Lines({"-4", "4", "-5", "5", "1", "2", "3", "4", "1", "*.*"}));
  Settle();
  EXPECT_EQ(boxes.Count(), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_F(SystemFile, LongLinesNeverOverrunTheLineBuffer) {
  uitest::TBoxWatcher boxes(GetCurrentThreadId());
  const std::string longName = "C:\\" + std::string(5000, 'k') + ".wmf";
  const std::string bytes = Lines({"1", "2", "3", "4", "5", "6", "7", "8", "1", longName}) + "NEXT\r\n";
  EXPECT_EQ(Read(bytes), static_cast<long>(bytes.size() - 6));
  const std::string saved = Saved();
  EXPECT_EQ(saved, Lines({"1", "2", "3", "4", "5", "6", "7", "8", "1", longName.substr(0, 997)}));
  // A number line that long is no number; a line without end at the end of the file is dropped.
  Read(Lines({std::string(3000, '7')}));
  Read(std::string(100000, 'x'));
  Settle();
  ASSERT_TRUE(uitest::WaitFor([&] { return boxes.Count() >= 1; }));
  // The box names the text as far as the line buffer held it (the reader sees 1023 characters).
  const std::string text = boxes.Boxes()[0].Text;
  EXPECT_EQ(text.substr(0, 999), "'" + std::string(997, '7') + "'");
  EXPECT_EQ(text.substr(999, 9), " ist kein");
  EXPECT_EQ(Saved(), saved);
}

}  // namespace
