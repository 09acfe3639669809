// Product settings that Wine's reg tool wrote into the registry before this program started
// (see tests/wine-extra.cmake: each test runs with its own registry content).
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "controls/ovcomps_win.h"
#include "graphic/GdiCanvas_win.h"
#include "graphic/OVGraphic.h"
#include "product/OVConfig_win.h"
#include "support/DefaultOptions.h"
#include "support/DibSurface_win.h"
#include "support/UiDriver_win.h"

namespace {

// The grid mode that a graph object created after the load step starts with.
int NewGraphGridMode() {
  ReadProductOptions();
  TDibSurface surface(100, 100);
  TGdiCanvas canvas(surface.dc(), false);
  TOVGraphic graph(&canvas, TRect{0, 0, 100, 100});
  const int mode = graph.GridMode;
  ProductOptions = TOVOptions{};
  return mode;
}

bool KeyExists(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

// "Default Grid Mode" = "3"
TEST(PreparedRegistry, GridModeText3) { EXPECT_EQ(NewGraphGridMode(), 3); }

// "Default Grid Mode" = "0x2"
TEST(PreparedRegistry, GridModeHex2) { EXPECT_EQ(NewGraphGridMode(), 2); }

// "Default Grid Mode" = "abc"
TEST(PreparedRegistry, GridModeNoNumber) { EXPECT_EQ(NewGraphGridMode(), 0); }

// "Default Float Notation" = "1", "Default Float Width" = "10", "Default Float Precision" = "4"
TEST(PreparedRegistry, ScientificDefaultFormat) {
  ReadProductOptions();
  EXPECT_EQ(ProductOptions.FloatNotation, 1);
  EXPECT_EQ(ProductOptions.FloatWidth, 10);
  EXPECT_EQ(ProductOptions.FloatPrecision, 4);
  HWND form = uitest::CreateTestWindow("Form");
  {
    TRealEdit field(TEditPlacement{form, 1, 0, 0, 100, 20});
    field.SetFormat("DEFAULT");
    field.SetValue(1234.56L);
    EXPECT_EQ(field.Text(), "1.235E+003");
    field.SetNoBlanks(false);
    field.SetValue(-0.5L);
    EXPECT_EQ(field.Text(), "-5.000E-001");
  }
  DestroyWindow(form);
  ProductOptions = TOVOptions{};
}

// No key of the product at all: the library's load step creates the empty product key.
TEST(PreparedRegistry, NoProductKey) {
  ASSERT_FALSE(KeyExists("Software\\Brenfold\\Orvado 98"));
  HMODULE block = LoadLibraryA("Trazel64.dll");
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(KeyExists("Software\\Brenfold\\Orvado 98"));
  EXPECT_FALSE(KeyExists("Software\\Brenfold\\Orvado 98\\General Settings"));
  FreeLibrary(block);

  ExpectDefaultOptions(ReadOptionsFromRegistry());
}
