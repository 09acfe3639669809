// A test suite whose tests share one placed block and its plot window: the suite places it
// before its first test and the host goes after its last, so a suite pays for one window.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "support/BlockHost_win.h"

// Suite is the test class that derives from this; Suite::kBlockTitle is the block's title.
template <class Suite>
class TSharedBlockSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    host_ = new TestHost;
    block_ = &host_->Place(Suite::kBlockTitle);
    window_ = host_->WindowOf(*block_);
  }
  static void TearDownTestSuite() {
    delete host_;
    host_ = nullptr;
  }

  static inline TestHost* host_ = nullptr;
  static inline HostBlock* block_ = nullptr;
  static inline HWND window_ = nullptr;
};
