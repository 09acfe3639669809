// The block library as the simulation host sees it: loaded from its file, entry points by name.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "block/HostBlock.h"
#include "support/BlockHost_win.h"

namespace {

TEST(EntryPoints, AnswerTheHostsQueries) {
  TestHost host;
  const BlockEntryPoints& api = host.Api();
  api.IsUserDLL32();
  EXPECT_STREQ(api.GetDLLName(), "Trazel");
  EXPECT_STREQ(api.SetInputChar(), "xyS");
  EXPECT_EQ(api.NumberOfLinesInSystemFile(), 10);
  EXPECT_EQ(api.CanSimulateDLL(12345), 1);
  api.EndSimulationDLL();
}

TEST(EntryPoints, InputsOutputsRecordTouchesOnlyItsBytes) {
  TestHost host;
  uint8_t record[200];
  std::memset(record, 0xFF, sizeof record);
  host.Api().GetNumberOfInputsOutputs(record);
  EXPECT_EQ(record[0], 3);
  EXPECT_EQ(record[1], 0);
  EXPECT_STREQ(reinterpret_cast<char*>(record + 2), "x-Eingang");
  EXPECT_STREQ(reinterpret_cast<char*>(record + 43), "y-Eingang");
  EXPECT_STREQ(reinterpret_cast<char*>(record + 84), "Steuereingang");
  auto untouched = [&](int from, int to) {
    for (int i = from; i <= to; ++i)
      if (record[i] != 0xFF) return i;
    return -1;
  };
  EXPECT_EQ(untouched(12, 42), -1);
  EXPECT_EQ(untouched(53, 83), -1);
  EXPECT_EQ(untouched(98, 199), -1);
}

TEST(EntryPoints, ParameterAndDialogRecords) {
  TestHost host;
  uint8_t params[8];
  std::memset(params, 0xAA, sizeof params);
  host.Api().GetParameterStruct(params);
  const uint8_t wantParams[8] = {0, 0, 0, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_EQ(std::memcmp(params, wantParams, 8), 0);

  uint8_t dialog[16] = {};
  host.Api().GetDialogEnableStruct(dialog, 77);
  const uint8_t wantDialog[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                  0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0, 0, 0};
  EXPECT_EQ(std::memcmp(dialog, wantDialog, 16), 0);
}

TEST(PlotWindow, OpensTopmostWithDefaultsOwnedByTheHost) {
  TestHost host;
  HostBlock& block = host.Place();
  HWND window = host.WindowOf(block);
  ASSERT_TRUE(window);
  EXPECT_NE(block.WindowSlot(), 0u);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetWindow(window, GW_OWNER), host.HostWindow());
  char caption[64] = {};
  GetWindowTextA(window, caption, sizeof caption);
  EXPECT_STREQ(caption, "Trazel");
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, 473);
  EXPECT_EQ(r.top, 279);
  EXPECT_EQ(r.right - r.left, 372);
  EXPECT_EQ(r.bottom - r.top, 285);
  HWND status = FindChild(window, STATUSCLASSNAMEA);
  ASSERT_TRUE(status);
  EXPECT_EQ(StatusBarText(status), "x: [     -1,       1]   y: [     -1,       1]   ");
  EXPECT_TRUE(FindChild(window, TOOLBARCLASSNAMEA));
  EXPECT_TRUE(FindChild(window, UPDOWN_CLASSA));
}

TEST(PlotWindow, CloseMinimisesAndHideShowRestoresThePlace) {
  TestHost host;
  HostBlock& block = host.Place();
  HWND window = host.WindowOf(block);
  RECT before;
  GetWindowRect(window, &before);
  SendMessageA(window, WM_CLOSE, 0, 0);
  Settle();
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(IsIconic(window));
  host.Api().ShowWindowDLL(block.Record());
  Settle();
  EXPECT_FALSE(IsIconic(window));
  host.Api().HideWindowDLL(block.Record());
  Settle();
  EXPECT_TRUE(IsIconic(window));
  EXPECT_TRUE(IsWindowVisible(window));  // minimised, not hidden
  host.Api().ShowWindowDLL(block.Record());
  Settle();
  RECT after;
  GetWindowRect(window, &after);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST(PlotWindow, TwoBlocksHaveTheirOwnWindowsAndOneOutlivesTheOther) {
  TestHost host;
  HostBlock& first = host.Place("Erster");
  HostBlock& second = host.Place("Zweiter");
  HWND a = host.WindowOf(first), b = host.WindowOf(second);
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);
  EXPECT_NE(first.WindowSlot(), second.WindowSlot());
  uint32_t slot = first.WindowSlot();
  host.Api().DisposeUserDLL(first.Record());
  Settle();
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(first.WindowSlot(), slot);  // the host's record keeps its value
  ASSERT_TRUE(IsWindow(b));
  // The remaining block still runs a simulation and draws.
  host.InitRun(second, 0, 0, 0);
  host.Step(second, 0.5L, 0.5L, 0);
  Settle();
  char caption[64] = {};
  GetWindowTextA(b, caption, sizeof caption);
  EXPECT_STREQ(caption, "Zweiter");
  host.Forget(first);
}

TEST(PlotWindow, UnloadingTheLibraryDestroysWindowsTheHostLeftOpen) {
  HWND window = nullptr;
  {
    BlockLibrary lib;
    HostBlock block(nullptr, "Vergessen");
    lib.Api().InitUserDLL(block.Record());
    Settle();
    window = FindPlotWindow();
    ASSERT_TRUE(IsWindow(window));
  }  // FreeLibrary without DisposeUserDLL
  EXPECT_FALSE(IsWindow(window));
  Settle();  // nothing is left to call into the unloaded code
}

}  // namespace
