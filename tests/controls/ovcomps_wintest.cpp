// The numeric edit fields as windows: real characters, focus changes and right clicks sent to
// them, and the message boxes they open read while they are open.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "controls/ovcomps_win.h"
#include "product/Application_win.h"
#include "product/OVString_win.h"
#include "support/TestStringLibrary_win.h"
#include "support/UiDriver_win.h"

using uitest::TBoxInfo;
using uitest::TBoxWatcher;
using uitest::TStringLibraryKind;
using uitest::TStringLibraryScope;

namespace {

const std::string kRangeTitle = "Zul\xE4ssiger Wertebereich";

// A form with one field of each kind and a plain EDIT window to move the focus to.
class NumberEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = uitest::CreateTestWindow("Form");
    real_ = std::make_unique<TRealEdit>(TEditPlacement{form_, 10, 10, 10, 120, 21});
    integer_ = std::make_unique<TIntegerEdit>(TEditPlacement{form_, 11, 10, 40, 60, 21});
    other_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 70, 60, 21, form_, nullptr,
                             nullptr, nullptr);
    uitest::PumpPending();
  }
  void TearDown() override {
    real_.reset();
    integer_.reset();
    DestroyWindow(form_);
    uitest::PumpPending();
  }

  // Types text into the field as WM_CHAR messages through the message loop.
  static void Type(TNumberEdit& field, const std::string& text) {
    uitest::TypeText(field.Handle(), text);
    uitest::PumpPending();
  }

  // Gives field the focus with text in it, then moves the focus to the other control, and
  // collects the message boxes that open afterwards.
  std::vector<TBoxInfo> Leave(TNumberEdit& field, const std::string& text, size_t boxes = 1) {
    SetFocus(field.Handle());
    field.SetText(text);
    TBoxWatcher watcher(GetCurrentThreadId());
    SetFocus(other_);
    // The error is posted: nothing has opened yet, but the old value is back already.
    EXPECT_EQ(watcher.Count(), 0u);
    afterLeave_ = field.Text();
    focusAfterLeave_ = GetFocus();
    uitest::PumpUntil([&] { return watcher.Count() >= boxes; }, boxes ? 3000 : 150);
    uitest::PumpUntil([] { return false; }, 50);  // lets a box that should not come show up
    return watcher.Boxes();
  }

  // Right click on the field; returns the box it opened.
  TBoxInfo RightClick(TNumberEdit& field, TBoxWatcher::TProbe probe = {}) {
    TBoxWatcher watcher(GetCurrentThreadId(), std::move(probe));
    PostMessageA(field.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageA(field.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    uitest::PumpUntil([&] { return watcher.Count() >= 1; });
    uitest::PumpUntil([] { return false; }, 50);
    const auto boxes = watcher.Boxes();
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? TBoxInfo{} : boxes.front();
  }

  HWND form_ = nullptr;
  HWND other_ = nullptr;
  std::unique_ptr<TRealEdit> real_;
  std::unique_ptr<TIntegerEdit> integer_;
  std::string afterLeave_;
  HWND focusAfterLeave_ = nullptr;
};

}  // namespace

TEST_F(NumberEditTest, NewFieldsAreSubclassedEditWindowsWithTheirFirstTexts) {
  EXPECT_EQ(uitest::ClassOf(real_->Handle()), "Edit");
  EXPECT_EQ(real_->Text(), "0.00");
  EXPECT_EQ(real_->LastValue(), 0.0L);
  EXPECT_EQ(real_->Format(), "%16.10g");
  EXPECT_TRUE(real_->IsZeroAllowed());
  EXPECT_TRUE(real_->NoBlanks());
  EXPECT_EQ(integer_->Text(), "0");
  EXPECT_EQ(integer_->Format(), "%3d");
  EXPECT_EQ(GetDlgCtrlID(real_->Handle()), 10);
  EXPECT_EQ(GetParent(integer_->Handle()), form_);
}

