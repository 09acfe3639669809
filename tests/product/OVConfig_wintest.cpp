// The product settings read from the real registry of the Wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "product/OVConfig_win.h"
#include "support/DefaultOptions.h"

namespace {

const std::string kSection = std::string(kProductKey) + "\\" + kSettingsSection;

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

void DeleteProductKeys() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brenfold"); }

void SetValue(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSection.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
}

void SetText(const char* name, const std::string& text, DWORD type = REG_SZ) {
  SetValue(name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

class OVConfigRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteProductKeys(); }
  void TearDown() override { DeleteProductKeys(); }
};

}  // namespace

TEST_F(OVConfigRegistryTest, AnEmptyRegistryGivesTheDefaultsAndOnlyTheProductKey) {
  ASSERT_FALSE(KeyExists(kProductKey));
  ExpectDefaultOptions(ReadOptionsFromRegistry());
  EXPECT_TRUE(KeyExists(kProductKey));
  EXPECT_FALSE(KeyExists(kSection));
  // Once the product key is there, reading again changes nothing.
  ExpectDefaultOptions(ReadOptionsFromRegistry());
  EXPECT_FALSE(KeyExists(kSection));
}

TEST_F(OVConfigRegistryTest, EveryFieldComesFromItsOwnValue) {
  SetText("Auto Info Open", "1");
  SetText("Auto Info Save", "0");
  SetText("Create Bak Files", "-5");
  SetText("Tooltip Help", "0");
  SetText("Default User", "Anna");
  SetText("Default Department", "Pr\xFC" "fstand");
  SetText("Temp Path", "D:\\Tmp");
  SetText("Default Line Width", "300");
  SetText("Default Grid Mode", "$3");
  SetText("Default Float Width", "0x14");
  SetText("Default Float Precision", "  +7");
  SetText("Default Float Notation", "2");
  for (int i = 0; i < 16; ++i)
    SetText(("Default Color " + std::to_string(i)).c_str(), std::to_string(0x010101 * i + 1));
  SetText("Default Color 3", "0xFFFFFFFF");
  SetText("Default Color 15", "$00123456");

  const TOVOptions o = ReadOptionsFromRegistry();
  EXPECT_TRUE(o.AutoInfoOpen);
  EXPECT_FALSE(o.AutoInfoSave);
  EXPECT_TRUE(o.CreateBakFiles);
  EXPECT_FALSE(o.TooltipHelp);
  EXPECT_EQ(o.DefaultUser, "Anna");
  EXPECT_EQ(o.DefaultDepartment, "Pr\xFC" "fstand");
  EXPECT_EQ(o.TempPath, "D:\\Tmp");
  EXPECT_EQ(o.DefaultLineWidth, 44);  // 300 keeps its low 8 bits
  EXPECT_EQ(o.DefaultGridMode, 3);
  EXPECT_EQ(o.FloatWidth, 20);
  EXPECT_EQ(o.FloatPrecision, 7);
  EXPECT_EQ(o.FloatNotation, 2);
  for (int i : {0, 1, 2, 4, 7, 8, 14})
    EXPECT_EQ(o.DefaultColors[i], static_cast<TColor>(0x010101 * i + 1)) << i;
  EXPECT_EQ(o.DefaultColors[3], 0xFFFFFFFFu);
  EXPECT_EQ(o.DefaultColors[15], 0x00123456u);
}

TEST_F(OVConfigRegistryTest, TextsThatAreNoNumberGiveTheDefault) {
  SetText("Auto Info Save", "ja");
  SetText("Tooltip Help", "");
  SetText("Default Line Width", "abc");
  SetText("Default Grid Mode", "0x");
  SetText("Default Float Width", "16 ");
  SetText("Default Color 1", "blue");
  SetText("Temp Path", "");  // an empty string is a value, not a missing one
  const TOVOptions o = ReadOptionsFromRegistry();
  EXPECT_TRUE(o.AutoInfoSave);
  EXPECT_TRUE(o.TooltipHelp);
  EXPECT_EQ(o.DefaultLineWidth, 2);
  EXPECT_EQ(o.DefaultGridMode, 0);
  EXPECT_EQ(o.FloatWidth, 16);
  EXPECT_EQ(o.DefaultColors[1], 0x00FF0000u);
  EXPECT_EQ(o.TempPath, "");
}

TEST_F(OVConfigRegistryTest, OnlyStringValuesCount) {
  SetText("Temp Path", "%TEMP%\\orvado", REG_EXPAND_SZ);  // taken as it stands
  SetText("Default Float Width", "12", REG_EXPAND_SZ);
  const DWORD three = 3;
  SetValue("Default Grid Mode", REG_DWORD, &three, sizeof three);
  SetValue("Default User", REG_BINARY, "Bernd", 5);
  SetValue("Default Float Precision", REG_MULTI_SZ, "9\0\0", 3);
  const TOVOptions o = ReadOptionsFromRegistry();
  EXPECT_EQ(o.TempPath, "%TEMP%\\orvado");
  EXPECT_EQ(o.FloatWidth, 12);
  EXPECT_EQ(o.DefaultGridMode, 0);
  EXPECT_EQ(o.DefaultUser, "");
  EXPECT_EQ(o.FloatPrecision, 12);
}

TEST_F(OVConfigRegistryTest, StringsWithoutTerminatorOrOfAnyLengthAreReadWhole) {
  SetValue("Default User", REG_SZ, "Carla", 5);  // stored without its zero
  const std::string path(3000, 'p');
  SetText("Temp Path", path);
  const TOVOptions o = ReadOptionsFromRegistry();
  EXPECT_EQ(o.DefaultUser, "Carla");
  EXPECT_EQ(o.TempPath, path);
}

TEST_F(OVConfigRegistryTest, TheLoadStepFillsProductOptions) {
  SetText("Default Grid Mode", "4");
  SetText("Default Float Notation", "1");
  ReadProductOptions();
  EXPECT_EQ(ProductOptions.DefaultGridMode, 4);
  EXPECT_EQ(ProductOptions.FloatNotation, 1);
  ProductOptions = TOVOptions{};
}

// Loading the block library is what runs the load step in the host.
TEST_F(OVConfigRegistryTest, LoadingTheBlockLibraryCreatesTheProductKeyOnly) {
  HMODULE block = LoadLibraryA("Trazel64.dll");
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(KeyExists(kProductKey));
  EXPECT_FALSE(KeyExists(kSection));
  FreeLibrary(block);
}
