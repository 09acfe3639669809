// The version resource of the four binaries in dist/, read back the way Explorer's properties
// page and the host's tools read it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestDataDir.h"
#include "TrazelVersion.h"
#include "support/TestPictures.h"
#include "support/VersionInfo_win.h"

namespace {

struct TBinary {
  const char* Name;
  DWORD FileType;
  const char* DescriptionStart;
};

const TBinary kBinaries[] = {
    {"Trazel32.dll", VFT_DLL, "Trazel: x-y-Schreiber f\xFCr Kennfelder (Blockbibliothek)"},
    {"Trazel64.dll", VFT_DLL, "Trazel: x-y-Schreiber f\xFCr Kennfelder (Blockbibliothek, 64"},
    {"trazelplay32.exe", VFT_APP, "trazelplay: "},
    {"trazelplay64.exe", VFT_APP, "trazelplay: "},
};

TEST(VersionInfo, EveryBinaryCarriesTheProjectVersionInGerman) {
  const std::string version = std::string(TRAZEL_VERSION) + ".0";
  for (const TBinary& b : kBinaries) {
    SCOPED_TRACE(b.Name);
    const std::string path = testpictures::WinePath(std::string(kDistDir) + "/" + b.Name);
    const TVersionInfo info = ReadVersionInfo(path);
    ASSERT_EQ(info.Error, "") << "(./run build puts all four binaries into dist/)";
    EXPECT_EQ(VersionText(info.FileVersion), version);
    EXPECT_EQ(VersionText(info.ProductVersion), version);
    EXPECT_EQ(info.FileType, b.FileType);
    ASSERT_EQ(info.Translations.size(), 1u);
    EXPECT_EQ(info.Translations[0], MAKELONG(0x0407, 1252)) << "German, Windows-1252";
    EXPECT_EQ(info.Text("FileVersion"), TRAZEL_VERSION);
    EXPECT_EQ(info.Text("ProductVersion"), TRAZEL_VERSION);
    EXPECT_EQ(info.Text("ProductName"), "Trazel");
    EXPECT_EQ(info.Text("OriginalFilename"), b.Name);
    EXPECT_EQ(info.Text("FileDescription").rfind(b.DescriptionStart, 0), 0u)
        << info.Text("FileDescription");
  }
}

}  // namespace