TEST_F(NumberEditTest, TypedCharactersPassTheFilterOrAreDropped) {
  const struct {
    TNumberEdit* Field;
    const char* Typed;
    const char* Text;
  } cases[] = {
      {real_.get(), "+-.0123456789Ee", "+-.0123456789Ee"},
      {real_.get(), "1,5a x\t\x01", "15"},
      {real_.get(), "12\b3", "13"},
      {integer_.get(), "+-0123456789", "+-0123456789"},
      {integer_.get(), "1.5e3E", "153"},
  };
  for (const auto& c : cases) {
    c.Field->SetText("");
    SetFocus(c.Field->Handle());
    Type(*c.Field, c.Typed);
    EXPECT_EQ(c.Field->Text(), c.Text) << c.Typed;
  }
}

TEST_F(NumberEditTest, ATypedNumberIsTakenWhenTheFocusLeaves) {
  SetFocus(real_->Handle());
  real_->SetText("");
  Type(*real_, "1.5e3");
  EXPECT_TRUE(Leave(*real_, real_->Text(), 0).empty());
  EXPECT_EQ(real_->LastValue(), 1500.0L);
  EXPECT_EQ(real_->Text(), "1.5e3");
  EXPECT_EQ(GetFocus(), other_);
}

TEST_F(NumberEditTest, ABadTextIsReplacedAndReportedAfterTheFocusChange) {
  const struct {
    long double Min, Max;
    bool ZeroAllowed;
    const char* Text;
    const char* Message;
  } cases[] = {
      {0, 5, true, "7", "Zahlenwert zu gro\xDF"},
      {0, 5, true, "-1", "Zahlenwert zu klein"},
      {0, 5, true, "abc", "Falsches Zahlenformat"},
      {0, 5, true, "", "Falsches Zahlenformat"},
      {0, 5, true, "1-2", "Falsches Zahlenformat"},
      {0, 0, false, "0", "Zahlenwert 0 nicht erlaubt"},
      {0, 0, false, "0.0", "Zahlenwert 0 nicht erlaubt"},
      {10, 1, true, "5", "Zahlenwert zu klein"},
      {10, 1, true, "20", "Zahlenwert zu gro\xDF"},
  };
  for (const auto& c : cases) {
    real_->SetMinValue(c.Min);
    real_->SetMaxValue(c.Max);
    real_->SetIsZeroAllowed(c.ZeroAllowed);
    real_->SetValue(2.5);
    const auto boxes = Leave(*real_, c.Text);
    ASSERT_EQ(boxes.size(), 1u) << c.Text;
    EXPECT_EQ(afterLeave_, "2.5") << c.Text;
    EXPECT_EQ(focusAfterLeave_, real_->Handle()) << c.Text;
    EXPECT_EQ(boxes[0].Text, c.Message) << c.Text;
    EXPECT_EQ(boxes[0].Caption, "Fehler");
    EXPECT_TRUE(boxes[0].WarningIcon);
    EXPECT_EQ(boxes[0].Buttons, std::vector<int>{IDOK});
    EXPECT_EQ(boxes[0].Owner, form_);
    EXPECT_EQ(real_->LastValue(), 2.5L);
    // Closing the box activates the form again, which gives the focus back to the field.
    uitest::ReactivateAfterBox(form_);
    EXPECT_EQ(GetFocus(), real_->Handle()) << c.Text;
  }
}

TEST_F(NumberEditTest, TheIntegerFieldChecksItsTextAsARealAgainstItsRange) {
  integer_->SetMinValue(0);
  integer_->SetMaxValue(100);
  integer_->SetValue(40);
  auto boxes = Leave(*integer_, "101");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Zahlenwert zu gro\xDF");
  EXPECT_EQ(afterLeave_, "40");

  EXPECT_TRUE(Leave(*integer_, "0", 0).empty());
  EXPECT_EQ(integer_->LastValue(), 0);
  // 12.5 passes the check but is no integer: the text stays and the value does not change.
  EXPECT_TRUE(Leave(*integer_, "12.5", 0).empty());
  EXPECT_EQ(integer_->Text(), "12.5");
  EXPECT_EQ(integer_->LastValue(), 0);

  integer_->SetMinValue(1);
  integer_->SetValue(0);  // written without a check
  EXPECT_EQ(integer_->Text(), "0");
  boxes = Leave(*integer_, "0");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Zahlenwert zu klein");
}

