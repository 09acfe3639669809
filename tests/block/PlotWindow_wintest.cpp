// The plot window's toolbar commands: line colour through the colour dialog, line width
// through the up-down control, and repainting at a new size.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "block/TrazelDg_win.h"
#include "product/OVConfig_win.h"
#include "support/BlockHost_win.h"
#include "support/PlotCheck_win.h"
#include "support/SystemFile_win.h"
#include "support/TestPictures.h"
#include "support/UiDriver_win.h"

namespace {

constexpr int kToolButton1 = 101;  // "Einstellungen"
constexpr int kToolButton2 = 102;  // "Drucken"
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

// The product's grid mode, read when the library loads: set for the life of this object, which
// leaves the registry as it found it (0 is the product's default and leaves it alone).
class TGridModeSetting {
 public:
  explicit TGridModeSetting(int mode) : section_(std::string(kProductKey) + "\\" + kSettingsSection) {
    if (mode == 0) return;
    const std::string text = std::to_string(mode);
    HKEY key = nullptr;
    DWORD made = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, section_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, &made) != ERROR_SUCCESS)
      return;
    madeSection_ = made == REG_CREATED_NEW_KEY;
    set_ = RegSetValueExA(key, "Default Grid Mode", 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
  }
  ~TGridModeSetting() {
    HKEY key = nullptr;
    if (set_ && RegOpenKeyExA(HKEY_CURRENT_USER, section_.c_str(), 0, KEY_SET_VALUE, &key) ==
                    ERROR_SUCCESS) {
      RegDeleteValueA(key, "Default Grid Mode");
      RegCloseKey(key);
    }
    if (madeSection_) RegDeleteKeyA(HKEY_CURRENT_USER, section_.c_str());
  }
  TGridModeSetting(const TGridModeSetting&) = delete;
  TGridModeSetting& operator=(const TGridModeSetting&) = delete;

 private:
  std::string section_;
  bool set_ = false;
  bool madeSection_ = false;
};

// Columns of the drawing area that are grey for a third of their height: grid lines.
int GridColumns(const Image& area) {
  int columns = 0;
  for (int x = 0; x < area.Width; ++x) {
    int grey = 0;
    for (int y = 0; y < area.Height; ++y) grey += area.At(x, y) == kGridGrey;
    columns += grey > area.Height / 3;
  }
  return columns;
}

