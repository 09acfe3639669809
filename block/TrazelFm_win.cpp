#include "block/TrazelFm_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <set>
#include <stdexcept>
#include <vector>

#include "block/TrazelDg_win.h"
#include "block/TrazelExport.h"
#include "block/TrazelFm.h"
#include "block/TrazelMessages_win.h"
#include "block/TrazelPicture.h"
#include "block/TrazelPng_win.h"
#include "block/TrazelPrint_win.h"
#include "block/TrazelResources.h"
#include "block/TrazelSaveFile_win.h"
#include "controls/ovcomps_win.h"
#include "graphic/GdiCanvas_win.h"
#include "graphic/OVGraphic.h"
#include "product/Application_win.h"

namespace {

const char kFormClass[] = "TrazelPlotWindow";
const char kScrollBoxClass[] = "TrazelScrollBox";

enum ControlId : int {
  kToolButton1 = 101,
  kToolButton2 = 102,
  kToolButton6 = 103,
  kLineWidthField = 110,
  kLineWidthUpDown = 111,
  kStatusBar1 = 120,
  kScrollBox1 = 121,
  kMenuExport = 130,  // "Messwerte exportieren ..."
  kMenuCopy = 131,    // "Bild kopieren"
  kMenuSave = 132,    // "Bild speichern ..."
};

const char kCopyText[] = "Bild kopieren\tStrg+C";
const char kNotCopied[] = "Das Bild konnte nicht in die Zwischenablage kopiert werden.";
const char kNoRoom[] = "Nicht gen\xFCgend Speicher.";

const char kSaveText[] = "Bild speichern \x85";
const char kPictureFilter[] = "PNG-Bild (*.png)\0*.png\0EMF-Bild (*.emf)\0*.emf\0";
const char kPictureSuggestion[] = "Bild.png";
const char kNotEncoded[] = "Das Bild lie\xDF sich nicht als PNG umsetzen.";
constexpr int kEmfType = 2;  // of the picture filter, counted from 1

const char kExportText[] = "Messwerte exportieren \x85";
const char kCsvFilter[] = "CSV-Datei (*.csv)\0*.csv\0";
const char kExportSuggestion[] = "Messwerte.csv";
// Where the keyboard opens the context menu, from the drawing area's top-left corner.
constexpr int kKeyboardMenuOffset = 8;

// Nothing may leave a window procedure.
template <class F>
void Guarded(F handler) {
  try {
    handler();
  } catch (...) {
  }
}

// Posted by a repaint that found an unreadable background picture: the report waits until
// the painting is over, since a message box inside painting would repaint the window behind
// it and so open the next box.
constexpr UINT kPictureFaultMessage = WM_APP + 1;

// Layout at 96 pixels per inch.
constexpr int kFormLeft = 473, kFormTop = 279, kFormWidth = 372, kFormHeight = 285;
constexpr int kToolBarHeight = 34, kStatusBarHeight = 19;
constexpr int kButtonWidth = 23, kButtonHeight = 22, kToolBarIndent = 10;
constexpr int kSeparatorWidth = 8, kLabelWidth = 57, kEditWidth = 28, kUpDownWidth = 16;
constexpr int kMinLineWidth = 1, kMaxLineWidth = 10;

// The library's frame clock. A step draws its segment on the window at once; showing drawn
// pixels on the screen costs far more than drawing them (under some window systems forty times
// a step), so it happens once a frame for all windows together: in the first step after a
// frame's time, on the one frame timer while the host pumps messages and pixels are pending, at
// the end of a run and before printing. The frame is 15 ms, so that a system tick of 15.6 ms
// does not stretch it to two ticks.
constexpr DWORD kFrameMillis = 15;
constexpr UINT_PTR kFrameTimer = 1;
const char kFrameClockClass[] = "TrazelFrameClock";

struct TFrameClock {
  std::vector<TForm1*> Pending;  // windows with pixels drawn since the last showing
  DWORD LastShown = 0;           // GetTickCount of the last showing
  HWND TimerWindow = nullptr;    // message-only window of the timer, made when first needed
  bool TimerRunning = false;
};

TFrameClock& FrameClock() {
  static TFrameClock clock;
  return clock;
}

bool FrameDue() { return GetTickCount() - FrameClock().LastShown >= kFrameMillis; }

void StartFrameTimer() {
  TFrameClock& clock = FrameClock();
  if (clock.TimerRunning) return;
  if (!clock.TimerWindow)
    clock.TimerWindow = CreateWindowExA(0, kFrameClockClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, app::ModuleInstance(), nullptr);
  // Without a timer the pixels still come out with the next frame's step or the run's end.
  clock.TimerRunning =
      clock.TimerWindow && SetTimer(clock.TimerWindow, kFrameTimer, kFrameMillis, nullptr) != 0;
}

void StopFrameTimer() {
  TFrameClock& clock = FrameClock();
  if (clock.TimerRunning) KillTimer(clock.TimerWindow, kFrameTimer);
  clock.TimerRunning = false;
}

LRESULT CALLBACK FrameClockProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kFrameTimer) {
    try {
      TForm1::ShowPendingPixels();
    } catch (...) {
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

#if UINTPTR_MAX != 0xFFFFFFFFu
// Slots handed to the host. A 32-bit host record holds the window object itself; where a
// pointer does not fit, the slot is an index into this table (0 is never a slot).
std::vector<TForm1*>& SlotTable() {
  static std::vector<TForm1*> table;
  return table;
}
#endif

}  // namespace

uint32_t FormToSlot(TForm1* form) {
#if UINTPTR_MAX == 0xFFFFFFFFu
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(form));
#else
  auto& table = SlotTable();
  table.push_back(form);
  return static_cast<uint32_t>(table.size());
#endif
}

