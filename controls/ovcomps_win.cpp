#include "controls/ovcomps_win.h"

#include <commctrl.h>

#include <vector>

#include "product/Application_win.h"
#include "product/OVString_win.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x4F56;  // one subclass per field window

// The string library's texts while it is loaded; an empty lookup while it is not, so the
// callers choose their built-in texts (the library is looked at every time a message is made).
TResTextLookup StringLibraryLookup() {
  if (!StringLibrary()) return {};
  return [](int id) { return ResText(static_cast<UINT>(id)); };
}

// Set while a field takes the focus back after a bad entry. The control that was about to get
// the focus then loses it before it ever had it; a field there must not run its own check.
bool g_restoringFocus = false;

// The top-level window that holds window.
HWND RootOf(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// TNumberEdit

TNumberEdit::TNumberEdit(HWND edit, const char* initialText) : hwnd_(edit) {
  if (!hwnd_) return;
  SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  SetText(initialText);
}

TNumberEdit::~TNumberEdit() {
  // The subclass goes first, so that nothing the destruction sends reaches this object.
  const HWND window = hwnd_;
  Detach();
  if (window) DestroyWindow(window);
}

HWND TNumberEdit::CreateEditWindow(const TEditPlacement& place) {
  return CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, place.Left,
                         place.Top, place.Width, place.Height, place.Parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.Id)),
                         app::ModuleInstance(), nullptr);
}

void TNumberEdit::Detach() {
  if (hwnd_) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
  hwnd_ = nullptr;
}

std::string TNumberEdit::Text() const {
  if (!hwnd_) return {};
  const int length = GetWindowTextLengthA(hwnd_);
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(hwnd_, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void TNumberEdit::SetText(const std::string& text) {
  if (hwnd_) SetWindowTextA(hwnd_, text.c_str());
}

bool TNumberEdit::ReadOnly() const {
  return hwnd_ && (GetWindowLongA(hwnd_, GWL_STYLE) & ES_READONLY) != 0;
}

bool TNumberEdit::AcceptText() {
  if (ReadOnly()) return true;
  const int code = CheckText();
  if (code > ccAccepted) {
    // Posted, not sent: the box opens once the focus change has run to its end.
    PostMessageA(hwnd_, UM_VALUEERROR, 0, code);
    RestoreLastValue();
    g_restoringFocus = true;
    SetFocus(hwnd_);
    g_restoringFocus = false;
    return false;
  }
  TakeValue();
  return true;
}

void TNumberEdit::ShowRange() {
  const TMessageBoxData box = RangeMessage(StringLibraryLookup());
  const HWND owner = box.Owner == TMessageOwner::FieldParent ? GetParent(hwnd_) : nullptr;
  MessageBoxOnTop(owner, box.Text.c_str(), box.Caption.c_str(), box.Style);
}

void TNumberEdit::ShowValueError(int code) {
  if (StringLibrary()) {
    ResMessageBox(static_cast<UINT>(ValueErrorTextId(code)), kValueErrorCaptionId,
                  kMbIconWarning);
    return;
  }
  const std::optional<TMessageBoxData> box = ValueErrorMessage(code, {});
  if (box) MessageBoxOnTop(GetParent(hwnd_), box->Text.c_str(), box->Caption.c_str(), box->Style);
}

LRESULT CALLBACK TNumberEdit::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
  auto* field = reinterpret_cast<TNumberEdit*>(self);
  if (msg == WM_NCDESTROY) {
    field->Detach();
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  // Nothing may leave a window procedure: the system's code lies between it and whoever
  // called (an i686 exception cannot even pass it). A failed check or box leaves the text.
  try {
    return field->OnMessage(msg, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT TNumberEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CHAR:
      // The subclass sees characters as UTF-16 units; every accepted one is ASCII.
      if (wParam > 0x7F || !AcceptsChar(static_cast<char>(wParam))) {
        MessageBeep(0);
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      return OnKillFocus(wParam, lParam);
    case WM_RBUTTONDOWN:
      ShowRange();
      return 0;
    case WM_CONTEXTMENU:
      return 0;  // the right button shows the range; there is no menu
    case UM_VALUEERROR:
      if (lParam >= ccNoNumber && lParam <= ccZeroRefused) ShowValueError(static_cast<int>(lParam));
      return 0;
    default:
      break;
  }
  return DefSubclassProc(hwnd_, msg, wParam, lParam);
}

// The check runs only when the focus goes to another control of the same window, after the
// EDIT window's own handling: not when the whole window loses the focus (a message box, another
// program), so a message box never triggers a check of its own.
LRESULT TNumberEdit::OnKillFocus(WPARAM wParam, LPARAM lParam) {
  const HWND self = hwnd_;
  const LRESULT result = DefSubclassProc(self, WM_KILLFOCUS, wParam, lParam);
  const HWND next = reinterpret_cast<HWND>(wParam);
  if (hwnd_ && !g_restoringFocus && next && next != self && IsWindow(next) &&
      RootOf(next) == RootOf(self))
    AcceptText();
  return result;
}

// ---------------------------------------------------------------------------------------------
// TRealEdit

TRealEdit::TRealEdit(const TEditPlacement& place) : TRealEdit(CreateEditWindow(place)) {}

TRealEdit::TRealEdit(HWND edit) : TNumberEdit(edit, "0.00") {}

long double TRealEdit::Value() {
  data_.LastValue = data_.ValueFromText(Text());
  return data_.LastValue;
}

void TRealEdit::SetValue(long double value) {
  data_.LastValue = value;
  SetText(data_.TextForValue(value));
}

TMessageBoxData TRealEdit::RangeMessage(const TResTextLookup& resText) const {
  return data_.RangeMessage(resText);
}

// ---------------------------------------------------------------------------------------------
// TIntegerEdit

TIntegerEdit::TIntegerEdit(const TEditPlacement& place) : TIntegerEdit(CreateEditWindow(place)) {}

TIntegerEdit::TIntegerEdit(HWND edit) : TNumberEdit(edit, "0") {}

int32_t TIntegerEdit::Value() {
  data_.LastValue = data_.ValueFromText(Text());
  return data_.LastValue;
}

void TIntegerEdit::SetValue(int32_t value) {
  data_.LastValue = value;
  SetText(data_.TextForValue(value));
}

TMessageBoxData TIntegerEdit::RangeMessage(const TResTextLookup& resText) const {
  return data_.RangeMessage(resText);
}
