// ovcomps (Windows): TRealEdit and TIntegerEdit, single-line EDIT windows that take only
// numbers, check their text when the focus leaves them for another control of the same
// window, put back their last accepted value on a bad entry, and show their range on a
// right click. The decisions come from the portable part (controls/ovcomps.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "controls/ovcomps.h"

// Where a new field goes: parent window, control id and rectangle in the parent's client area.
struct TEditPlacement {
  HWND Parent = nullptr;
  int Id = 0;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// The window side that both fields share. The object owns its EDIT window: destroying the
// object destroys the window; a window destroyed first (with its parent) leaves the object
// detached, with a null Handle().
class TNumberEdit {
 public:
  virtual ~TNumberEdit();
  TNumberEdit(const TNumberEdit&) = delete;
  TNumberEdit& operator=(const TNumberEdit&) = delete;

  HWND Handle() const { return hwnd_; }
  std::string Text() const;
  void SetText(const std::string& text);
  bool ReadOnly() const;

  // Whether a typed character reaches the field.
  virtual bool AcceptsChar(char ch) const = 0;
  // Check code (ccAccepted .. ccZeroRefused) of the present text; changes nothing.
  virtual int CheckText() const = 0;
  // The check when the focus leaves the field: a bad text is replaced by the last accepted
  // value, the focus goes back to the field and UM_VALUEERROR is posted to it.
  bool AcceptText();
  // Shows the permitted range in a message box.
  void ShowRange();

 protected:
  // Subclasses the existing EDIT window and gives it the initial text.
  TNumberEdit(HWND edit, const char* initialText);
  // Creates a bordered EDIT window at the placement.
  static HWND CreateEditWindow(const TEditPlacement& place);

  virtual TMessageBoxData RangeMessage(const TResTextLookup& resText) const = 0;
  // Writes Value with LastValue.
  virtual void RestoreLastValue() = 0;
  // Reads Value, which updates LastValue.
  virtual void TakeValue() = 0;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
  void ShowValueError(int code);
  void Detach();

  HWND hwnd_ = nullptr;
};

// An edit field for one 80-bit real.
class TRealEdit : public TNumberEdit {
 public:
  explicit TRealEdit(const TEditPlacement& place);
  // Takes over an EDIT window that already exists (and then owns it).
  explicit TRealEdit(HWND edit);

  long double MinValue() const { return data_.MinValue; }
  void SetMinValue(long double v) { data_.MinValue = v; }
  long double MaxValue() const { return data_.MaxValue; }
  void SetMaxValue(long double v) { data_.MaxValue = v; }
  bool IsZeroAllowed() const { return data_.IsZeroAllowed; }
  void SetIsZeroAllowed(bool allowed) { data_.IsZeroAllowed = allowed; }
  const std::string& Format() const { return data_.Format; }
  void SetFormat(const std::string& format) { data_.Format = format; }
  bool NoBlanks() const { return data_.NoBlanks; }
  void SetNoBlanks(bool noBlanks) { data_.NoBlanks = noBlanks; }
  long double LastValue() const { return data_.LastValue; }

  // The number of the text when it is one within the range (which becomes LastValue),
  // else LastValue.
  long double Value();
  // Sets LastValue, without any check, and writes the value as the field's text.
  void SetValue(long double value);

  bool AcceptsChar(char ch) const override { return RealAcceptsChar(ch); }
  int CheckText() const override { return data_.CheckText(Text()); }

 protected:
  TMessageBoxData RangeMessage(const TResTextLookup& resText) const override;
  void RestoreLastValue() override { SetValue(data_.LastValue); }
  void TakeValue() override { Value(); }

 private:
  TRealEditData data_;
};

// An edit field for one 32-bit signed integer.
class TIntegerEdit : public TNumberEdit {
 public:
  explicit TIntegerEdit(const TEditPlacement& place);
  // Takes over an EDIT window that already exists (and then owns it).
  explicit TIntegerEdit(HWND edit);

  int32_t MinValue() const { return data_.MinValue; }
  void SetMinValue(int32_t v) { data_.MinValue = v; }
  int32_t MaxValue() const { return data_.MaxValue; }
  void SetMaxValue(int32_t v) { data_.MaxValue = v; }
  bool IsZeroAllowed() const { return data_.IsZeroAllowed; }
  void SetIsZeroAllowed(bool allowed) { data_.IsZeroAllowed = allowed; }
  const std::string& Format() const { return data_.Format; }
  void SetFormat(const std::string& format) { data_.Format = format; }
  bool NoBlanks() const { return data_.NoBlanks; }
  void SetNoBlanks(bool noBlanks) { data_.NoBlanks = noBlanks; }
  int32_t LastValue() const { return data_.LastValue; }

  // The integer of the text when it is one within the range (which becomes LastValue),
  // else LastValue.
  int32_t Value();
  // Sets LastValue, without any check, and writes the value as the field's text.
  void SetValue(int32_t value);

  bool AcceptsChar(char ch) const override { return IntegerAcceptsChar(ch); }
  int CheckText() const override { return data_.CheckText(Text()); }

 protected:
  TMessageBoxData RangeMessage(const TResTextLookup& resText) const override;
  void RestoreLastValue() override { SetValue(data_.LastValue); }
  void TakeValue() override { Value(); }

 private:
  TIntegerEditData data_;
};
