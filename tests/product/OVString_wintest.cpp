// The host's string library as the block library uses it: loading from the folders it is given,
// texts by number, and the application's message box with its owner and the disabled windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "product/Application_win.h"
#include "product/OVString_win.h"
#include "support/TempFolder_win.h"
#include "support/TestStringLibrary_win.h"
#include "support/UiDriver_win.h"

using uitest::TBoxInfo;
using uitest::TBoxWatcher;
using uitest::TStringLibraryKind;
using uitest::TStringLibraryScope;

namespace {

constexpr char kNotFound[] = "String-Resource nicht gefunden!";

// Shows ResMessageBox on the test thread while a watcher reads and closes the box.
TBoxInfo ShowResBox(UINT textId, UINT captionId, UINT flags, int* result = nullptr,
                    TBoxWatcher::TProbe probe = {}) {
  TBoxWatcher watcher(GetCurrentThreadId(), std::move(probe));
  const int pressed = ResMessageBox(textId, captionId, flags);
  if (result) *result = pressed;
  const auto boxes = watcher.Boxes();
  EXPECT_EQ(boxes.size(), 1u);
  return boxes.empty() ? TBoxInfo{} : boxes.front();
}

class OVStringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = uitest::CreateTestWindow("Host");
    app::SetHostOwner(host_);
  }
  void TearDown() override {
    app::SetHostOwner(nullptr);
    DestroyWindow(host_);
  }
  HWND host_ = nullptr;
};

}  // namespace

TEST_F(OVStringTest, WithoutTheLibraryNothingIsLoadedAndEveryTextIsEmpty) {
  TStringLibraryScope library(TStringLibraryKind::None);
  EXPECT_EQ(StringLibrary(), nullptr);
  EXPECT_EQ(LoadResText(1011), "");
  EXPECT_EQ(ResText(1553), "");
  const TBoxInfo box = ShowResBox(1553, 1002, MB_ICONWARNING);
  EXPECT_EQ(box.Text, kNotFound);
  EXPECT_EQ(box.Caption, "Fehler");
}

TEST_F(OVStringTest, TextsOfTheLoadedLibraryComeByNumber) {
  TStringLibraryScope library(TStringLibraryKind::Full);
  ASSERT_NE(StringLibrary(), nullptr);
  const struct {
    UINT Id;
    const char* Text;
  } cases[] = {
      {1002, "Fehler"},
      {1011, "Zul\xE4ssiger Wertebereich"},
      {1316, "von: "},
      {1317, "bis: "},
      {1551, "keine Einschr\xE4nkungen"},
      {1552, "(Wert 0 nicht erlaubt)"},
      {1553, "Falsches Zahlenformat"},
      {1554, "Zahlenwert zu gro\xDF"},
      {1555, "Zahlenwert zu klein"},
      {1556, "Zahlenwert 0 nicht erlaubt"},
      {4711, ""},  // no such text
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LoadResText(c.Id), c.Text) << c.Id;
    EXPECT_EQ(ResText(c.Id), c.Text) << c.Id;
  }
}

TEST_F(OVStringTest, TextsAreCutTo254Characters) {
  TStringLibraryScope library(TStringLibraryKind::Full);
  std::string digits;
  for (int i = 0; i < 30; ++i) digits += "0123456789";
  const std::string exact = "0123" + digits.substr(0, 250);  // 254 characters in the library
  EXPECT_EQ(LoadResText(9254), exact);
  EXPECT_EQ(ResText(9254), exact);
  EXPECT_EQ(LoadResText(9300), digits.substr(0, 254));       // 300 characters in the library
  EXPECT_EQ(ResText(9300), digits.substr(0, 254));
}

