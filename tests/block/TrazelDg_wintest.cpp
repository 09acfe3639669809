// The settings dialog: its layout, the transfers between the settings and the controls, and a
// user working it with keys and clicks while it runs modally.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "block/TrazelDg_win.h"
#include "block/TrazelFm_win.h"
#include "support/DibSurface_win.h"
#include "support/UiDriver_win.h"

using uitest::FocusOf;
using uitest::WaitFor;
using uitest::WindowText;

namespace {

RECT ClientRectIn(HWND parent, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND FindSettingsDialog(DWORD thread) {
  HWND dialog = nullptr;
  WaitFor([&] {
    dialog = uitest::FindThreadWindow(thread, [](HWND w) {
      return uitest::ClassOf(w) == "#32770" && WindowText(w) == "Einstellungen";
    });
    return dialog != nullptr;
  });
  return dialog;
}

// What a user does in the running dialog, from the driver's thread.
class TUser {
 public:
  TUser(DWORD thread, HWND dialog) : thread_(thread), dialog_(dialog) {}

  HWND Dialog() const { return dialog_; }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  HWND Focus() const { return FocusOf(thread_); }
  bool Open() const { return IsWindow(dialog_) && IsWindowVisible(dialog_); }

  // Waits until the control has the focus.
  bool FocusIs(int id) const {
    return WaitFor([&] { return Focus() == Item(id); }, 2000);
  }
  // Moves the focus to the control as the Tab key would; an edit field's text is selected.
  void GoTo(int id) {
    PostMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
    EXPECT_TRUE(FocusIs(id)) << id;
  }
  // Replaces the text of an edit field by typing.
  void Type(int id, const std::string& text) {
    GoTo(id);
    uitest::TypeText(Item(id), text);
    EXPECT_TRUE(WaitFor([&] { return WindowText(Item(id)) == text; }, 2000))
        << id << ": " << WindowText(Item(id)) << " instead of " << text;
  }
  void Key(UINT virtualKey) { uitest::PressKey(Focus(), virtualKey); }
  // Tab to the next control; waits until the focus has moved.
  void Tab() {
    const HWND before = Focus();
    Key(VK_TAB);
    WaitFor([&] { return Focus() != before; }, 2000);
  }
  // The next message box of the dialog's thread, read and closed.
  uitest::TBoxInfo TakeBox(const std::function<void()>& whileOpen = {}) {
    HWND box = nullptr;
    WaitFor([&] { return (box = uitest::FindThreadWindow(thread_, uitest::IsMessageBox)) != nullptr; });
    if (!box) return {};
    uitest::TBoxInfo info = uitest::ReadBox(box);
    if (whileOpen) whileOpen();
    uitest::CloseBox(box);
    WaitFor([&] { return !IsWindow(box); });
    return info;
  }
  // Waits until the dialog is active again after a box, as a user clicking on it would.
  void BackToDialog() {
    if (WaitFor([&] { return ActiveWindow() == dialog_; }, 300)) return;
    PostMessageA(dialog_, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    SendMessageA(dialog_, WM_NULL, 0, 0);
  }
  HWND ActiveWindow() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread_, &info) ? info.hwndActive : nullptr;
  }
  // Ends the dialog with the Enter key (OK) or Esc (Cancel) and waits until it is gone.
  void Finish(UINT virtualKey) {
    Key(virtualKey);
    EXPECT_TRUE(WaitFor([&] { return !Open(); }, 2000));
  }

 private:
  DWORD thread_;
  HWND dialog_;
};

// Runs the dialog modally over owner while script works it from a second thread.
bool RunDialog(TPlotSettings& settings, const std::function<void(TUser&)>& script,
               HWND owner = nullptr) {
  const DWORD thread = GetCurrentThreadId();
  uitest::TDriver driver(thread, [&] {
    const HWND dialog = FindSettingsDialog(thread);
    if (!dialog) {
      ADD_FAILURE() << "the dialog did not open";
      return;
    }
    TUser user(thread, dialog);
    if (!user.FocusIs(kBitBtn1)) ADD_FAILURE() << "the OK button does not have the focus";
    script(user);
  });
  const bool ok = RunSettingsDialog(owner, settings);
  driver.Join();
  return ok;
}

TPlotSettings ChangedSettings() {
  TPlotSettings s;
  s.XMin = -2.5L;
  s.XMax = 12345.0L;
  s.YMin = 0.125L;
  s.YMax = 7;
  s.OriginX = 10;
  s.OriginY = 20;
  s.SizeX = 30;
  s.SizeY = 40;
  s.ShowAxes = true;
  s.BackgroundFile = "C:\\bilder\\kennfeld.wmf";
  return s;
}

void ExpectSame(const TPlotSettings& a, const TPlotSettings& b) {
  EXPECT_EQ(a.XMin, b.XMin);
  EXPECT_EQ(a.XMax, b.XMax);
  EXPECT_EQ(a.YMin, b.YMin);
  EXPECT_EQ(a.YMax, b.YMax);
  EXPECT_EQ(a.OriginX, b.OriginX);
  EXPECT_EQ(a.OriginY, b.OriginY);
  EXPECT_EQ(a.SizeX, b.SizeX);
  EXPECT_EQ(a.SizeY, b.SizeY);
  EXPECT_EQ(a.ShowAxes, b.ShowAxes);
  EXPECT_EQ(a.BackgroundFile, b.BackgroundFile);
}

// A small existing bitmap file to pick as background.
std::string TempBitmapFile() {
  char folder[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "trazel_kennfeld.bmp";
  // 1 x 1 pixel, 24 bits, white.
  const unsigned char bmp[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0,
                               0,   0,   1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0,
                               0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0};
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bmp, 1, sizeof bmp, f);
    std::fclose(f);
  }
  return path;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Layout

TEST(TrazelDgLayout, TheDialogIsAFixedTopmostWindowCentredOnTheScreen) {
  HWND owner = uitest::CreateTestWindow("Plot window");
  TForm2 form(owner);
  const HWND dialog = form.Handle();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), "Einstellungen");
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
  EXPECT_FALSE(IsWindowVisible(dialog));
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, kForm2ClientWidth);
  EXPECT_EQ(client.bottom, kForm2ClientHeight);
  const LONG style = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & DS_MODALFRAME);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT frame;
  GetWindowRect(dialog, &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
  DestroyWindow(owner);
}