TForm1* FormFromSlot(uint32_t slot) {
#if UINTPTR_MAX == 0xFFFFFFFFu
  return reinterpret_cast<TForm1*>(static_cast<uintptr_t>(slot));
#else
  auto& table = SlotTable();
  return slot >= 1 && slot <= table.size() ? table[slot - 1] : nullptr;
#endif
}

void ReleaseSlot(uint32_t slot) {
#if UINTPTR_MAX != 0xFFFFFFFFu
  auto& table = SlotTable();
  if (slot >= 1 && slot <= table.size()) table[slot - 1] = nullptr;
#else
  (void)slot;
#endif
}

void RegisterPlotWindowClasses() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE instance = app::ModuleInstance();
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &TForm1::WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TRAZEL));
  wc.lpszClassName = kFormClass;
  RegisterClassExA(&wc);
  WNDCLASSEXA sb{};
  sb.cbSize = sizeof sb;
  // The whole picture follows the size: a smaller area is painted again too, not only what a
  // larger one uncovers.
  sb.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  sb.lpfnWndProc = &TForm1::ScrollBoxProc;
  sb.hInstance = instance;
  sb.hCursor = LoadCursor(nullptr, IDC_ARROW);
  sb.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  sb.lpszClassName = kScrollBoxClass;
  RegisterClassExA(&sb);
  WNDCLASSEXA fc{};
  fc.cbSize = sizeof fc;
  fc.lpfnWndProc = &FrameClockProc;
  fc.hInstance = instance;
  fc.lpszClassName = kFrameClockClass;
  RegisterClassExA(&fc);
}

void UnregisterPlotWindowClasses() {
  UnregisterClassA(kFormClass, app::ModuleInstance());
  UnregisterClassA(kScrollBoxClass, app::ModuleInstance());
  UnregisterClassA(kFrameClockClass, app::ModuleInstance());
}