TEST_F(OVStringTest, ResMessageBoxShowsTheTextsOwnedByTheHostWindow) {
  TStringLibraryScope library(TStringLibraryKind::Full);
  int result = 0;
  const TBoxInfo box = ShowResBox(1554, 1002, MB_ICONWARNING, &result);
  EXPECT_EQ(box.Text, "Zahlenwert zu gro\xDF");
  EXPECT_EQ(box.Caption, "Fehler");
  EXPECT_EQ(box.Owner, host_);
  EXPECT_TRUE(box.WarningIcon);
  EXPECT_EQ(box.Buttons, std::vector<int>{IDOK});
  EXPECT_EQ(result, IDOK);
}

TEST_F(OVStringTest, AMissingTextShowsTheLibrarysOwnMessageWithTheSameFlags) {
  TStringLibraryScope library(TStringLibraryKind::Partial);
  ASSERT_NE(StringLibrary(), nullptr);
  EXPECT_EQ(LoadResText(1002), "");
  EXPECT_EQ(LoadResText(1553), "Falsches Zahlenformat");
  for (UINT textId : {1553u, 1002u}) {
    const TBoxInfo box = ShowResBox(textId, textId == 1002 ? 1553 : 1002,
                                    MB_OKCANCEL | MB_ICONWARNING);
    EXPECT_EQ(box.Text, kNotFound) << textId;
    EXPECT_EQ(box.Caption, "Fehler");
    EXPECT_TRUE(box.WarningIcon);
    EXPECT_EQ(box.Buttons, (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_EQ(box.Owner, host_);
  }
}

TEST_F(OVStringTest, TheBoxDisablesTheThreadsWindowsAndRestoresThemAfterwards) {
  TStringLibraryScope library(TStringLibraryKind::Full);
  HWND other = uitest::CreateTestWindow("Other");
  HWND disabled = uitest::CreateTestWindow("Disabled");
  HWND hidden = uitest::CreateTestWindow("Hidden", 0, false);
  HWND closing = uitest::CreateTestWindow("Closing");
  EnableWindow(disabled, FALSE);
  SetActiveWindow(other);
  ASSERT_EQ(GetActiveWindow(), other);

  bool hostEnabled = true, otherEnabled = true, disabledEnabled = true, hiddenEnabled = false;
  ShowResBox(1553, 1002, MB_ICONWARNING, nullptr, [&](const TBoxInfo&) {
    hostEnabled = IsWindowEnabled(host_);
    otherEnabled = IsWindowEnabled(other);
    disabledEnabled = IsWindowEnabled(disabled);
    hiddenEnabled = IsWindowEnabled(hidden);
    // A window that goes away while the box is open is simply not enabled again.
    PostMessageA(closing, WM_CLOSE, 0, 0);
  });
  EXPECT_FALSE(hostEnabled);
  EXPECT_FALSE(otherEnabled);
  EXPECT_FALSE(disabledEnabled);
  EXPECT_TRUE(hiddenEnabled);

  EXPECT_TRUE(IsWindowEnabled(host_));
  EXPECT_TRUE(IsWindowEnabled(other));
  EXPECT_FALSE(IsWindowEnabled(disabled));
  EXPECT_TRUE(IsWindowEnabled(hidden));
  EXPECT_FALSE(IsWindow(closing));
  EXPECT_EQ(GetActiveWindow(), other);
  for (HWND w : {other, disabled, hidden}) DestroyWindow(w);
}

TEST_F(OVStringTest, WithoutAHostWindowTheBoxHasNoOwner) {
  TStringLibraryScope library(TStringLibraryKind::Full);
  app::SetHostOwner(nullptr);
  const TBoxInfo box = ShowResBox(1555, 1002, MB_ICONWARNING);
  EXPECT_EQ(box.Text, "Zahlenwert zu klein");
  EXPECT_EQ(box.Owner, nullptr);
}

// The plot window and the settings dialog stay on top of other windows; a box that opens
// while one of them is shown must not open behind it.
TEST_F(OVStringTest, TheBoxOpensAboveATopmostWindowOfTheThread) {
  TStringLibraryScope library(TStringLibraryKind::Full);
  EXPECT_FALSE(ShowResBox(1553, 1002, MB_ICONWARNING).Topmost);

  HWND topmost = uitest::CreateTestWindow("Topmost", WS_EX_TOPMOST);
  bool boxAbove = false;
  const TBoxInfo box = ShowResBox(1553, 1002, MB_ICONWARNING, nullptr, [&](const TBoxInfo& b) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
      if (w == b.Box) boxAbove = true;
      if (w == b.Box || w == topmost) break;
    }
  });
  EXPECT_TRUE(box.Topmost);
  EXPECT_TRUE(boxAbove);
  EXPECT_EQ(box.Owner, host_);
  DestroyWindow(topmost);
}