TEST(TrazelDgLayout, EveryControlHasItsPlaceSizeAndText) {
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  ReleaseDC(nullptr, screen);
  TForm2 form(nullptr);
  // Places within the dialog's client area: a group box's place plus the control's place in it.
  const struct {
    int Id;
    const char* Class;
    const char* Text;
    int Left, Top, Width, Height;  // width 0: a label as wide as its text
  } controls[] = {
      {kBitBtn1, "Button", "OK", 286, 20, 75, 23},
      {kBitBtn2, "Button", "Abbrechen", 286, 56, 75, 23},
      {kGroupBox1, "Button", "Abszissenbereich", 12, 12, 257, 49},
      {kLabel1 + 0, "Static", "&xMin:", 12 + 12, 12 + 24, 0, 0},
      {kXMinEdit, "Edit", "0.00", 12 + 48, 12 + 20, 73, 21},
      {kLabel1 + 1, "Static", "x&Max:", 12 + 136, 12 + 24, 0, 0},
      {kXMaxEdit, "Edit", "0.00", 12 + 172, 12 + 20, 73, 21},
      {kGroupBox2, "Button", "Ordinatenbereich", 12, 68, 257, 49},
      {kLabel1 + 2, "Static", "&yMin:", 12 + 12, 68 + 24, 0, 0},
      {kLabel1 + 3, "Static", "yM&ax:", 12 + 136, 68 + 24, 0, 0},
      {kYMinEdit, "Edit", "0.00", 12 + 48, 68 + 20, 73, 21},
      {kYMaxEdit, "Edit", "0.00", 12 + 172, 68 + 20, 73, 21},
      {kGroupBox3, "Button", "Hintergrundgrafik", 12, 256, 257, 45},
      {kLabel1 + 4, "Static", "&Datei:", 12 + 12, 256 + 20, 0, 0},
      {kFilenameEdit, "Edit", "", 12 + 56, 256 + 16, 165, 21},
      {kButton1, "Button", "...", 12 + 220, 256 + 16, 29, 21},
      {kGroupBox4, "Button", "Relative Lage des Koordinatensystems", 12, 128, 257, 117},
      {kLabel1 + 5, "Static", "Alle Angaben bezogen auf Fensterbreite bzw. -h\xF6he!", 12 + 4,
       128 + 96, 0, 0},
      {kLabel1 + 6, "Static", "Linke untere Ecke:", 12 + 8, 128 + 24, 0, 0},
      {kX0Edit, "Edit", "0", 12 + 120, 128 + 20, 25, 21},
      {kUpDown1, "msctls_updown32", "", 12 + 145, 128 + 20, 15, 21},
      {kLabel1 + 7, "Static", "x:", 12 + 108, 128 + 24, 0, 0},
      {kIntegerEdit1, "Edit", "0", 12 + 196, 128 + 20, 25, 21},
      {kUpDown2, "msctls_updown32", "", 12 + 221, 128 + 20, 15, 21},
      {kLabel1 + 8, "Static", "y:", 12 + 184, 128 + 24, 0, 0},
      {kLabel1 + 9, "Static", "Gr\xF6\xDF" "e:", 12 + 8, 128 + 48, 0, 0},
      {kLabel1 + 10, "Static", "x:", 12 + 108, 128 + 48, 0, 0},
      {kIntegerEdit2, "Edit", "0", 12 + 120, 128 + 44, 25, 21},
      {kUpDown3, "msctls_updown32", "", 12 + 145, 128 + 44, 15, 21},
      {kLabel1 + 11, "Static", "y:", 12 + 184, 128 + 48, 0, 0},
      {kIntegerEdit3, "Edit", "0", 12 + 196, 128 + 44, 25, 21},
      {kUpDown4, "msctls_updown32", "", 12 + 221, 128 + 44, 15, 21},
      {kLabel1 + 12, "Static", "%", 12 + 164, 128 + 24, 0, 0},
      {kLabel1 + 13, "Static", "%", 12 + 164, 128 + 48, 0, 0},
      {kLabel1 + 14, "Static", "%", 12 + 240, 128 + 24, 0, 0},
      {kLabel1 + 15, "Static", "%", 12 + 240, 128 + 48, 0, 0},
      {kCheckBox1, "Button", "Koordinatensystem einzeichnen", 12 + 12, 128 + 76, 169, 17},
  };
  for (const auto& c : controls) {
    const HWND control = form.Control(c.Id);
    ASSERT_NE(control, nullptr) << c.Id;
    EXPECT_EQ(uitest::ClassOf(control), c.Class) << c.Id;
    EXPECT_EQ(WindowText(control), c.Text) << c.Id;
    const RECT r = ClientRectIn(form.Handle(), control);
    EXPECT_EQ(r.left, c.Left) << c.Text;
    EXPECT_EQ(r.top, c.Top) << c.Text;
    if (c.Width) {
      EXPECT_EQ(r.right - r.left, c.Width) << c.Text;
      EXPECT_EQ(r.bottom - r.top, c.Height) << c.Text;
    } else {
      EXPECT_GT(r.bottom - r.top, 8) << c.Text;  // one line of the dialog's font
      EXPECT_GT(r.right - r.left, 0) << c.Text;
    }
    if (uitest::ClassOf(control) == "msctls_updown32") continue;  // shows no text
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif") << c.Text;
    EXPECT_EQ(font.lfHeight, -11) << c.Text;  // 8 point at 96 dpi
  }
}