TForm1::TForm1() {
  // Steps of FormCreate that need no window: the defaults and the trace store.
  Settings = TPlotSettings{};
  font_.reset(CreateFontA(-MulDiv(8, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
  try {
    hwnd_ = CreateWindowExA(WS_EX_TOPMOST, kFormClass, "Trazel", WS_OVERLAPPEDWINDOW, kFormLeft,
                            kFormTop, kFormWidth, kFormHeight, app::HostOwner(), nullptr,
                            app::ModuleInstance(), this);
    if (!hwnd_ || !statusBar1_) throw std::runtime_error("Das Fenster konnte nicht erzeugt werden.");
    UpdateStatusBar();
    // The graph object is made last, bound to the drawing area at its size of this moment.
    RECT r;
    GetClientRect(scrollBox1_, &r);
    win::TWindowDC dc(scrollBox1_);
    TGdiCanvas canvas(dc.get(), false);
    Graph.reset(new TOVGraphic(&canvas, TRect{r.left, r.top, r.right, r.bottom}));
    LiveForms().insert(this);
  } catch (...) {
    // No destructor runs for an object whose construction failed: the window and the image
    // list go here, so that nothing is left that points to this object.
    if (hwnd_) {
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
    if (imageList1_) ImageList_Destroy(imageList1_);
    throw;
  }
}

std::set<TForm1*>& TForm1::LiveForms() {
  static std::set<TForm1*> forms;
  return forms;
}

void TForm1::DestroyRemaining() {
  while (!LiveForms().empty()) delete *LiveForms().begin();
  TFrameClock& clock = FrameClock();
  if (clock.TimerWindow) DestroyWindow(clock.TimerWindow);
  clock.TimerWindow = nullptr;
  clock.TimerRunning = false;
}

TForm1::~TForm1() {
  LiveForms().erase(this);
  stepCanvas_.reset();  // gives the device context its own pen back before the window goes
  stepDC_.reset();
  std::vector<TForm1*>& pending = FrameClock().Pending;
  pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
  if (pending.empty()) StopFrameTimer();
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (imageList1_) ImageList_Destroy(imageList1_);
}

LRESULT CALLBACK TForm1::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TForm1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  // Nothing may leave a window procedure: the system's code lies between it and the entry point
  // (an i686 exception cannot even pass it). A failed WM_CREATE leaves the window without its
  // status bar, which the constructor takes for failure.
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    return 0;
  }
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_COMMAND:
      // The up-down control writes every new position into its field.
      if (LOWORD(wp) == kLineWidthField && HIWORD(wp) == EN_CHANGE) lineWidthKnown_ = false;
      OnCommand(LOWORD(wp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case kPictureFaultMessage:
      OnPictureFault();
      return 0;
    case WM_CLOSE:
      // FormClose: the user cannot close a plot window, only minimise it.
      ShowWindow(hwnd_, SW_MINIMIZE);
      return 0;
    default:
      return DefWindowProcA(hwnd_, msg, wp, lp);
  }
}

void TForm1::OnCreate() {
  CreateToolBar();
  CreateLineWidthControls();
  scrollBox1_ = CreateWindowExA(0, kScrollBoxClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(kScrollBox1),
                                app::ModuleInstance(), this);
  statusBar1_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                                0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(kStatusBar1),
                                app::ModuleInstance(), nullptr);
  SendMessageA(statusBar1_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  SendMessageA(statusBar1_, SB_SIMPLE, TRUE, 0);
  OnSize();
}

void TForm1::CreateToolBar() {
  toolBar1_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT |
                                  TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                  CCS_NOPARENTALIGN,
                              0, 0, 0, kToolBarHeight, hwnd_, nullptr, app::ModuleInstance(),
                              nullptr);
  SendMessageA(toolBar1_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(toolBar1_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  imageList1_ = ImageList_LoadImageA(app::ModuleInstance(), MAKEINTRESOURCEA(IDB_TOOLBAR), 16, 0,
                                     RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
  SendMessageA(toolBar1_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imageList1_));
  SendMessageA(toolBar1_, TB_SETINDENT, kToolBarIndent, 0);
  // Buttons, then separators that reserve the room of the label, the field and the up-down.
  TBBUTTON buttons[] = {
      {0, kToolButton1, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {1, kToolButton2, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {2, kToolButton6, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {kSeparatorWidth, 0, 0, BTNS_SEP, {}, 0, 0},
      {kLabelWidth, 0, 0, BTNS_SEP, {}, 0, 0},
      {kSeparatorWidth, 0, 0, BTNS_SEP, {}, 0, 0},
      {kEditWidth + kUpDownWidth, 0, 0, BTNS_SEP, {}, 0, 0},
  };
  SendMessageA(toolBar1_, TB_ADDBUTTONSA, sizeof buttons / sizeof buttons[0],
               reinterpret_cast<LPARAM>(buttons));
  SendMessageA(toolBar1_, TB_SETBUTTONSIZE, 0, MAKELPARAM(kButtonWidth, kButtonHeight));
}

void TForm1::CreateLineWidthControls() {
  RECT labelRect, fieldRect;
  SendMessageA(toolBar1_, TB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&labelRect));
  SendMessageA(toolBar1_, TB_GETITEMRECT, 6, reinterpret_cast<LPARAM>(&fieldRect));
  int top = (kToolBarHeight - kButtonHeight) / 2;
  // Children of the window itself, laid over the toolbar's separators, so that the up-down
  // control's notifications reach the window (a toolbar keeps them to itself).
  label1_ = CreateWindowExA(0, "STATIC", "Liniendicke:", WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE,
                            labelRect.left, top, kLabelWidth, kButtonHeight, hwnd_, nullptr,
                            app::ModuleInstance(), nullptr);
  integerEdit1_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "1",
                                  WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL,
                                  fieldRect.left, top, kEditWidth, kButtonHeight, hwnd_,
                                  reinterpret_cast<HMENU>(kLineWidthField), app::ModuleInstance(),
                                  nullptr);
  for (HWND h : {label1_, integerEdit1_})
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  // The field answers a right click with its range; it is read-only, so it never complains.
  lineWidthEdit_.reset(new TIntegerEdit(integerEdit1_));
  lineWidthEdit_->SetMinValue(kMinLineWidth);
  lineWidthEdit_->SetMaxValue(kMaxLineWidth);
  upDown1_ = CreateWindowExA(0, UPDOWN_CLASSA, "",
                             WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT |
                                 UDS_ARROWKEYS,
                             0, 0, kUpDownWidth, kButtonHeight, hwnd_,
                             reinterpret_cast<HMENU>(kLineWidthUpDown), app::ModuleInstance(), nullptr);
  SendMessageA(upDown1_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(integerEdit1_), 0);
  SendMessageA(upDown1_, UDM_SETRANGE32, kMinLineWidth, kMaxLineWidth);
  SendMessageA(upDown1_, UDM_SETPOS32, 0, kMinLineWidth);
}

void TForm1::OnSize() {
  if (!toolBar1_ || !statusBar1_ || !scrollBox1_) return;
  // A minimised window keeps its drawing area as it was, with the kept pictures of that size:
  // restored, it shows them with one copy.
  if (IsIconic(hwnd_)) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  int width = client.right, height = client.bottom;
  MoveWindow(toolBar1_, 0, 0, width, kToolBarHeight, TRUE);
  SendMessageA(statusBar1_, WM_SIZE, 0, 0);
  RECT status;
  GetWindowRect(statusBar1_, &status);
  int statusHeight = status.bottom - status.top;
  if (statusHeight <= 0) statusHeight = kStatusBarHeight;
  int areaHeight = height - kToolBarHeight - statusHeight;
  MoveWindow(scrollBox1_, 0, kToolBarHeight, width, areaHeight > 0 ? areaHeight : 0, TRUE);
}

void TForm1::OnCommand(int id) {
  switch (id) {
    case kToolButton1:
      Einstellungen1Click();
      break;
    case kToolButton2:
      Drucken2Click();
      break;
    case kToolButton6:
      ToolButton6Click();
      break;
    case kLineWidthUpDown:
      UpDown1Click();
      break;
    case kMenuExport:
      MesswerteExportierenClick();
      break;
    case kMenuCopy:
      BildKopierenClick();
      break;
    case kMenuSave:
      BildSpeichernClick();
      break;
    default:
      break;
  }
}

LRESULT TForm1::OnNotify(NMHDR* hdr) {
  if (hdr->code == TTN_GETDISPINFOA) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(hdr);
    switch (hdr->idFrom) {
      case kToolButton1:
        info->lpszText = const_cast<char*>("Einstellungen");
        break;
      case kToolButton2:
        info->lpszText = const_cast<char*>("Drucken");
        break;
      case kToolButton6:
        info->lpszText = const_cast<char*>("Linienfarbe");
        break;
      default:
        break;
    }
    return 0;
  }
  if (hdr->hwndFrom == upDown1_ && hdr->code == UDN_DELTAPOS) {
    // The control moves its position after this notification; repaint once it has.
    PostMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(kLineWidthUpDown, 0), 0);
    return 0;
  }
  return 0;
}

int TForm1::LineWidth() const {
  BOOL failed = FALSE;
  int pos = static_cast<int>(SendMessageA(upDown1_, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
  return pos < kMinLineWidth ? kMinLineWidth : pos > kMaxLineWidth ? kMaxLineWidth : pos;
}

std::string TForm1::StatusText() const { return StatusBarText(Settings); }

void TForm1::UpdateStatusBar() {
  if (statusBar1_)
    SendMessageA(statusBar1_, SB_SETTEXTA, SB_SIMPLEID,
                 reinterpret_cast<LPARAM>(StatusText().c_str()));
}

void TForm1::SetCaption(const char* title) { SetWindowTextA(hwnd_, title ? title : ""); }

std::string TForm1::Caption() const {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd_)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(hwnd_, &text[0], static_cast<int>(text.size()))));
  return text;
}

RECT TForm1::PaintBoxRect() const {
  RECT r{};
  GetClientRect(scrollBox1_, &r);
  r.right += 1;
  r.bottom += 1;
  return r;
}

// Binds graph to canvas and sets the plot area and both scales from the settings.
void TForm1::SetupGraph(TOVGraphic& graph, TCanvas& canvas, const RECT& r) {
  const TPlotSettings& s = Settings;
  graph.AttachCanvas(&canvas, TRect{r.left, r.top, r.right, r.bottom}, 1.0f, 1.0f);
  float width = static_cast<float>(s.SizeX * 0.01L);
  float height = static_cast<float>(s.SizeY * 0.01L);
  graph.SetPlotArea(true, static_cast<float>(s.OriginX * 0.01L),
                    static_cast<float>(s.OriginY * 0.01L), width, height);
  graph.SetXScale(true, 0, NearestFloat(s.XMin), NearestFloat(s.XMax), width, 0);
  graph.SetYScale(true, 0, NearestFloat(s.YMin), NearestFloat(s.YMax), height, 0);
}

void TForm1::NotePendingPixels() {
  if (pixelsPending_) return;
  pixelsPending_ = true;
  FrameClock().Pending.push_back(this);
  StartFrameTimer();
}

// Some window systems compose window drawing off-screen and show it when the thread next
// looks at its input; a zero wait for input shows it now, without handling any message. A
// minimised window has nothing on the screen to show.
void TForm1::ShowPendingPixels() {
  TFrameClock& clock = FrameClock();
  GdiFlush();
  bool onScreen = false;
  for (TForm1* form : clock.Pending) {
    form->pixelsPending_ = false;
    onScreen = onScreen || !IsIconic(form->hwnd_);
  }
  clock.Pending.clear();
  StopFrameTimer();
  if (onScreen) MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
  clock.LastShown = GetTickCount();
}

void TForm1::PrepareStep() {
  if (!stepCanvas_) {
    stepDC_ = win::TWindowDC(scrollBox1_);
    stepCanvas_.reset(new TGdiCanvas(stepDC_.get(), false));
  }
  SetupGraph(*Graph, *stepCanvas_, PaintBoxRect());
  stepReady_ = true;
}

void TForm1::DrawNewestSegment(int points) {
  if (!stepReady_) PrepareStep();
  stepCanvas_->Pen().Color = lineColor_;
  stepCanvas_->Pen().Width = paintedLineWidth_;
  const int k = Traces.Count() - 1;
  Graph->DrawCurve(Traces.X(k), Traces.Y(k), points - 2, points - 1);
  if (pictureValid_) {
    pictureCanvas_->Pen().Color = lineColor_;
    pictureCanvas_->Pen().Width = paintedLineWidth_;
    pictureGraph_->DrawCurve(Traces.X(k), Traces.Y(k), points - 2, points - 1);
  }
  NotePendingPixels();
  if (FrameDue()) ShowPendingPixels();
}

void TForm1::Simulate(long double x, long double y, long double control) {
  int points = Traces.Record(x, y, control);
  if (points > 0) DrawNewestSegment(points);
}

void TForm1::InitSimulation(const char* title, long double x, long double y,
                            long double control) {
  SetCaption(title);
  Traces.BeginRun();
  pictureValid_ = false;
  RepaintDrawingArea();
  Simulate(x, y, control);
}

void TForm1::RepaintDrawingArea() {
  InvalidateRect(scrollBox1_, nullptr, FALSE);
  UpdateWindow(scrollBox1_);
}

LRESULT CALLBACK TForm1::ScrollBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the picture covers every pixel
    case WM_SIZE:
      if (form) form->stepReady_ = form->pictureValid_ = false;
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      SetFocus(hwnd);  // the area's keys are its shortcuts
      break;
    case WM_CONTEXTMENU:
      if (!form) break;
      Guarded([&] { form->OnContextMenu(lp); });
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (form && form->OnAreaKey(wp)) return 0;
      break;
    case WM_KEYUP:
      if (wp == VK_APPS) return 0;  // the menu opened with the key's press
      break;
    case WM_PAINT:
      if (form && form->Graph) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        // Nothing may leave a window procedure; a failed repaint leaves the old pixels.
        try {
          form->PaintBox1Paint();
        } catch (...) {
        }
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void TForm1::PaintBox1Paint() { Redraw(false); }

bool TForm1::OnAreaKey(WPARAM key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if (key == VK_APPS || (key == VK_F10 && shift)) {
    Guarded([&] { OnContextMenu(-1); });
    return true;
  }
  if (key == 'C' && GetKeyState(VK_CONTROL) < 0 && !shift) {
    Guarded([&] { BildKopierenClick(); });
    return true;
  }
  return false;
}

void TForm1::OnContextMenu(LPARAM at) {
  POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (at == -1) {
    p = POINT{kKeyboardMenuOffset, kKeyboardMenuOffset};
    ClientToScreen(scrollBox1_, &p);
  }
  win::TUniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  AppendMenuA(menu.get(), MF_STRING, kMenuCopy, kCopyText);
  AppendMenuA(menu.get(), MF_STRING, kMenuSave, kSaveText);
  AppendMenuA(menu.get(), MF_STRING, kMenuExport, kExportText);
  const int command = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0,
                                     hwnd_, nullptr);
  if (command) OnCommand(command);
}

// The picture twice: as a metafile for a sharp, scalable picture, and as the window's pixels.
void TForm1::BildKopierenClick() {
  RepaintDrawingArea();  // the kept picture holds every point
  RECT area{};
  GetClientRect(scrollBox1_, &area);
  win::TUniqueEnhMetaFile metafile = PictureAsMetafile(area);
  win::TUniqueGlobal bitmap = PictureAsBitmap(area);
  if (!metafile || !bitmap) {
    ShowErrorBox(hwnd_, std::string(kNotCopied) + "\r\n" + kNoRoom);
    return;
  }
  if (!OpenClipboard(hwnd_)) {
    ShowErrorBox(hwnd_, std::string(kNotCopied) + "\r\n" +
                            PlatformErrorText(GetLastError(), "Die Zwischenablage ist belegt."));
    return;
  }
  EmptyClipboard();
  // The clipboard owns what it took.
  DWORD error = ERROR_SUCCESS;
  if (SetClipboardData(CF_ENHMETAFILE, metafile.get())) {
    metafile.release();
  } else {
    error = GetLastError();
  }
  if (SetClipboardData(CF_DIB, bitmap.get())) {
    bitmap.release();
  } else if (error == ERROR_SUCCESS) {
    error = GetLastError();
  }
  CloseClipboard();
  if (metafile || bitmap)
    ShowErrorBox(hwnd_, std::string(kNotCopied) + "\r\n" + PlatformErrorText(error, kNoRoom));
}

// The frame is the area's size on the screen, in hundredths of a millimetre.
win::TUniqueEnhMetaFile TForm1::PictureAsMetafile(const RECT& area) {
  win::TWindowDC screen(scrollBox1_);
  HDC reference = screen.get();
  const int hundredthsX = GetDeviceCaps(reference, HORZSIZE) * 100;
  const int hundredthsY = GetDeviceCaps(reference, VERTSIZE) * 100;
  const RECT frame{0, 0, MulDiv(area.right, hundredthsX, GetDeviceCaps(reference, HORZRES)),
                   MulDiv(area.bottom, hundredthsY, GetDeviceCaps(reference, VERTRES))};
  win::TRecordingDC dc(CreateEnhMetaFileA(reference, nullptr, &frame, "Trazel\0Bild\0"));
  if (!dc) return {};
  const RECT r = PaintBoxRect();
  const bool hasBackground = RefreshBackground();
  PaintGround(dc.get(), area, r, hasBackground);
  {
    TGdiCanvas canvas(dc.get(), false);
    DrawPicture(canvas, r, hasBackground);
  }
  stepReady_ = false;  // the graph was bound to the metafile
  return win::TUniqueEnhMetaFile(CloseEnhMetaFile(dc.release()));
}

// The kept picture, or without room for it a drawing from nothing as the window shows it.
win::TUniqueGlobal TForm1::PictureAsBitmap(const RECT& area) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = area.right;
  header.biHeight = area.bottom;  // bottom row first
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(area.right) * 3 + 3) & ~size_t(3);
  const size_t bytes = stride * static_cast<size_t>(area.bottom);
  header.biSizeImage = static_cast<DWORD>(bytes);
  win::TWindowDC screen(scrollBox1_);
  void* bits = nullptr;
  win::TUniqueBitmap dib(CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&header),
                                          DIB_RGB_COLORS, &bits, nullptr, 0));
  win::TUniqueDC memory(CreateCompatibleDC(screen.get()));
  win::TUniqueGlobal global(GlobalAlloc(GMEM_MOVEABLE, sizeof header + bytes));
  if (!dib || !memory || !global || area.right <= 0 || area.bottom <= 0) return {};
  {
    win::TSelectGuard selected = win::SelectObjectScoped(memory.get(), dib.get());
    if (pictureValid_) {
      BitBlt(memory.get(), 0, 0, area.right, area.bottom, picture_.Dc.get(), 0, 0, SRCCOPY);
    } else {
      const RECT r = PaintBoxRect();
      const bool hasBackground = RefreshBackground();
      PaintGround(memory.get(), r, r, hasBackground);
      TGdiCanvas canvas(memory.get(), false);
      DrawPicture(canvas, r, hasBackground);
      stepReady_ = false;
    }
    GdiFlush();
  }
  auto* packed = static_cast<uint8_t*>(GlobalLock(global.get()));
  if (!packed) return {};
  std::memcpy(packed, &header, sizeof header);
  std::memcpy(packed + sizeof header, bits, bytes);
  GlobalUnlock(global.get());
  return global;
}