// Which test build the load step took: the full one has the caption 1002, the partial one not.
TStringLibraryKind LoadedKind() {
  if (!StringLibrary()) return TStringLibraryKind::None;
  return LoadResText(1002).empty() ? TStringLibraryKind::Partial : TStringLibraryKind::Full;
}

// The load step looks in the folders it is given, in their order, and nowhere else: a name that
// is not a full folder name is passed over, even where the current folder holds the library.
TEST(OVStringLoadStep, TheFirstGivenFolderThatHoldsTheLibraryGivesTheTexts) {
  const std::wstring full = uitest::StringLibraryFolder(TStringLibraryKind::Full);
  const std::wstring partial = uitest::StringLibraryFolder(TStringLibraryKind::Partial);
  const uitest::TTempFolder temp(L"ovstring5 \x0416\x03A9");  // outside the ANSI code page
  const std::wstring empty = temp.Folder(L"empty");
  const std::wstring wide = temp.Folder(L"Zeichenketten \x0416");
  ASSERT_FALSE(temp.Copy(full + L"\\OVSTRING5.DLL", L"Zeichenketten \x0416", L"OVSTRING5.DLL")
                   .empty());
  wchar_t before[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, before);
  SetCurrentDirectoryW(full.c_str());
  const struct {
    const char* Name;
    std::vector<std::wstring> Folders;
    TStringLibraryKind Loaded;
  } cases[] = {
      {"first of two", {full, partial}, TStringLibraryKind::Full},
      {"past folders without it", {empty, partial, full}, TStringLibraryKind::Partial},
      {"a trailing backslash", {partial + L"\\"}, TStringLibraryKind::Partial},
      {"a folder named outside the ANSI code page", {wide}, TStringLibraryKind::Full},
      {"no folder", {}, TStringLibraryKind::None},
      {"relative names and the current folder",
       {L"", L".", L"..\\full", L"ovstring5\\full"},
       TStringLibraryKind::None},
  };
  FreeStringLibrary();
  for (const auto& c : cases) {
    LoadStringLibrary(c.Folders);
    EXPECT_EQ(LoadedKind(), c.Loaded) << c.Name;
    FreeStringLibrary();
  }
  SetCurrentDirectoryW(before);
}

// A string library the host program has loaded itself is the one the host chose: it is used,
// wherever other ones lie, and the unload step leaves it loaded for the host.
TEST(OVStringLoadStep, TheHostsOwnStringLibraryIsUsedAndLeftToTheHost) {
  FreeStringLibrary();
  const std::wstring partial = uitest::StringLibraryFolder(TStringLibraryKind::Partial);
  const HMODULE own = LoadLibraryW((partial + L"\\OVSTRING5.DLL").c_str());
  ASSERT_NE(own, nullptr);
  LoadStringLibrary({uitest::StringLibraryFolder(TStringLibraryKind::Full)});
  EXPECT_EQ(StringLibrary(), own);
  EXPECT_EQ(LoadedKind(), TStringLibraryKind::Partial);
  FreeStringLibrary();
  EXPECT_EQ(GetModuleHandleW(kStringLibraryName), own);
  FreeLibrary(own);
  EXPECT_EQ(GetModuleHandleW(kStringLibraryName), nullptr) << "a reference was left behind";
}