TEST(TrazelDgLayout, TabOrderAndUpDownControls) {
  TForm2 form(nullptr);
  const int tabOrder[] = {kBitBtn1,      kBitBtn2,      kXMinEdit,     kXMaxEdit,
                          kYMinEdit,     kYMaxEdit,     kFilenameEdit, kButton1,
                          kX0Edit,       kIntegerEdit1, kIntegerEdit2, kIntegerEdit3,
                          kCheckBox1,    kBitBtn1};
  HWND at = form.Control(kBitBtn1);
  for (size_t i = 1; i < sizeof tabOrder / sizeof tabOrder[0]; ++i) {
    at = GetNextDlgTabItem(form.Handle(), at, FALSE);
    EXPECT_EQ(GetDlgCtrlID(at), tabOrder[i]) << i;
  }
  // Creation order of the windows that are no labels: the up-down controls follow their fields.
  const int order[] = {kBitBtn1,   kBitBtn2,      kGroupBox1, kXMinEdit,     kXMaxEdit,
                       kGroupBox2, kYMinEdit,     kYMaxEdit,  kGroupBox3,    kFilenameEdit,
                       kButton1,   kGroupBox4,    kX0Edit,    kUpDown1,      kIntegerEdit1,
                       kUpDown2,   kIntegerEdit2, kUpDown3,   kIntegerEdit3, kUpDown4,
                       kCheckBox1};
  std::vector<int> seen;
  for (HWND w = GetWindow(form.Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (uitest::ClassOf(w) != "Static") seen.push_back(GetDlgCtrlID(w));
  EXPECT_EQ(seen, std::vector<int>(std::begin(order), std::end(order)));
  // A label with a key letter comes right before the field it names.
  for (int label = 0; label < 4; ++label)
    EXPECT_EQ(GetWindow(form.Control(kLabel1 + label), GW_HWNDNEXT),
              form.Control(label == 3 ? kYMaxEdit : label == 2 ? kYMinEdit : kXMinEdit + label));
  for (int i = 0; i < 4; ++i) {
    const HWND upDown = form.Control(kUpDown1 + i);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(upDown, UDM_GETBUDDY, 0, 0)),
              form.Control(kX0Edit + i));
    int low = -1, high = -1;
    SendMessageA(upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 100);
    EXPECT_FALSE(GetWindowLongA(upDown, GWL_STYLE) & UDS_WRAP);
    EXPECT_FALSE(GetWindowLongA(upDown, GWL_STYLE) & WS_TABSTOP);
  }
}