// The picture as the copy gives it: a name ending in .emf or .png decides the kind of file,
// else the file type chosen in the dialog.
void TForm1::BildSpeichernClick() {
  std::string file;
  int type = 1;
  if (!AskSaveFileName(hwnd_, kPictureFilter, "png", kPictureSuggestion, file, &type)) return;
  std::string ending = file.size() >= 4 ? file.substr(file.size() - 4) : std::string();
  CharLowerA(&ending[0]);
  const bool asMetafile = ending == ".emf" || (ending != ".png" && type == kEmfType);
  std::vector<uint8_t> bytes;
  std::string reason = PictureFileBytes(asMetafile, bytes);
  if (reason.empty())
    reason = WriteWholeFile(file, [&](const TExportSink& sink) {
      return sink(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    });
  if (!reason.empty())
    ShowErrorBox(hwnd_, "Das Bild konnte nicht in die Datei \"" + file +
                            "\" geschrieben werden.\r\n" + reason);
}

// The bytes of a metafile or PNG file of the picture; "" on success, else the reason.
std::string TForm1::PictureFileBytes(bool asMetafile, std::vector<uint8_t>& bytes) {
  RepaintDrawingArea();  // the kept picture holds every point
  RECT area{};
  GetClientRect(scrollBox1_, &area);
  if (asMetafile) {
    const win::TUniqueEnhMetaFile metafile = PictureAsMetafile(area);
    const UINT size = metafile ? GetEnhMetaFileBits(metafile.get(), 0, nullptr) : 0;
    if (size == 0) return kNoRoom;
    bytes.resize(size);
    return GetEnhMetaFileBits(metafile.get(), size, bytes.data()) == size ? "" : kNoRoom;
  }
  const win::TUniqueGlobal bitmap = PictureAsBitmap(area);
  const auto* header = bitmap ? static_cast<const BITMAPINFOHEADER*>(GlobalLock(bitmap.get()))
                              : nullptr;
  if (!header) return kNoRoom;
  const HRESULT result =
      EncodePng(*header, reinterpret_cast<const uint8_t*>(header + 1), bytes);
  GlobalUnlock(bitmap.get());
  return SUCCEEDED(result) ? "" : PlatformErrorText(static_cast<DWORD>(result), kNotEncoded);
}

// Every recorded point, so that a replay through a fresh block draws the same picture.
void TForm1::MesswerteExportierenClick() {
  std::string file;
  if (!AskSaveFileName(hwnd_, kCsvFilter, "csv", kExportSuggestion, file)) return;
  const std::string reason = WriteWholeFile(
      file, [&](const TExportSink& sink) { return WriteMeasuredValues(Traces, sink); });
  if (!reason.empty())
    ShowErrorBox(hwnd_, "Die Messwerte konnten nicht in die Datei \"" + file +
                            "\" geschrieben werden.\r\n" + reason);
}

void TForm1::ToolButton6Click() {
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = hwnd_;
  cc.rgbResult = lineColor_;
  cc.lpCustColors = customColors_;
  cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorA(&cc)) return;
  lineColor_ = cc.rgbResult;
  RepaintDrawingArea();
}

