#include "block/TrazelDg_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cctype>
#include <cstdint>
#include <vector>

#include "controls/ovcomps_win.h"
#include "graphic/WinHandles_win.h"
#include "product/Application_win.h"
#include "product/OVString_win.h"

namespace {

constexpr char kCaption[] = "Einstellungen";
constexpr char kFontName[] = "MS Sans Serif";
constexpr WORD kFontPoints = 8;
constexpr char kLabel5Text[] = "&Datei:";

// Places of the group boxes in the dialog; their controls are given relative to them.
constexpr POINT kGroupBox1At = {12, 12};
constexpr POINT kGroupBox2At = {12, 68};
constexpr POINT kGroupBox3At = {12, 256};
constexpr POINT kGroupBox4At = {12, 128};

constexpr int kPercentMax = 100;

constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

// Appends text as the zero-terminated UTF-16 string of a dialog template.
void AppendTemplateString(std::vector<WORD>& words, const char* text) {
  wchar_t wide[64] = L"";
  MultiByteToWideChar(1252, 0, text, -1, wide, 64);
  for (const wchar_t* p = wide; *p; ++p) words.push_back(static_cast<WORD>(*p));
  words.push_back(0);
}

// An empty dialog with caption and font; the controls are added at their pixel places.
std::vector<WORD> DialogTemplate() {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  const DWORD exStyle = WS_EX_TOPMOST;
  std::vector<WORD> words = {LOWORD(style), HIWORD(style), LOWORD(exStyle), HIWORD(exStyle),
                             0 /* controls */, 0, 0, 0, 0 /* x, y, cx, cy */,
                             0 /* no menu */, 0 /* standard class */};
  AppendTemplateString(words, kCaption);
  words.push_back(kFontPoints);
  AppendTemplateString(words, kFontName);
  return words;
}

// Lower-case letter that follows the single "&" of a caption; 0 when there is none.
char MnemonicOf(const char* text) {
  for (const char* p = text; *p; ++p)
    if (p[0] == '&' && p[1] && p[1] != '&')
      return static_cast<char>(std::tolower(static_cast<unsigned char>(p[1])));
  return 0;
}

}  // namespace

TForm2::TForm2(HWND owner) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const std::vector<WORD> dialog = DialogTemplate();
  hwnd_ = CreateDialogIndirectParamA(app::ModuleInstance(),
                                     reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), owner,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd_) return;
  font_ = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
  CreateControls();
  PlaceOnScreen();
}

TForm2::~TForm2() {
  // The fields see their windows go and detach; the objects go afterwards.
  if (hwnd_) DestroyWindow(hwnd_);
}