TEST_F(NumberEditTest, AReadOnlyFieldAcceptsAnyTextOnLeaving) {
  integer_->SetMinValue(1);
  integer_->SetMaxValue(10);
  SendMessageA(integer_->Handle(), EM_SETREADONLY, TRUE, 0);
  EXPECT_TRUE(Leave(*integer_, "99", 0).empty());
  EXPECT_EQ(integer_->Text(), "99");
  EXPECT_EQ(GetFocus(), other_);
}

TEST_F(NumberEditTest, LeavingTheWholeWindowIsNoExitFromTheField) {
  HWND elsewhere = uitest::CreateTestWindow("Elsewhere");
  HWND target = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, elsewhere,
                                nullptr, nullptr, nullptr);
  SetActiveWindow(form_);
  SetFocus(real_->Handle());
  real_->SetText("abc");
  TBoxWatcher watcher(GetCurrentThreadId());
  SetFocus(target);
  uitest::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(watcher.Count(), 0u);
  EXPECT_EQ(real_->Text(), "abc");
  DestroyWindow(elsewhere);
}

TEST_F(NumberEditTest, TwoBadFieldsDoNotTakeTheFocusFromEachOther) {
  real_->SetValue(1);
  SetFocus(real_->Handle());
  integer_->SetText("1-");  // a bad text the program put there
  real_->SetText("e.");
  TBoxWatcher watcher(GetCurrentThreadId());
  SetFocus(integer_->Handle());
  EXPECT_EQ(GetFocus(), real_->Handle());
  uitest::PumpUntil([&] { return watcher.Count() >= 1; });
  uitest::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(integer_->Text(), "1-");
  EXPECT_EQ(real_->Text(), "1");
}

TEST_F(NumberEditTest, OnlyTheFourCheckCodesOpenABox) {
  TBoxWatcher watcher(GetCurrentThreadId());
  for (LPARAM code : {0, 5, -1, 1000}) PostMessageA(real_->Handle(), UM_VALUEERROR, 0, code);
  uitest::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(watcher.Count(), 0u);
  for (LPARAM code = 1; code <= 4; ++code) {
    PostMessageA(real_->Handle(), UM_VALUEERROR, 0, code);
    uitest::PumpUntil([&] { return watcher.Count() >= static_cast<size_t>(code); });
  }
  const auto boxes = watcher.Boxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].Text, "Falsches Zahlenformat");
  EXPECT_EQ(boxes[1].Text, "Zahlenwert zu gro\xDF");
  EXPECT_EQ(boxes[2].Text, "Zahlenwert zu klein");
  EXPECT_EQ(boxes[3].Text, "Zahlenwert 0 nicht erlaubt");
}

TEST_F(NumberEditTest, TheRightButtonShowsTheRangeWithoutStringLibrary) {
  const struct {
    long double Min, Max;
    bool ZeroAllowed;
    std::string Text;
  } cases[] = {
      {0, 0, true, kRangeTitle + ":\n\rkeine Einschr\xE4nkungen"},
      {0, 0, false, kRangeTitle + ":\n\rkeine Einschr\xE4nkungen\r\n(Wert 0 nicht erlaubt)"},
      {0, 5, false, kRangeTitle + ":\n\rvon: 0\n\rbis: 5\r\n(Wert 0 nicht erlaubt)"},
      {-1.5, 1e20L, true, kRangeTitle + ":\n\rvon: -1.5\n\rbis: 1E20"},
  };
  for (const auto& c : cases) {
    real_->SetMinValue(c.Min);
    real_->SetMaxValue(c.Max);
    real_->SetIsZeroAllowed(c.ZeroAllowed);
    const TBoxInfo box = RightClick(*real_);
    EXPECT_EQ(box.Text, c.Text);
    EXPECT_EQ(box.Caption, kRangeTitle);
    EXPECT_EQ(box.Owner, nullptr);
    EXPECT_TRUE(box.WarningIcon);
    EXPECT_EQ(box.Buttons, std::vector<int>{IDOK});
  }
}

TEST_F(NumberEditTest, TheLineWidthFieldShowsItsRangeAndNeverComplains) {
  integer_->SetMinValue(1);
  integer_->SetMaxValue(10);
  SendMessageA(integer_->Handle(), EM_SETREADONLY, TRUE, 0);
  integer_->SetValue(1);
  EXPECT_EQ(RightClick(*integer_).Text, kRangeTitle + ":\n\rvon: 1\n\rbis: 10");
  EXPECT_TRUE(Leave(*integer_, "abc", 0).empty());
}