void TForm1::UpDown1Click() { RepaintDrawingArea(); }

void TForm1::Einstellungen1Click() {
  RunSettingsDialog(hwnd_, Settings);
  SettingsChanged();
  UpdateStatusBar();
  RepaintDrawingArea();
}

void TForm1::DrawLayer(TCanvas& canvas, const RECT& r, bool hasBackground) {
  SetupGraph(*Graph, canvas, r);
  canvas.Pen().Color = lineColor_;
  canvas.Pen().Width = paintedLineWidth_;
  if (!hasBackground) Graph->DrawGrid();
  if (Settings.ShowAxes) {
    Graph->DrawXAxis("x", 3);
    Graph->DrawYAxis("y", 1, 0);
  }
}

// With the graph bound to canvas and laid out.
void TForm1::DrawTraces(TOVGraphic& graph, TCanvas& canvas) {
  canvas.Pen().Color = lineColor_;
  canvas.Pen().Width = paintedLineWidth_;
  for (int k = 0; k < Traces.Count(); ++k) graph.DrawCurve(Traces.X(k), Traces.Y(k), 0, 0);
}

void TForm1::DrawPicture(TCanvas& canvas, const RECT& r, bool hasBackground) {
  DrawLayer(canvas, r, hasBackground);
  DrawTraces(*Graph, canvas);
}