void TForm2::PlaceOnScreen() {
  RECT frame = {0, 0, kForm2ClientWidth, kForm2ClientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(hwnd_, HWND_TOPMOST, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOACTIVATE);
}

// Every control starts a group of its own, so the arrow keys never move the focus: they belong
// to the fields and their up-down controls.
HWND TForm2::AddControl(const char* className, const char* text, DWORD style, DWORD exStyle,
                        int left, int top, int width, int height, int id) {
  HWND control = CreateWindowExA(exStyle, className, text, style | WS_GROUP, left, top, width,
                                 height, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 app::ModuleInstance(), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

// A label as wide and high as its text.
HWND TForm2::AddLabel(int number, const char* text, int left, int top) {
  RECT size = {0, 0, 0, 0};
  {
    win::TWindowDC dc(hwnd_);
    win::TSelectGuard font = win::SelectObjectScoped(dc.get(), font_);
    DrawTextA(dc.get(), text, -1, &size, DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
  }
  return AddControl("STATIC", text, kLabelStyle, 0, left, top, size.right, size.bottom,
                    kLabel1 + number - 1);
}

// The order of creation is the tab order; each label comes right before the field it names,
// so that its Alt+letter moves the focus there.
void TForm2::CreateControls() {
  AddControl("BUTTON", "OK", kButtonStyle | BS_DEFPUSHBUTTON, 0, 286, 20, 75, 23, kBitBtn1);
  AddControl("BUTTON", "Abbrechen", kButtonStyle | BS_PUSHBUTTON, 0, 286, 56, 75, 23, kBitBtn2);
  CreateGroupBox1();
  CreateGroupBox2();
  CreateGroupBox3();
  CreateGroupBox4();
}

void TForm2::CreateGroupBox1() {
  const POINT g = kGroupBox1At;
  AddControl("BUTTON", "Abszissenbereich", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, g.x, g.y, 257,
             49, kGroupBox1);
  AddLabel(1, "&xMin:", g.x + 12, g.y + 24);
  xMinEdit_ = AddRangeField(kXMinEdit, g.x + 48, g.y + 20);
  AddLabel(2, "x&Max:", g.x + 136, g.y + 24);
  xMaxEdit_ = AddRangeField(kXMaxEdit, g.x + 172, g.y + 20);
}

void TForm2::CreateGroupBox2() {
  const POINT g = kGroupBox2At;
  AddControl("BUTTON", "Ordinatenbereich", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, g.x, g.y, 257,
             49, kGroupBox2);
  AddLabel(3, "&yMin:", g.x + 12, g.y + 24);
  yMinEdit_ = AddRangeField(kYMinEdit, g.x + 48, g.y + 20);
  AddLabel(4, "yM&ax:", g.x + 136, g.y + 24);
  yMaxEdit_ = AddRangeField(kYMaxEdit, g.x + 172, g.y + 20);
}

// A field for one end of an axis range: any number, 0 included, no range of its own.
std::unique_ptr<TRealEdit> TForm2::AddRangeField(int id, int left, int top) {
  auto field = std::make_unique<TRealEdit>(TEditPlacement{hwnd_, id, left, top, 73, 21});
  SendMessageA(field->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return field;
}

void TForm2::CreateGroupBox3() {
  const POINT g = kGroupBox3At;
  AddControl("BUTTON", "Hintergrundgrafik", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, g.x, g.y, 257,
             45, kGroupBox3);
  AddLabel(5, kLabel5Text, g.x + 12, g.y + 20);
  AddControl("EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
             WS_EX_CLIENTEDGE, g.x + 56, g.y + 16, 165, 21, kFilenameEdit);
  AddControl("BUTTON", "...", kButtonStyle | BS_PUSHBUTTON, 0, g.x + 220, g.y + 16, 29, 21, kButton1);
}

void TForm2::CreateGroupBox4() {
  const POINT g = kGroupBox4At;
  AddControl("BUTTON", "Relative Lage des Koordinatensystems", WS_CHILD | WS_VISIBLE | BS_GROUPBOX,
             0, g.x, g.y, 257, 117, kGroupBox4);
  AddLabel(6, "Alle Angaben bezogen auf Fensterbreite bzw. -h\xF6he!", g.x + 4, g.y + 96);
  AddLabel(7, "Linke untere Ecke:", g.x + 8, g.y + 24);
  AddLabel(8, "x:", g.x + 108, g.y + 24);
  CreatePercentField(0, g.x + 120, g.y + 20);
  AddLabel(9, "y:", g.x + 184, g.y + 24);
  CreatePercentField(1, g.x + 196, g.y + 20);
  AddLabel(10, "Gr\xF6\xDF" "e:", g.x + 8, g.y + 48);
  AddLabel(11, "x:", g.x + 108, g.y + 48);
  CreatePercentField(2, g.x + 120, g.y + 44);
  AddLabel(12, "y:", g.x + 184, g.y + 48);
  CreatePercentField(3, g.x + 196, g.y + 44);
  AddLabel(13, "%", g.x + 164, g.y + 24);
  AddLabel(14, "%", g.x + 164, g.y + 48);
  AddLabel(15, "%", g.x + 240, g.y + 24);
  AddLabel(16, "%", g.x + 240, g.y + 48);
  AddControl("BUTTON", "Koordinatensystem einzeichnen", kButtonStyle | BS_AUTOCHECKBOX, 0,
             g.x + 12, g.y + 76, 169, 17, kCheckBox1);
}

// One of the four percentages: an integer field 0..100 and, right of it, its up-down control.
void TForm2::CreatePercentField(int index, int left, int top) {
  auto field = std::make_unique<TIntegerEdit>(
      TEditPlacement{hwnd_, kX0Edit + index, left, top, 25, 21});
  SendMessageA(field->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  field->SetMinValue(0);
  field->SetMaxValue(kPercentMax);
  HWND upDown = AddControl(UPDOWN_CLASSA, "",
                           WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                           0, left + 25, top, 15, 21, kUpDown1 + index);
  SendMessageA(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field->Handle()), 0);
  SendMessageA(upDown, UDM_SETRANGE, 0, MAKELPARAM(kPercentMax, 0));
  // The control picks a width of its own when it is created.
  SetWindowPos(upDown, nullptr, left + 25, top, 15, 21, SWP_NOZORDER | SWP_NOACTIVATE);
  percentEdits_[index] = std::move(field);
  upDowns_[index] = upDown;
}

void TForm2::Load(const TPlotSettings& settings) {
  xMinEdit_->SetValue(settings.XMin);
  xMaxEdit_->SetValue(settings.XMax);
  yMinEdit_->SetValue(settings.YMin);
  yMaxEdit_->SetValue(settings.YMax);
  const int32_t percents[4] = {settings.OriginX, settings.OriginY, settings.SizeX, settings.SizeY};
  for (int i = 0; i < 4; ++i) {
    // The up-down control keeps a 16-bit position: only the low 16 bits travel.
    const auto low = static_cast<WORD>(static_cast<uint32_t>(percents[i]) & 0xFFFFu);
    SendMessageA(upDowns_[i], UDM_SETPOS, 0, MAKELPARAM(low, 0));
    TakeUpDownValue(upDowns_[i]);
  }
  CheckDlgButton(hwnd_, kCheckBox1, settings.ShowAxes ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(hwnd_, kFilenameEdit, settings.BackgroundFile.c_str());
}

void TForm2::Store(TPlotSettings& settings) {
  settings.XMin = xMinEdit_->Value();
  settings.XMax = xMaxEdit_->Value();
  settings.YMin = yMinEdit_->Value();
  settings.YMax = yMaxEdit_->Value();
  int32_t* percents[4] = {&settings.OriginX, &settings.OriginY, &settings.SizeX, &settings.SizeY};
  for (int i = 0; i < 4; ++i) {
    const auto position = SendMessageA(upDowns_[i], UDM_GETPOS, 0, 0);
    *percents[i] = static_cast<int16_t>(LOWORD(position));  // sign-extended to 32 bits
  }
  settings.ShowAxes = IsDlgButtonChecked(hwnd_, kCheckBox1) == BST_CHECKED;
  const HWND file = Control(kFilenameEdit);
  std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(file)) + 1, '\0');
  GetWindowTextA(file, text.data(), static_cast<int>(text.size()));
  settings.BackgroundFile = text.data();
}

// The field shows what its up-down control set; that is its last good value from now on.
void TForm2::TakeUpDownValue(HWND upDown) {
  for (int i = 0; i < 4; ++i)
    if (upDowns_[i] == upDown && percentEdits_[i]) percentEdits_[i]->Value();
}

int TForm2::ShowModal() {
  if (!hwnd_) return IDCANCEL;
  result_ = 0;
  {
    TThreadWindowsDisabled modal;
    ShowWindow(hwnd_, SW_SHOW);
    SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(kBitBtn1)), TRUE);
    MSG msg;
    while (result_ == 0 && IsWindow(hwnd_)) {
      const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (got <= 0) {
        if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
        result_ = IDCANCEL;
        break;
      }
      if (IsUnnamedMnemonic(msg)) {
        MessageBeep(0);
        continue;
      }
      if (!IsDialogMessageA(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    if (IsWindow(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
  }
  return result_ == IDOK ? IDOK : IDCANCEL;
}

// Alt and the letter of "&Datei:": that label names no control, so the key does nothing
// (the dialog manager would move the focus to the next control).
bool TForm2::IsUnnamedMnemonic(const MSG& msg) const {
  if (msg.message != WM_SYSCHAR) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  const char letter = static_cast<char>(std::tolower(static_cast<int>(msg.wParam & 0xFF)));
  return letter == MnemonicOf(kLabel5Text);
}

void TForm2::Button1Click() {
  char file[MAX_PATH * 4] = "*.wmf";
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = hwnd_;
  dialog.lpstrFilter = "Windows Meta File (*.wmf)\0*.wmf\0Windows Bitmap (*.bmp)\0*.bmp\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  // The host's current folder stays as it was.
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY |
                 OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (GetOpenFileNameA(&dialog)) SetDlgItemTextA(hwnd_, kFilenameEdit, file);
}

INT_PTR CALLBACK TForm2::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    return FALSE;  // the controls do not exist yet; ShowModal sets the focus
  }
  auto* form = reinterpret_cast<TForm2*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  // Nothing may leave a dialog procedure (see TForm1::WndProc); the dialog stays open.
  try {
    return form ? form->OnMessage(msg, wParam, lParam) : FALSE;
  } catch (...) {
    return TRUE;
  }
}

INT_PTR TForm2::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_VSCROLL:
      TakeUpDownValue(reinterpret_cast<HWND>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

void TForm2::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kBitBtn1:
    case kBitBtn2:
      result_ = id;
      break;
    case kButton1:
      Button1Click();
      break;
    default:
      break;
  }
}

bool RunSettingsDialog(HWND owner, TPlotSettings& settings) {
  TForm2 form(owner);
  // Without its window (the owner is gone, the desktop refuses new windows) the dialog
  // ends as if cancelled.
  if (!form.Handle()) return false;
  form.Load(settings);
  if (form.ShowModal() != IDOK) return false;
  form.Store(settings);
  return true;
}