// Runs a toolbar command that opens a dialog of the window's thread; script works the dialog
// from a second thread once it is open. False when no dialog opened.
bool RunToolbarDialog(HWND window, int command, const char* caption,
                      const std::function<void(HWND)>& script) {
  bool seen = false;
  const DWORD thread = GetCurrentThreadId();
  uitest::TDriver driver(thread, [&] {
    HWND dialog = nullptr;
    uitest::WaitFor([&] {
      dialog = uitest::FindThreadWindow(thread, [&](HWND h) {
        return uitest::ClassOf(h) == "#32770" && (!caption || uitest::WindowText(h) == caption);
      });
      return dialog != nullptr;
    });
    if (!dialog) return;
    seen = true;
    script(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  });
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
  driver.Join();
  Settle();
  return seen;
}

// The window keeps its picture between repaints. After each change that the picture or the
// prepared step depends on, the window and the segments of the next steps show what a fresh
// block shows that had the new state from the start.
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
    TChange change;  // the kept block, after part of its run
    TChange fresh;   // the fresh block, before its run
    bool visible;    // the change alters the kept block's picture
    uint32_t ink = kLineBlue;
    int gridMode = 0;  // of the product, for both blocks
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
  // OK in the settings dialog with a new x range and the axes switched on.
  const TChange dialog = [](TestHost& host, HostBlock& block) {
    EXPECT_TRUE(RunToolbarDialog(host.WindowOf(block), kToolButton1, "Einstellungen", [](HWND d) {
      SetDlgItemTextA(d, kXMaxEdit, "1.5");
      SendDlgItemMessageA(d, kCheckBox1, BM_SETCHECK, BST_CHECKED, 0);
    }));
  };
  constexpr uint32_t kGreen = 0x008000;
  const TChange colour = [](TestHost& host, HostBlock& block) {
    EXPECT_TRUE(RunToolbarDialog(host.WindowOf(block), kToolButton6, nullptr, [](HWND d) {
      // The basic colours are six rows of eight; row 3, column 2 is dark green.
      const HWND basic = GetDlgItem(d, 0x2D0);
      RECT r;
      GetClientRect(basic, &r);
      POINT at{2 * (r.right / 8) + 2, 3 * (r.bottom / 6) + 2};
      MapWindowPoints(basic, d, &at, 1);
      SendMessageA(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
      SendMessageA(d, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }));
  };
  // Printed on the default printer of the test print server: every failure of the print job
  // would open the library's error box. (Where the server writes the file is shared with other
  // runs on the machine, so the file itself is the printing tests' concern.)
  const TChange print = [](TestHost& host, HostBlock& block) {
    uitest::TBoxWatcher boxes(GetCurrentThreadId());
    SendMessageA(host.WindowOf(block), WM_COMMAND, MAKEWPARAM(kToolButton2, BN_CLICKED), 0);
    Settle(20);
    EXPECT_EQ(boxes.Count(), 0u) << "the print job failed";
  };
  const TCase cases[] = {
      {"size", nothing, grow, grow, true},
      {"settings read, then a repaint", nothing, read(settings("2", "0", "*.*")),
       read(settings("2", "0", "*.*")), true},
      {"settings dialog", nothing, dialog, dialog, true},
      {"axes switched on", read(settings("1", "0", "*.*")), read(settings("1", "1", "*.*")),
       read(settings("1", "1", "*.*")), true},
      {"grid mode", nothing, read(settings("2", "0", "*.*")), read(settings("2", "0", "*.*")), true,
       kLineBlue, 2},
      {"line width", nothing, widen, widen, true},
      {"line colour", nothing, colour, colour, true, kGreen},
      {"picture file replaced", picture(2, 0xFFFF00), picture(3, 0x00FFFF), picture(3, 0x00FFFF),
       true},
      {"printing", nothing, print, nothing, false},
  };
  // Pixels that differ; every pixel when the sizes differ.
  const auto differing = [](const Image& a, const Image& b) {
    if (a.Pixels.size() != b.Pixels.size()) return std::max(a.Pixels.size(), b.Pixels.size());
    size_t n = 0;
    for (size_t i = 0; i < a.Pixels.size(); ++i) n += a.Pixels[i] != b.Pixels[i];
    return n;
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TGridModeSetting gridMode(c.gridMode);
    Image before, stepped, pictures[2];
    for (int fresh = 0; fresh < 2; ++fresh) {
      TestHost host;
      HostBlock& block = host.Place();
      const HWND window = host.WindowOf(block);
      (fresh ? c.fresh : c.start)(host, block);
      const auto steps = [&](int from, int to) {
        for (int i = from; i <= to; ++i) host.Step(block, -0.9L + 0.03L * i, (i % 7) * 0.3L - 0.9L, 0);
        host.EndRun();
      };
      host.InitRun(block, -0.9L, -0.5L, 0);
      steps(1, 40);
      if (!fresh) {
        RepaintNow(window);  // the kept picture now holds every segment
        before = DrawingAreaPixels(window);
        c.change(host, block);
        if (c.visible) {
          EXPECT_NE(differing(before, DrawingAreaPixels(window)), 0u) << "the change shows";
        }
      }
      steps(41, 60);
      if (!fresh) stepped = DrawingAreaPixels(window);
      RepaintNow(window);
      pictures[fresh] = DrawingAreaPixels(window);
    }
    EXPECT_EQ(differing(stepped, pictures[1]), 0u) << "the next steps";
    EXPECT_EQ(differing(pictures[0], pictures[1]), 0u) << "the repaint after them";
    EXPECT_GT(CountColour(pictures[0], c.ink), 100);
    if (c.gridMode) {
      EXPECT_EQ(GridColumns(pictures[0]), 0) << "still the grid of lines";
    }
  }
}

}  // namespace
