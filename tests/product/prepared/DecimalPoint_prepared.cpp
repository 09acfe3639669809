// Numbers keep "." as their decimal point for a user with German number settings: the
// user's decimal separator is "," (set as the control panel sets it, for the Wine prefix of
// the test run; tests/wine-extra.cmake puts the prefix's own settings back afterwards), and
// the process's C runtime runs in the German locale, as a host program may switch it.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "block/TrazelDg_win.h"
#include "block/TrazelFm_win.h"
#include "controls/ovcomps_win.h"
#include "support/UiDriver_win.h"

namespace {

std::string UserNumberSetting(LCTYPE type) {
  char text[8] = "";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, sizeof text);
  return text;
}

class GermanLocale : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    decimal_ = UserNumberSetting(LOCALE_SDECIMAL);
    thousand_ = UserNumberSetting(LOCALE_STHOUSAND);
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, ",");
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, ".");
    std::setlocale(LC_ALL, "German_Germany.1252");
  }
  static void TearDownTestSuite() {
    std::setlocale(LC_ALL, "C");
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal_.c_str());
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand_.c_str());
  }

  void SetUp() override {
    ASSERT_EQ(UserNumberSetting(LOCALE_SDECIMAL), ",") << "the user's separator was not set";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",") << "the C runtime is not German";
    form_ = uitest::CreateTestWindow("Form");
  }
  void TearDown() override { DestroyWindow(form_); }

  static std::string decimal_;
  static std::string thousand_;
  HWND form_ = nullptr;
};

std::string GermanLocale::decimal_;
std::string GermanLocale::thousand_;

}  // namespace

TEST_F(GermanLocale, TheFieldsWriteAndReadAPoint) {
  TRealEdit field(TEditPlacement{form_, 1, 0, 0, 100, 20});
  const struct {
    const char* Format;
    long double Value;
    const char* Text;
  } cases[] = {{"%16.10g", 2.5L, "2.5"},     {"%16.10g", -1234.5L, "-1234.5"},
               {"%8.3f", 0.125L, "0.125"},   {"%10.4e", 1234.56L, "1.235E+003"},
               {"DEFAULT", 0.75L, "0.75"}};
  for (const auto& c : cases) {
    field.SetFormat(c.Format);
    field.SetValue(c.Value);
    EXPECT_EQ(field.Text(), c.Text);
  }
  field.SetText("3.75");
  EXPECT_EQ(field.Value(), 3.75L);
  field.SetText("1,5");
  EXPECT_EQ(field.CheckText(), ccNoNumber);
  EXPECT_EQ(field.Value(), 3.75L);
  // A typed comma is refused.
  SetFocus(field.Handle());
  field.SetText("");
  uitest::TypeText(field.Handle(), "1,5");
  uitest::PumpPending();
  EXPECT_EQ(field.Text(), "15");
}

TEST_F(GermanLocale, TheRangeMessageWritesAPoint) {
  TRealEdit field(TEditPlacement{form_, 1, 0, 0, 100, 20});
  field.SetMinValue(-0.5L);
  field.SetMaxValue(2.25L);
  uitest::TBoxWatcher watcher(GetCurrentThreadId());
  PostMessageA(field.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
  ASSERT_TRUE(uitest::PumpUntil([&] { return watcher.Count() == 1; }));
  EXPECT_EQ(watcher.Boxes()[0].Text, "Zul\xE4ssiger Wertebereich:\n\rvon: -0.5\n\rbis: 2.25");
}

TEST_F(GermanLocale, TheSettingsDialogShowsAndTakesPoints) {
  TPlotSettings settings;
  settings.XMin = -2.5L;
  settings.YMax = 0.001L;
  const DWORD thread = GetCurrentThreadId();
  std::string xMinText, yMaxText;
  uitest::TDriver driver(thread, [&] {
    HWND dialog = nullptr;
    uitest::WaitFor([&] {
      return (dialog = uitest::FindThreadWindow(thread, [](HWND w) {
                return uitest::WindowText(w) == "Einstellungen";
              })) != nullptr;
    });
    if (!dialog) return;
    xMinText = uitest::WindowText(GetDlgItem(dialog, kXMinEdit));
    yMaxText = uitest::WindowText(GetDlgItem(dialog, kYMaxEdit));
    HWND yMin = GetDlgItem(dialog, kYMinEdit);
    PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(yMin), TRUE);
    uitest::WaitFor([&] { return uitest::FocusOf(thread) == yMin; });
    uitest::TypeText(yMin, "0.75");
    uitest::WaitFor([&] { return uitest::WindowText(yMin) == "0.75"; });
    uitest::PressKey(yMin, VK_RETURN);
  });
  EXPECT_TRUE(RunSettingsDialog(nullptr, settings));
  driver.Join();
  EXPECT_EQ(xMinText, "-2.5");
  EXPECT_EQ(yMaxText, "0.001");
  EXPECT_EQ(settings.YMin, 0.75L);
}

TEST_F(GermanLocale, TheStatusBarWritesAPoint) {
  RegisterPlotWindowClasses();
  {
    TForm1 plot;
    plot.Settings.XMax = 0.5L;
    plot.Settings.YMin = -12345.0L;
    plot.UpdateStatusBar();
    const std::string text = plot.StatusText();
    EXPECT_NE(text.find("    0.5]"), std::string::npos) << text;
    EXPECT_NE(text.find("-1.23E4,"), std::string::npos) << text;
    EXPECT_EQ(text.find(','), text.find(", "));  // every comma is a separator of the ranges
  }
  UnregisterPlotWindowClasses();
}
