// The plot window's toolbar commands: line colour through the colour dialog, line width
// through the up-down control, and repainting at a new size.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/BlockHost_win.h"
#include "support/PlotCheck_win.h"
#include "support/SystemFile_win.h"
#include "support/TestPictures.h"
#include "support/UiDriver_win.h"

namespace {

constexpr int kToolButton6 = 103;  // "Linienfarbe"

// A horizontal line through the middle of the plot, in the window's current pen.
void DrawMidLine(TestHost& host, HostBlock& block) {
  host.InitRun(block, -0.5L, 0, 0);
  host.Step(block, 0.5L, 0, 0);
  Settle();
}

// Rows of the colour in the column through the middle of the drawing area.
int ColumnRuns(const Image& area, uint32_t rgb) {
  int n = 0;
  for (int y = 0; y < area.Height; ++y) n += area.At(area.Width / 2, y) == rgb;
  return n;
}

HWND UpDownOf(HWND window) { return FindChild(window, UPDOWN_CLASSA); }

// Presses the upper or lower arrow of the up-down control, as the mouse does.
void ClickArrow(HWND upDown, bool up) {
  RECT r;
  GetClientRect(upDown, &r);
  LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
  SendMessageA(upDown, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(upDown, WM_LBUTTONUP, 0, at);
  Settle();
}

// Runs the colour dialog from the toolbar and closes it with button.
bool RunColourDialog(HWND window, int button) {
  bool seen = false;
  uitest::TDriver driver(GetCurrentThreadId(), [&] {
    HWND dialog = nullptr;
    uitest::WaitFor([&] {
      dialog = uitest::FindThreadWindow(GetWindowThreadProcessId(window, nullptr), [](HWND h) {
        return uitest::ClassOf(h) == "#32770";
      });
      return dialog != nullptr;
    });
    if (!dialog) return;
    seen = true;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  });
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(kToolButton6, BN_CLICKED), 0);
  driver.Join();
  Settle();
  return seen;
}

TEST(PlotWindowCommands, ColourDialogStartsAtTheLineColourAndCancelKeepsIt) {
  TestHost host;
  HostBlock& block = host.Place();
  HWND window = host.WindowOf(block);
  DrawMidLine(host, block);
  ASSERT_GT(CountColour(DrawingAreaPicture(window), kLineBlue), 50);

  ASSERT_TRUE(RunColourDialog(window, IDCANCEL));
  RepaintNow(window);
  EXPECT_GT(CountColour(DrawingAreaPicture(window), kLineBlue), 50);

  // OK without choosing: the dialog was preselected with blue, so blue stays.
  ASSERT_TRUE(RunColourDialog(window, IDOK));
  Image after = DrawingAreaPicture(window);
  EXPECT_GT(CountColour(after, kLineBlue), 50);
  EXPECT_EQ(CountColour(after, 0x000000), 0);
}

TEST(PlotWindowCommands, UpDownSetsTheLineWidthWithinOneToTen) {
  TestHost host;
  HostBlock& block = host.Place();
  HWND window = host.WindowOf(block);
  HWND upDown = UpDownOf(window);
  ASSERT_TRUE(upDown);
  DrawMidLine(host, block);
  EXPECT_EQ(ColumnRuns(DrawingAreaPicture(window), kLineBlue), 1);

  ClickArrow(upDown, false);  // already at 1: stays 1
  EXPECT_EQ(SendMessageA(upDown, UDM_GETPOS32, 0, 0), 1);
  for (int i = 0; i < 4; ++i) ClickArrow(upDown, true);
  EXPECT_EQ(SendMessageA(upDown, UDM_GETPOS32, 0, 0), 5);
  HWND field = reinterpret_cast<HWND>(SendMessageA(upDown, UDM_GETBUDDY, 0, 0));
  EXPECT_EQ(uitest::WindowText(field), "5");
  // The click repainted every curve with the new width.
  EXPECT_EQ(ColumnRuns(DrawingAreaPicture(window), kLineBlue), 5);

  for (int i = 0; i < 8; ++i) ClickArrow(upDown, true);
  EXPECT_EQ(SendMessageA(upDown, UDM_GETPOS32, 0, 0), 10);
  EXPECT_EQ(ColumnRuns(DrawingAreaPicture(window), kLineBlue), 10);
}

TEST(PlotWindowCommands, ResizingRepaintsThePictureAtTheNewSize) {
  TestHost host;
  HostBlock& block = host.Place();
  HWND window = host.WindowOf(block);
  DrawMidLine(host, block);
  SetWindowPos(window, nullptr, 0, 0, 600, 450, SWP_NOMOVE | SWP_NOZORDER);
  Settle(10);
  Image area = DrawingAreaPicture(window);
  ASSERT_GT(area.Width, 500);
  TPlotMap map = MapOf(area);
  EXPECT_TRUE(LineShown(area, map, -0.5, 0, 0.5, 0));
  // The grid reaches into the part of the area that the old size did not have.
  int greyBeyond = 0;
  for (int y = 0; y < area.Height; ++y)
    for (int x = 400; x < area.Width; ++x) greyBeyond += area.At(x, y) == kGridGrey;
  EXPECT_GT(greyBeyond, 100);
}

// The window keeps its picture between repaints. After each change that the picture depends
// on, the window shows what a fresh block shows that had the new state from the start.
TEST(PlotWindowPictures, AfterEachChangeTheWindowEqualsAFreshDrawing) {
  const std::string map = systemfile::TempPath("kept_map.bmp");
  const auto bmp = [&](int w, uint32_t colour) {
    const auto bytes = testpictures::Bmp24(w, 2, std::vector<uint32_t>(2 * w, colour));
    systemfile::WriteFileBytes(map, std::string(bytes.begin(), bytes.end()));
  };
  const auto settings = [&](const char* range, const char* axes, const std::string& file) {
    return systemfile::Lines({"-1", range, "-1", range, "10", "10", "80", "80", axes, file});
  };
  using TChange = std::function<void(TestHost&, HostBlock&)>;
  struct TCase {
    const char* name;
    TChange start;   // the kept block, before its run
    TChange change;  // the kept block, after its run
    TChange fresh;   // the fresh block, before its run
  };
  const TChange nothing = [](TestHost&, HostBlock&) {};
  const TChange grow = [](TestHost& host, HostBlock& block) {
    SetWindowPos(host.WindowOf(block), nullptr, 0, 0, 520, 380, SWP_NOMOVE | SWP_NOZORDER);
    Settle();
  };
  const auto read = [&](const std::string& lines) -> TChange {
    return [=](TestHost& host, HostBlock& block) {
      systemfile::ReadSettings(host, block, lines);
      RepaintNow(host.WindowOf(block));
    };
  };
  const TChange widen = [](TestHost& host, HostBlock& block) {
    for (int i = 0; i < 2; ++i) ClickArrow(UpDownOf(host.WindowOf(block)), true);
  };
  const auto picture = [&](int w, uint32_t colour) -> TChange {
    return [=](TestHost& host, HostBlock& block) {
      bmp(w, colour);
      read(settings("1", "0", map))(host, block);
    };
  };
  const TCase cases[] = {
      {"size", nothing, grow, grow},
      {"settings read, then a repaint", nothing, read(settings("2", "0", "*.*")),
       read(settings("2", "0", "*.*"))},
      {"axes switched on", read(settings("1", "0", "*.*")), read(settings("1", "1", "*.*")),
       read(settings("1", "1", "*.*"))},
      {"line width", nothing, widen, widen},
      {"picture file replaced", picture(2, 0xFFFF00), picture(3, 0x00FFFF), picture(3, 0x00FFFF)},
  };
  for (const TCase& c : cases) {
    Image pictures[2];
    for (int fresh = 0; fresh < 2; ++fresh) {
      TestHost host;
      HostBlock& block = host.Place();
      (fresh ? c.fresh : c.start)(host, block);
      host.InitRun(block, -0.9L, -0.5L, 0);
      for (int i = 1; i <= 40; ++i) host.Step(block, -0.9L + 0.045L * i, (i % 7) * 0.3L - 0.9L, 0);
      host.EndRun();
      RepaintNow(host.WindowOf(block));  // the kept picture now holds every segment
      if (!fresh) c.change(host, block);
      pictures[fresh] = DrawingAreaPixels(host.WindowOf(block));
    }
    ASSERT_EQ(pictures[0].Pixels.size(), pictures[1].Pixels.size()) << c.name;
    size_t differing = 0;
    for (size_t i = 0; i < pictures[0].Pixels.size(); ++i)
      differing += pictures[0].Pixels[i] != pictures[1].Pixels[i];
    EXPECT_EQ(differing, 0u) << c.name;
    EXPECT_GT(CountColour(pictures[0], kLineBlue), 100) << c.name;
  }
}

}  // namespace