// ---------------------------------------------------------------------------------------------
// Transfers

TEST(TrazelDgTransfer, LoadingShowsTheSettings) {
  TForm2 form(nullptr);
  form.Load(TPlotSettings{});
  const struct {
    int Id;
    const char* Text;
  } defaults[] = {{kXMinEdit, "-1"},   {kXMaxEdit, "1"},       {kYMinEdit, "-1"},
                  {kYMaxEdit, "1"},    {kX0Edit, "0"},         {kIntegerEdit1, "0"},
                  {kIntegerEdit2, "100"}, {kIntegerEdit3, "100"}, {kFilenameEdit, "*.*"}};
  for (const auto& d : defaults) EXPECT_EQ(WindowText(form.Control(d.Id)), d.Text) << d.Id;
  EXPECT_EQ(IsDlgButtonChecked(form.Handle(), kCheckBox1), UINT{BST_UNCHECKED});

  form.Load(ChangedSettings());
  const struct {
    int Id;
    const char* Text;
  } changed[] = {{kXMinEdit, "-2.5"}, {kXMaxEdit, "12345"},      {kYMinEdit, "0.125"},
                 {kYMaxEdit, "7"},    {kX0Edit, "10"},           {kIntegerEdit1, "20"},
                 {kIntegerEdit2, "30"}, {kIntegerEdit3, "40"},
                 {kFilenameEdit, "C:\\bilder\\kennfeld.wmf"}};
  for (const auto& c : changed) EXPECT_EQ(WindowText(form.Control(c.Id)), c.Text) << c.Id;
  EXPECT_EQ(IsDlgButtonChecked(form.Handle(), kCheckBox1), UINT{BST_CHECKED});
}

TEST(TrazelDgTransfer, StoringGivesBackWhatWasLoaded) {
  TForm2 form(nullptr);
  const TPlotSettings loaded = ChangedSettings();
  form.Load(loaded);
  TPlotSettings stored;
  form.Store(stored);
  ExpectSame(stored, loaded);
}

// The percentages travel through 16-bit positions: the low 16 bits go out, and the position
// comes back extended with its sign.
TEST(TrazelDgTransfer, PercentagesTravelAsSixteenBitPositions) {
  TForm2 form(nullptr);
  TPlotSettings s;
  s.OriginX = 0x10000 + 50;
  s.OriginY = 0x7FFF0000 + 25;
  s.SizeX = -0x10000 + 99;
  form.Load(s);
  EXPECT_EQ(WindowText(form.Control(kX0Edit)), "50");
  EXPECT_EQ(WindowText(form.Control(kIntegerEdit1)), "25");
  EXPECT_EQ(WindowText(form.Control(kIntegerEdit2)), "99");
  TPlotSettings back;
  form.Store(back);
  EXPECT_EQ(back.OriginX, 50);
  EXPECT_EQ(back.OriginY, 25);
  EXPECT_EQ(back.SizeX, 99);
  EXPECT_EQ(back.SizeY, 100);
  // Positions the control holds are read back as signed 16-bit numbers.
  SendMessageA(form.Control(kUpDown4), UDM_SETRANGE32, static_cast<WPARAM>(-200), 200);
  SendMessageA(form.Control(kUpDown4), UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(-7), 0));
  form.Store(back);
  EXPECT_EQ(back.SizeY, -7);
}

// ---------------------------------------------------------------------------------------------
// Running the dialog