// The right button belongs to the range message: the EDIT window's own menu never opens, not
// on the button, not on the menu key.
TEST_F(NumberEditTest, NoContextMenuOpens) {
  TBoxWatcher watcher(GetCurrentThreadId());
  SetFocus(real_->Handle());
  // The menu key, and the right button: no menu, only the range box.
  const LRESULT result = SendMessageA(real_->Handle(), WM_CONTEXTMENU,
                                      reinterpret_cast<WPARAM>(real_->Handle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(result, 0);
  PostMessageA(real_->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  PostMessageA(real_->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  uitest::PumpUntil([&] { return watcher.Count() >= 1; });
  uitest::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.MenusClosed(), 0);

  // A plain EDIT window does open its menu: the check above can see one. A menu closes by
  // itself when another program's window takes the foreground (other test processes run at
  // the same time), so the plain window gets three chances to show that a menu is seen.
  TBoxWatcher plain(GetCurrentThreadId());
  for (int attempt = 0; attempt < 3 && plain.MenusClosed() == 0; ++attempt) {
    SetForegroundWindow(form_);
    SendMessageA(other_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(other_), MAKELPARAM(20, 80));
  }
  EXPECT_EQ(plain.MenusClosed(), 1);
}

TEST_F(NumberEditTest, ARangeBoxOverATopmostWindowIsTopmostToo) {
  SetWindowPos(form_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(RightClick(*real_).Topmost);
}

TEST_F(NumberEditTest, ValuesAreWrittenWithTheFormatAndReadBack) {
  const struct {
    const char* Format;
    bool NoBlanks;
    long double Value;
    const char* Text;
  } cases[] = {
      {"%16.10g", true, 2.5L, "2.5"},
      {"%16.10g", true, 0, "0"},
      {"%16.10g", false, 0, "               0"},
      {"%16.10g", true, 12345678901.0L, "1.23456789E10"},
      {"%16.10g", true, 1e40L, "1E40"},
      {"%8.3f", true, -1.5L, "-1.500"},
      {"DEFAULT", true, 1234.56L, "1234.56"},
      {"dEfAuLt", false, 0.5L, "0.5"},
  };
  for (const auto& c : cases) {
    real_->SetFormat(c.Format);
    real_->SetNoBlanks(c.NoBlanks);
    real_->SetValue(c.Value);
    EXPECT_EQ(real_->Text(), c.Text) << c.Format << " " << static_cast<double>(c.Value);
    EXPECT_EQ(real_->LastValue(), c.Value);
  }
  integer_->SetNoBlanks(false);
  integer_->SetValue(7);
  EXPECT_EQ(integer_->Text(), "  7");
  integer_->SetNoBlanks(true);
  integer_->SetValue(-7);
  EXPECT_EQ(integer_->Text(), "-7");
}

TEST_F(NumberEditTest, ReadingValueTakesOnlyANumberWithinTheRange) {
  real_->SetMinValue(0);
  real_->SetMaxValue(5);
  real_->SetIsZeroAllowed(false);
  real_->SetValue(2);
  const struct {
    const char* Text;
    long double Expected;
  } cases[] = {{"3.5", 3.5L}, {"7", 3.5L}, {"abc", 3.5L}, {"0", 0}, {" 1e0", 1}, {"1 ", 1}};
  for (const auto& c : cases) {
    real_->SetText(c.Text);
    EXPECT_EQ(real_->Value(), c.Expected) << c.Text;
    EXPECT_EQ(real_->LastValue(), c.Expected) << c.Text;
  }
  integer_->SetText("2147483648");
  EXPECT_EQ(integer_->Value(), 0);
  integer_->SetText("-2147483648");
  EXPECT_EQ(integer_->Value(), INT32_MIN);
}

// Numbers beyond the 32-bit float range are ordinary 80-bit values to the field.
TEST_F(NumberEditTest, NumbersBeyondTheFloatRangeAreAccepted) {
  for (const char* text : {"1e40", "-3.4e39", "1e4000", "1e-50"}) {
    EXPECT_TRUE(Leave(*real_, text, 0).empty()) << text;
    EXPECT_EQ(real_->Text(), text);
  }
  EXPECT_EQ(real_->Value(), 1e-50L);
}

TEST_F(NumberEditTest, TheObjectOwnsItsWindowUntilTheWindowGoesFirst) {
  HWND window = real_->Handle();
  real_.reset();
  EXPECT_FALSE(IsWindow(window));

  window = integer_->Handle();
  DestroyWindow(window);
  EXPECT_EQ(integer_->Handle(), nullptr);
  integer_.reset();  // nothing left to do
}

TEST_F(NumberEditTest, AnExistingEditWindowCanBeTakenOver) {
  HWND edit = CreateWindowExA(0, "EDIT", "5", WS_CHILD | WS_VISIBLE | ES_READONLY, 0, 100, 40, 20,
                              form_, nullptr, nullptr, nullptr);
  {
    TIntegerEdit field(edit);
    EXPECT_EQ(field.Text(), "0");
    EXPECT_TRUE(field.ReadOnly());
    SetFocus(edit);
    Type(field, "12");
    EXPECT_EQ(field.Text(), "0");  // read-only: the EDIT window itself refuses
  }
  EXPECT_FALSE(IsWindow(edit));
}

// ---------------------------------------------------------------------------------------------
// With the host's string library

class NumberEditWithLibraryTest : public NumberEditTest {
 protected:
  void SetUp() override {
    NumberEditTest::SetUp();
    host_ = uitest::CreateTestWindow("Host");
    app::SetHostOwner(host_);
    SetActiveWindow(form_);
  }
  void TearDown() override {
    app::SetHostOwner(nullptr);
    DestroyWindow(host_);
    NumberEditTest::TearDown();
  }
  HWND host_ = nullptr;
};

TEST_F(NumberEditWithLibraryTest, ErrorsComeFromTheLibraryInTheApplicationsBox) {
  TStringLibraryScope library(TStringLibraryKind::Full);
  real_->SetMinValue(0);
  real_->SetMaxValue(5);
  real_->SetValue(1);
  SetFocus(real_->Handle());
  real_->SetText("9");
  bool formEnabled = true;
  TBoxWatcher watcher(GetCurrentThreadId(), [&](const TBoxInfo&) {
    formEnabled = IsWindowEnabled(form_);
  });
  SetFocus(other_);
  uitest::PumpUntil([&] { return watcher.Count() >= 1; });
  const auto boxes = watcher.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Zahlenwert zu gro\xDF");
  EXPECT_EQ(boxes[0].Caption, "Fehler");
  EXPECT_EQ(boxes[0].Owner, host_);
  EXPECT_TRUE(boxes[0].WarningIcon);
  EXPECT_FALSE(formEnabled);
  EXPECT_TRUE(IsWindowEnabled(form_));
}

TEST_F(NumberEditWithLibraryTest, AMissingCaptionShowsTheLibrarysFallback) {
  TStringLibraryScope library(TStringLibraryKind::Partial);
  const auto boxes = Leave(*real_, "abc");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "String-Resource nicht gefunden!");
  EXPECT_EQ(boxes[0].Caption, "Fehler");
  EXPECT_EQ(boxes[0].Owner, host_);
}

TEST_F(NumberEditWithLibraryTest, TheRangeComesFromTheLibraryOwnedByTheFieldsParent) {
  {
    TStringLibraryScope library(TStringLibraryKind::Full);
    integer_->SetMinValue(0);
    integer_->SetMaxValue(100);
    integer_->SetIsZeroAllowed(false);
    const TBoxInfo box = RightClick(*integer_);
    EXPECT_EQ(box.Text, kRangeTitle + ":\n\rvon: 0\n\rbis: 100\r\n(Wert 0 nicht erlaubt)");
    EXPECT_EQ(box.Caption, kRangeTitle);
    EXPECT_EQ(box.Owner, form_);
  }
  {
    // Text 1552 is missing: the note is empty, without any error.
    TStringLibraryScope library(TStringLibraryKind::Partial);
    const TBoxInfo box = RightClick(*integer_);
    EXPECT_EQ(box.Text, kRangeTitle + ":\n\rvon: 0\n\rbis: 100\r\n");
  }
}
