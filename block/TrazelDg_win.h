// TrazelDg: the settings dialog of the plot window (TForm2): axis ranges, place and size of the
// coordinate system in the window, the axes switch and the background picture.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "block/TrazelSettings.h"

class TRealEdit;
class TIntegerEdit;

// Control ids of the dialog. The group boxes are frames drawn around their controls; every
// control is a child of the dialog itself, at the place it has inside its group box.
enum TForm2Control : int {
  kBitBtn1 = IDOK,
  kBitBtn2 = IDCANCEL,
  kGroupBox1 = 100, kGroupBox2, kGroupBox3, kGroupBox4,
  kXMinEdit = 110, kXMaxEdit, kYMinEdit, kYMaxEdit,
  kFilenameEdit = 120, kButton1,
  kX0Edit = 130, kIntegerEdit1, kIntegerEdit2, kIntegerEdit3,
  kUpDown1 = 140, kUpDown2, kUpDown3, kUpDown4,
  kCheckBox1 = 150,
  kLabel1 = 201,  // Label1 .. Label16 are kLabel1 .. kLabel1 + 15
};

// Client size of the dialog in pixels at 96 dots per inch.
constexpr int kForm2ClientWidth = 373;
constexpr int kForm2ClientHeight = 310;

class TForm2 {
 public:
  // Creates the dialog hidden: topmost, centred on the screen, owned by owner.
  explicit TForm2(HWND owner);
  ~TForm2();
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  HWND Handle() const { return hwnd_; }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

  // Puts the plot window's settings into the controls.
  void Load(const TPlotSettings& settings);
  // Takes the controls' values into the settings (after OK).
  void Store(TPlotSettings& settings);
  // Shows the dialog and runs it until OK or Cancel; returns IDOK or IDCANCEL. Every other
  // window of the thread is disabled meanwhile.
  int ShowModal();
  // Lets the user pick the background file with the platform's file open dialog.
  void Button1Click();

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  void CreateControls();
  void CreateGroupBox1();
  void CreateGroupBox2();
  void CreateGroupBox3();
  void CreateGroupBox4();
  std::unique_ptr<TRealEdit> AddRangeField(int id, int left, int top);
  void CreatePercentField(int index, int left, int top);
  HWND AddControl(const char* className, const char* text, DWORD style, DWORD exStyle, int left,
                  int top, int width, int height, int id);
  HWND AddLabel(int number, const char* text, int left, int top);
  void PlaceOnScreen();
  // Keeps an integer field's last value at what its up-down control shows.
  void TakeUpDownValue(HWND upDown);
  bool IsUnnamedMnemonic(const MSG& msg) const;

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;  // the dialog's own font, freed with the dialog
  int result_ = 0;
  std::unique_ptr<TRealEdit> xMinEdit_, xMaxEdit_, yMinEdit_, yMaxEdit_;
  // x0Edit, IntegerEdit1, IntegerEdit2, IntegerEdit3 and their up-down controls.
  std::array<std::unique_ptr<TIntegerEdit>, 4> percentEdits_;
  std::array<HWND, 4> upDowns_{};
};

// Einstellungen1Click of the plot window, without its repaint: runs the dialog over owner with
// the settings; on OK the settings take the dialog's values. Returns true for OK.
bool RunSettingsDialog(HWND owner, TPlotSettings& settings);