void TForm1::Redraw(bool toPrinter) {
  stepReady_ = false;  // the graph is bound to another canvas from here on
  if (!lineWidthKnown_) {
    paintedLineWidth_ = LineWidth();
    lineWidthKnown_ = true;
  }
  const RECT r = PaintBoxRect();
  const bool hasBackground = RefreshBackground();
  if (!toPrinter) {
    if (KeepPictures(r)) {
      DrawKeptOnScreen(r, hasBackground);
    } else {
      DrawOnScreen(r, hasBackground);
    }
  } else if (printerPage_) {
    DrawOnPrinter(r, hasBackground);
  }
}

// What every picture drawn from nothing starts with: fill white, then the background picture
// stretched to the drawing area r; text drawn on dc afterwards leaves it showing.
void TForm1::PaintGround(HDC dc, const RECT& fill, const RECT& r, bool hasBackground) {
  SetBkMode(dc, TRANSPARENT);
  FillRect(dc, &fill, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (hasBackground) background_.Draw(dc, r);
}

bool TForm1::RefreshBackground() {
  const TBackgroundPicture::TState state = background_.Refresh(Settings.BackgroundFile);
  if (background_.HasNewFault()) PostMessageA(hwnd_, kPictureFaultMessage, 0, 0);
  return state == TBackgroundPicture::TState::Ready;
}

// The picture is composed in a bitmap one pixel wider and higher than the drawing area and
// copied to the screen in one piece.
void TForm1::DrawOnScreen(const RECT& r, bool hasBackground) {
  win::TWindowDC screen(scrollBox1_);
  win::TUniqueDC memory(CreateCompatibleDC(screen.get()));
  win::TUniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), r.right, r.bottom));
  if (!memory || !bitmap) return;
  win::TSelectGuard selected = win::SelectObjectScoped(memory.get(), bitmap.get());
  PaintGround(memory.get(), r, r, hasBackground);
  {
    TGdiCanvas canvas(memory.get(), false);
    DrawPicture(canvas, r, hasBackground);
  }
  BitBlt(screen.get(), 0, 0, r.right, r.bottom, memory.get(), 0, 0, SRCCOPY);
  NotePendingPixels();
  ShowPendingPixels();
}