TEST(TrazelDgRun, CancelAfterChangingEveryFieldLeavesTheSettings) {
  TPlotSettings settings = ChangedSettings();
  const bool ok = RunDialog(settings, [](TUser& user) {
    user.Type(kXMinEdit, "-9");
    user.Type(kXMaxEdit, "9");
    user.Type(kYMinEdit, "-8");
    user.Type(kYMaxEdit, "8");
    user.Type(kFilenameEdit, "anders.bmp");
    user.Type(kX0Edit, "1");
    user.Type(kIntegerEdit1, "2");
    user.Type(kIntegerEdit2, "3");
    user.Type(kIntegerEdit3, "4");
    user.GoTo(kCheckBox1);
    user.Key(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(user.Item(kCheckBox1), BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    user.Finish(VK_ESCAPE);
  });
  EXPECT_FALSE(ok);
  ExpectSame(settings, ChangedSettings());
}

TEST(TrazelDgRun, OkTakesEveryFieldIntoTheSettings) {
  TPlotSettings settings;
  const bool ok = RunDialog(settings, [](TUser& user) {
    user.Type(kXMinEdit, "-2.5");
    user.Tab();
    EXPECT_EQ(user.Focus(), user.Item(kXMaxEdit));
    user.Type(kXMaxEdit, "1e40");  // beyond the 32-bit float range, an 80-bit value
    user.Type(kYMinEdit, ".125");
    user.Type(kYMaxEdit, "1E4000");
    user.Type(kFilenameEdit, "C:\\kennfeld.bmp");
    // The arrow keys move the up-down control of a field; a click on the lower half of an
    // up-down control counts down.
    user.GoTo(kX0Edit);
    for (int i = 0; i < 3; ++i) user.Key(VK_UP);
    EXPECT_TRUE(WaitFor([&] { return WindowText(user.Item(kX0Edit)) == "3"; }));
    user.Type(kIntegerEdit1, "25");
    const HWND upDown3 = user.Item(kUpDown3);
    PostMessageA(upDown3, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 17));
    PostMessageA(upDown3, WM_LBUTTONUP, 0, MAKELPARAM(7, 17));
    EXPECT_TRUE(WaitFor([&] { return WindowText(user.Item(kIntegerEdit2)) == "99"; }));
    user.Type(kIntegerEdit3, "50");
    user.GoTo(kCheckBox1);
    user.Key(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(user.Item(kCheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    user.Finish(VK_RETURN);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(settings.XMin, -2.5L);
  EXPECT_EQ(settings.XMax, 1e40L);
  EXPECT_EQ(settings.YMin, 0.125L);
  EXPECT_EQ(settings.YMax, 1e4000L);
  EXPECT_EQ(settings.OriginX, 3);
  EXPECT_EQ(settings.OriginY, 25);
  EXPECT_EQ(settings.SizeX, 99);
  EXPECT_EQ(settings.SizeY, 50);
  EXPECT_TRUE(settings.ShowAxes);
  EXPECT_EQ(settings.BackgroundFile, "C:\\kennfeld.bmp");
}

TEST(TrazelDgRun, TheButtonsAndTheCloseBoxEndTheDialog) {
  const struct {
    std::function<void(TUser&)> End;
    bool Ok;
  } cases[] = {
      {[](TUser& u) { PostMessageA(u.Item(kBitBtn1), BM_CLICK, 0, 0); }, true},
      {[](TUser& u) { PostMessageA(u.Item(kBitBtn2), BM_CLICK, 0, 0); }, false},
      {[](TUser& u) { PostMessageA(u.Dialog(), WM_CLOSE, 0, 0); }, false},
      {[](TUser& u) { u.GoTo(kBitBtn2); u.Finish(VK_RETURN); }, false},  // Enter on Abbrechen
      {[](TUser& u) { u.GoTo(kYMinEdit); u.Finish(VK_RETURN); }, true},
  };
  for (const auto& c : cases) {
    TPlotSettings settings = ChangedSettings();
    settings.XMax = 0.1234567890123L;  // more digits than the field shows
    const bool ok = RunDialog(settings, [&](TUser& user) {
      user.Type(kYMaxEdit, "4");
      c.End(user);
      EXPECT_TRUE(WaitFor([&] { return !user.Open(); }, 2000));
    });
    EXPECT_EQ(ok, c.Ok);
    EXPECT_EQ(settings.YMax, c.Ok ? 4 : 7);
    // OK takes the value the field shows: ten significant digits.
    EXPECT_EQ(settings.XMax, c.Ok ? 0.123456789L : 0.1234567890123L);
  }
}

TEST(TrazelDgRun, KeyLettersOfTheLabelsMoveTheFocus) {
  TPlotSettings settings;
  RunDialog(settings, [](TUser& user) {
    const struct {
      char Letter;
      int Target;
    } keys[] = {{'x', kXMinEdit}, {'m', kXMaxEdit}, {'Y', kYMinEdit}, {'a', kYMaxEdit}};
    for (const auto& k : keys) {
      uitest::PressAlt(user.Focus(), k.Letter);
      EXPECT_TRUE(user.FocusIs(k.Target)) << k.Letter;
    }
    // "&Datei:" names no control: the focus stays where it is.
    uitest::PressAlt(user.Focus(), 'd');
    Sleep(100);
    EXPECT_EQ(user.Focus(), user.Item(kYMaxEdit));
    user.Finish(VK_ESCAPE);
  });
}

TEST(TrazelDgRun, ABadEntryIsReportedAndTheFieldsOldValueComesBack) {
  TPlotSettings settings = ChangedSettings();
  const bool ok = RunDialog(settings, [](TUser& user) {
    user.Type(kXMinEdit, "1-2");
    std::string shownMeanwhile;
    user.Tab();
    const uitest::TBoxInfo box = user.TakeBox([&] { shownMeanwhile = WindowText(user.Item(kXMinEdit)); });
    EXPECT_EQ(box.Text, "Falsches Zahlenformat");
    EXPECT_EQ(box.Caption, "Fehler");
    EXPECT_EQ(box.Owner, user.Dialog());
    EXPECT_TRUE(box.WarningIcon);
    EXPECT_EQ(shownMeanwhile, "-2.5");
    user.BackToDialog();
    EXPECT_TRUE(user.FocusIs(kXMinEdit));

    // A percentage above 100: the field shows again what its up-down control had set.
    user.Type(kX0Edit, "101");
    user.Tab();
    EXPECT_EQ(user.TakeBox().Text, "Zahlenwert zu gro\xDF");
    EXPECT_EQ(WindowText(user.Item(kX0Edit)), "10");
    user.BackToDialog();
    EXPECT_TRUE(user.FocusIs(kX0Edit));
    // After a click on the up-down control the field restores what the control shows.
    user.Key(VK_DOWN);
    EXPECT_TRUE(WaitFor([&] { return WindowText(user.Item(kX0Edit)) == "9"; }));
    user.Type(kX0Edit, "-5");
    user.Tab();
    EXPECT_EQ(user.TakeBox().Text, "Zahlenwert zu klein");
    EXPECT_EQ(WindowText(user.Item(kX0Edit)), "9");
    user.BackToDialog();
    user.Type(kX0Edit, "0");  // 0 is allowed
    user.Tab();
    EXPECT_TRUE(user.FocusIs(kIntegerEdit1));

    // Enter while a bad text is still in a field: the field's last good value counts.
    user.Type(kXMaxEdit, "1-2");
    user.Finish(VK_RETURN);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(settings.XMin, -2.5L);
  EXPECT_EQ(settings.XMax, 12345.0L);
  EXPECT_EQ(settings.OriginX, 0);
}

TEST(TrazelDgRun, TheOwnerIsDisabledWhileTheDialogRuns) {
  HWND owner = uitest::CreateTestWindow("Plot window", WS_EX_TOPMOST);
  HWND other = uitest::CreateTestWindow("Host");
  SetActiveWindow(owner);
  TPlotSettings settings;
  RunDialog(
      settings,
      [&](TUser& user) {
        EXPECT_EQ(GetWindow(user.Dialog(), GW_OWNER), owner);
        EXPECT_FALSE(IsWindowEnabled(owner));
        EXPECT_FALSE(IsWindowEnabled(other));
        EXPECT_EQ(user.ActiveWindow(), user.Dialog());
        user.Finish(VK_ESCAPE);
      },
      owner);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_TRUE(IsWindowEnabled(other));
  EXPECT_EQ(GetActiveWindow(), owner);
  DestroyWindow(other);
  DestroyWindow(owner);
}

TEST(TrazelDgRun, ADialogThatCannotBeMadeEndsAsCancelled) {
  HWND gone = uitest::CreateTestWindow("Plot window");
  DestroyWindow(gone);
  TPlotSettings settings = ChangedSettings();
  EXPECT_FALSE(RunSettingsDialog(gone, settings));
  ExpectSame(settings, ChangedSettings());
}

// ---------------------------------------------------------------------------------------------
// The background file

namespace {

// The platform's file open dialog that the "..." button opens.
HWND WaitForFileDialog(DWORD thread, HWND settingsDialog) {
  HWND dialog = nullptr;
  WaitFor([&] {
    dialog = uitest::FindThreadWindow(thread, [&](HWND w) {
      return w != settingsDialog && uitest::ClassOf(w) == "#32770" && !uitest::IsMessageBox(w);
    });
    return dialog != nullptr;
  }, 10000);
  return dialog;
}

constexpr int kFileNameBox = 0x47C;  // cmb13 of the file dialog
constexpr int kFileTypeBox = 0x470;  // cmb1

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

}  // namespace

TEST(TrazelDgFile, TheButtonPicksAFileWithTheFileOpenDialog) {
  const DWORD thread = GetCurrentThreadId();
  const std::string bitmap = TempBitmapFile();
  TPlotSettings settings;
  const bool ok = RunDialog(settings, [&](TUser& user) {
    // Cancelled: the field keeps its text.
    PostMessageA(user.Item(kButton1), BM_CLICK, 0, 0);
    HWND files = WaitForFileDialog(thread, user.Dialog());
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(GetWindow(files, GW_OWNER), user.Dialog());
    const HWND types = GetDlgItem(files, kFileTypeBox);
    EXPECT_EQ(ComboItems(types), (std::vector<std::string>{"Windows Meta File (*.wmf)",
                                                           "Windows Bitmap (*.bmp)"}));
    EXPECT_EQ(SendMessageA(types, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(WindowText(GetDlgItem(files, kFileNameBox)), "*.wmf");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(files, 0x410)));  // no read-only check box
    PostMessageA(files, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(files); }));
    EXPECT_EQ(WindowText(user.Item(kFilenameEdit)), "*.*");

    // Confirmed: the field gets the file's full path.
    PostMessageA(user.Item(kButton1), BM_CLICK, 0, 0);
    files = WaitForFileDialog(thread, user.Dialog());
    ASSERT_NE(files, nullptr);
    SetWindowTextA(GetDlgItem(files, kFileNameBox), bitmap.c_str());
    PostMessageA(files, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(files); }));
    EXPECT_EQ(WindowText(user.Item(kFilenameEdit)), bitmap);
    user.BackToDialog();
    user.Finish(VK_RETURN);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(settings.BackgroundFile, bitmap);
  DeleteFileA(bitmap.c_str());
}

TEST(TrazelDgFile, AnEmptiedFieldIsTakenAsItStands) {
  TPlotSettings settings = ChangedSettings();
  const bool ok = RunDialog(settings, [](TUser& user) {
    user.GoTo(kFilenameEdit);
    user.Key(VK_DELETE);
    EXPECT_TRUE(WaitFor([&] { return WindowText(user.Item(kFilenameEdit)).empty(); }));
    user.Finish(VK_RETURN);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(settings.BackgroundFile, "");
}

// ---------------------------------------------------------------------------------------------
// The dialog run from the plot window's settings button

namespace {

// Pixels of the plot window's drawing area that are not white, as the screen shows them.
int InkInDrawingArea(const TForm1& plot) {
  uitest::PumpPending();
  const HWND area = plot.DrawingArea();
  RECT r;
  GetClientRect(area, &r);
  TDibSurface copy(r.right, r.bottom);
  HDC dc = GetDC(area);
  BitBlt(copy.dc(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(area, dc);
  return copy.CountInk();
}

// Paints something into the drawing area that only a repaint removes again.
void Scribble(const TForm1& plot) {
  const HWND area = plot.DrawingArea();
  HDC dc = GetDC(area);
  RECT blot = {0, 0, 4000, 4000};
  FillRect(dc, &blot, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(area, dc);
}

class PlotWindowSettingsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterPlotWindowClasses(); }
  static void TearDownTestSuite() { UnregisterPlotWindowClasses(); }

  void SetUp() override {
    plot_ = std::make_unique<TForm1>();
    ShowWindow(plot_->Handle(), SW_SHOW);
    uitest::PumpPending();
  }
  void TearDown() override { plot_.reset(); }

  // The settings button's handler, with script working the dialog it opens.
  void RunSettings(const std::function<void(TUser&)>& script) {
    const DWORD thread = GetCurrentThreadId();
    uitest::TDriver driver(thread, [&] {
      const HWND dialog = FindSettingsDialog(thread);
      if (!dialog) {
        ADD_FAILURE() << "the settings button opened no dialog";
        return;
      }
      EXPECT_EQ(GetWindow(dialog, GW_OWNER), plot_->Handle());
      TUser user(thread, dialog);
      script(user);
    });
    plot_->Einstellungen1Click();
    driver.Join();
    uitest::PumpPending();
  }

  std::unique_ptr<TForm1> plot_;
};

}  // namespace

TEST_F(PlotWindowSettingsTest, OkTakesTheValuesAndCancelLeavesThemButBothRepaint) {
  RunSettings([](TUser& user) {
    user.Type(kXMaxEdit, "5");
    user.Finish(VK_RETURN);
  });
  EXPECT_EQ(plot_->Settings.XMax, 5.0L);
  EXPECT_NE(plot_->StatusText().find("      5]"), std::string::npos) << plot_->StatusText();

  Scribble(*plot_);
  RunSettings([](TUser& user) {
    user.Type(kXMaxEdit, "7");
    user.Type(kX0Edit, "50");
    user.Finish(VK_ESCAPE);
  });
  EXPECT_EQ(plot_->Settings.XMax, 5.0L);
  EXPECT_EQ(plot_->Settings.OriginX, 0);
  // The black blot is gone: the picture was drawn anew.
  const HWND area = plot_->DrawingArea();
  HDC dc = GetDC(area);
  EXPECT_NE(GetPixel(dc, 2, 2), RGB(0, 0, 0));
  ReleaseDC(area, dc);
}

TEST_F(PlotWindowSettingsTest, ABackgroundPictureReplacesTheGridUntilTheFieldIsEmptied) {
  const std::string white = TempBitmapFile();  // a white picture: no ink at all
  ASSERT_GT(InkInDrawingArea(*plot_), 0);      // the grid
  const DWORD thread = GetCurrentThreadId();
  RunSettings([&](TUser& user) {
    PostMessageA(user.Item(kButton1), BM_CLICK, 0, 0);
    HWND files = WaitForFileDialog(thread, user.Dialog());
    ASSERT_NE(files, nullptr);
    SetWindowTextA(GetDlgItem(files, kFileNameBox), white.c_str());
    PostMessageA(files, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(files); }));
    user.BackToDialog();
    user.Finish(VK_RETURN);
  });
  EXPECT_EQ(plot_->Settings.BackgroundFile, white);
  EXPECT_EQ(InkInDrawingArea(*plot_), 0);

  RunSettings([](TUser& user) {
    user.GoTo(kFilenameEdit);
    user.Key(VK_DELETE);
    EXPECT_TRUE(WaitFor([&] { return WindowText(user.Item(kFilenameEdit)).empty(); }));
    user.Finish(VK_RETURN);
  });
  EXPECT_EQ(plot_->Settings.BackgroundFile, "");
  EXPECT_GT(InkInDrawingArea(*plot_), 0);
  DeleteFileA(white.c_str());
}

// Ranges beyond the 32-bit float range are valid 80-bit values for the fields; the picture
// drawn with them afterwards must still come back.
TEST_F(PlotWindowSettingsTest, RangesBeyondTheFloatRangeStillGiveAPicture) {
  plot_->Simulate(0, 0, 0);
  plot_->Simulate(1, 1, 0);
  RunSettings([](TUser& user) {
    user.Type(kXMinEdit, "-1e40");
    user.Type(kXMaxEdit, "1e40");
    user.Type(kYMinEdit, "1e-4000");
    user.Type(kYMaxEdit, "1e4000");
    user.GoTo(kCheckBox1);
    user.Key(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(user.Item(kCheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    user.Finish(VK_RETURN);
  });
  EXPECT_EQ(plot_->Settings.XMax, 1e40L);
  EXPECT_EQ(plot_->Settings.YMax, 1e4000L);
  EXPECT_TRUE(plot_->Settings.ShowAxes);
  plot_->Simulate(2, 2, 0);
  plot_->RepaintDrawingArea();
  EXPECT_TRUE(IsWindow(plot_->Handle()));
}

// The line width field beside the toolbar's up-down control is a read-only integer field.
TEST_F(PlotWindowSettingsTest, TheLineWidthFieldShowsItsRangeAndTakesNoCheck) {
  HWND field = nullptr;
  EnumChildWindows(plot_->Handle(), [](HWND child, LPARAM found) -> BOOL {
    if (uitest::ClassOf(child) != "Edit") return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&field));
  ASSERT_NE(field, nullptr);
  EXPECT_TRUE(GetWindowLongA(field, GWL_STYLE) & ES_READONLY);
  EXPECT_FALSE(GetWindowLongA(field, GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(WindowText(field), "1");

  uitest::TBoxWatcher watcher(GetCurrentThreadId());
  PostMessageA(field, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
  PostMessageA(field, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
  uitest::PumpUntil([&] { return watcher.Count() >= 1 || watcher.MenusClosed() > 0; });
  EXPECT_EQ(watcher.MenusClosed(), 0) << "the EDIT window's own menu opened";
  ASSERT_EQ(watcher.Count(), 1u);
  const uitest::TBoxInfo box = watcher.Boxes()[0];
  EXPECT_EQ(box.Text, "Zul\xE4ssiger Wertebereich:\n\rvon: 1\n\rbis: 10");
  EXPECT_EQ(box.Caption, "Zul\xE4ssiger Wertebereich");
  EXPECT_TRUE(box.Topmost);  // the plot window stays on top; its box must not open behind it

  // Leaving the field never reports anything, whatever its text.
  SetFocus(field);
  SetWindowTextA(field, "abc");
  SetFocus(plot_->DrawingArea());
  uitest::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(watcher.Count(), 1u);
}
