// The product settings of a machine without any registry entries, as test expectations.
#pragma once

#include <gtest/gtest.h>

#include "product/OVConfig.h"

inline void ExpectDefaultOptions(const TOVOptions& o) {
  EXPECT_FALSE(o.AutoInfoOpen);
  EXPECT_TRUE(o.AutoInfoSave);
  EXPECT_EQ(o.DefaultUser, "");
  EXPECT_EQ(o.DefaultDepartment, "");
  EXPECT_EQ(o.TempPath, "C:\\TEMP");
  EXPECT_EQ(o.DefaultLineWidth, 2);
  EXPECT_EQ(o.DefaultGridMode, 0);
  EXPECT_EQ(o.FloatWidth, 16);
  EXPECT_EQ(o.FloatPrecision, 12);
  EXPECT_EQ(o.FloatNotation, 0);
  EXPECT_TRUE(o.TooltipHelp);
  EXPECT_FALSE(o.CreateBakFiles);
  const TColor colours[16] = {0x000000, 0xFF0000, 0x800080, 0x008000, 0x808000, 0x000080,
                              0x0000FF, 0x008080, 0x00FFFF, 0x800000, 0x808080, 0x00FF00,
                              0xFFFF00, 0xFF00FF, 0xC0C0C0, 0xFFFFFF};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(o.DefaultColors[i], colours[i]) << i;
}