bool TForm1::TKeptBitmap::Make(HDC screen, int width, int height) {
  Selected = win::TSelectGuard();
  Bitmap.reset();
  Dc.reset();
  Width = Height = 0;
  if (width <= 0 || height <= 0) return false;
  win::TUniqueDC dc(CreateCompatibleDC(screen));
  win::TUniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
  if (!dc || !bitmap) return false;
  Selected = win::SelectObjectScoped(dc.get(), bitmap.get());
  Dc = std::move(dc);
  Bitmap = std::move(bitmap);
  Width = width;
  Height = height;
  return true;
}

bool TForm1::TLayerKey::operator==(const TLayerKey& o) const {
  const TPlotSettings& a = Settings;
  const TPlotSettings& b = o.Settings;
  return Width == o.Width && Height == o.Height && a.XMin == b.XMin && a.XMax == b.XMax &&
         a.YMin == b.YMin && a.YMax == b.YMax && a.OriginX == b.OriginX &&
         a.OriginY == b.OriginY && a.SizeX == b.SizeX && a.SizeY == b.SizeY &&
         a.ShowAxes == b.ShowAxes && a.BackgroundFile == b.BackgroundFile &&
         GridMode == o.GridMode && HasBackground == o.HasBackground && FileSize == o.FileSize &&
         FileTime == o.FileTime;
}

// The picture file counts by its size and time of last writing, as the picture itself does.
TForm1::TLayerKey TForm1::LayerKeyNow(const RECT& r, bool hasBackground) const {
  TLayerKey key;
  key.Width = r.right;
  key.Height = r.bottom;
  key.Settings = Settings;
  key.GridMode = Graph->GridMode;
  key.HasBackground = hasBackground;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (hasBackground &&
      GetFileAttributesExA(Settings.BackgroundFile.c_str(), GetFileExInfoStandard, &data)) {
    key.FileSize = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    key.FileTime = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
                   data.ftLastWriteTime.dwLowDateTime;
  }
  return key;
}

// Both pictures, or neither: without them the window draws every repaint from nothing.
bool TForm1::KeepPictures(const RECT& r) {
  if (pictureCanvas_ && picture_.Width == r.right && picture_.Height == r.bottom) return true;
  pictureGraph_.reset();
  pictureCanvas_.reset();
  layerValid_ = pictureValid_ = false;
  win::TWindowDC screen(scrollBox1_);
  if (!layer_.Make(screen.get(), r.right, r.bottom) ||
      !picture_.Make(screen.get(), r.right, r.bottom)) {
    layer_.Make(nullptr, 0, 0);
    picture_.Make(nullptr, 0, 0);
    return false;
  }
  try {
    pictureCanvas_.reset(new TGdiCanvas(picture_.Dc.get(), false));
    pictureGraph_.reset(new TOVGraphic(pictureCanvas_.get(), TRect{0, 0, r.right, r.bottom}));
  } catch (const std::bad_alloc&) {
    pictureGraph_.reset();
    pictureCanvas_.reset();
    return false;
  }
  return true;
}

void TForm1::ComposeLayer(const RECT& r, bool hasBackground) {
  HDC dc = layer_.Dc.get();
  PaintGround(dc, r, r, hasBackground);
  TGdiCanvas canvas(dc, false);
  DrawLayer(canvas, r, hasBackground);
}

void TForm1::ComposePicture(const RECT& r) {
  HDC dc = picture_.Dc.get();
  BitBlt(dc, 0, 0, r.right, r.bottom, layer_.Dc.get(), 0, 0, SRCCOPY);
  SetBkMode(dc, TRANSPARENT);
  SetupGraph(*pictureGraph_, *pictureCanvas_, r);
  DrawTraces(*pictureGraph_, *pictureCanvas_);
  pictureColor_ = lineColor_;
  pictureWidth_ = paintedLineWidth_;
  pictureValid_ = true;
}

// The layer is drawn again when what it shows changed, the picture when the layer, the line
// colour or width or the stored traces did; otherwise a repaint is one copy.
void TForm1::DrawKeptOnScreen(const RECT& r, bool hasBackground) {
  const TLayerKey key = LayerKeyNow(r, hasBackground);
  if (!layerValid_ || !(key == layerKey_)) {
    ComposeLayer(r, hasBackground);
    layerKey_ = key;
    layerValid_ = true;
    pictureValid_ = false;
  }
  if (!pictureValid_ || pictureColor_ != lineColor_ || pictureWidth_ != paintedLineWidth_)
    ComposePicture(r);
  win::TWindowDC screen(scrollBox1_);
  BitBlt(screen.get(), 0, 0, r.right, r.bottom, picture_.Dc.get(), 0, 0, SRCCOPY);
  NotePendingPixels();
  ShowPendingPixels();
}

// The graph lays out the page itself; the background picture gets the page's width and, on a
// portrait page, the height of the page turned sideways, as the graph does.
void TForm1::DrawOnPrinter(const RECT& r, bool hasBackground) {
  HDC page = printerPage_;
  SetBkMode(page, TRANSPARENT);
  if (hasBackground) {
    const TPictureSize size =
        PrinterPictureSize(GetDeviceCaps(page, HORZRES), GetDeviceCaps(page, VERTRES),
                           GetDeviceCaps(page, ASPECTX), GetDeviceCaps(page, ASPECTY));
    background_.Draw(page, RECT{0, 0, size.Width, size.Height});
  }
  TGdiCanvas canvas(page, true);
  DrawPicture(canvas, r, hasBackground);
}

void TForm1::OnPictureFault() {
  const std::string text = background_.TakeNewFault();
  if (!text.empty()) ShowErrorBox(hwnd_, text);
}

void TForm1::Drucken2Click() {
  try {
    ShowPendingPixels();  // the screen shows what goes to the page
    PrintPicture();
  } catch (const std::exception& e) {
    printerPage_ = nullptr;
    ShowErrorBox(hwnd_, e.what());
  }
}

// With an unreadable background picture nothing is printed: the page would lack the map that
// the curves belong to.
void TForm1::PrintPicture() {
  TPrintJob job;
  std::string error = job.Start(Caption());
  if (error.empty()) {
    printerPage_ = job.Page();
    Redraw(true);
    printerPage_ = nullptr;
    if (background_.State() == TBackgroundPicture::TState::Unreadable) {
      job.Abort();
      background_.TakeNewFault();
      error = background_.Fault();
    } else {
      error = job.Finish();
    }
  }
  if (!error.empty()) ShowErrorBox(hwnd_, error);
}
