// A simulation run through the host's entry points, looked at on the screen.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "support/BlockHost_win.h"
#include "support/SharedBlockSuite_win.h"
#include "support/PlotCheck_win.h"
#include "support/SystemFile_win.h"

namespace {

struct Sample {
  long double x, y, control;
};

std::string CaptionOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// One window for the whole suite: every test starts its own run.
class Simulation : public TSharedBlockSuite<Simulation> {
 public:
  static constexpr char kBlockTitle[] = "Kennfeld A";

 protected:
  void SetUp() override {
    ASSERT_TRUE(window_);
    block_->SetTitle("Kennfeld A");
  }
  void Run(const std::vector<Sample>& samples) {
    host_->InitRun(*block_, samples[0].x, samples[0].y, samples[0].control);
    Steps({samples.begin() + 1, samples.end()});
  }
  // Steps, then the end of the run, as the host ends it.
  void Steps(const std::vector<Sample>& samples) {
    for (const Sample& s : samples) host_->Step(*block_, s.x, s.y, s.control);
    host_->EndRun();
  }
  Image Screen() const { return DrawingAreaPicture(window_); }

};

// Points of two strokes far from the line that would join them.
constexpr double P1x = -0.8, P1y = 0.5, P2x = -0.3, P2y = 0.5;
constexpr double P5x = 0.3, P5y = -0.5, P6x = 0.8, P6y = -0.5;

TEST_F(Simulation, PenDownDrawsPenUpLiftsAndARiseStartsANewStroke) {
  Run({{P1x, P1y, 0}, {P2x, P2y, 0}, {0.9L, 0.9L, 5}, {-0.9L, -0.9L, 5}, {P5x, P5y, 0}, {P6x, P6y, 0}});
  EXPECT_EQ(CaptionOf(window_), "Kennfeld A");
  const Image image = Screen();
  const TPlotMap map = MapOf(image);
  EXPECT_TRUE(LineShown(image, map, P1x, P1y, P2x, P2y));
  EXPECT_TRUE(LineShown(image, map, P5x, P5y, P6x, P6y));
  EXPECT_TRUE(LineAbsent(image, map, P2x, P2y, P5x, P5y));
  // The samples with the pen up are not recorded: nothing runs to or from them.
  EXPECT_TRUE(LineAbsent(image, map, P2x, P2y, 0.9, 0.9));
  EXPECT_TRUE(LineAbsent(image, map, -0.9, -0.9, P5x, P5y));
  // A repaint draws the same strokes from the store.
  RepaintNow(window_);
  const Image again = Screen();
  EXPECT_TRUE(LineShown(again, map, P1x, P1y, P2x, P2y));
  EXPECT_TRUE(LineShown(again, map, P5x, P5y, P6x, P6y));
  EXPECT_TRUE(LineAbsent(again, map, P2x, P2y, P5x, P5y));
}

TEST_F(Simulation, EachSegmentIsInTheWindowWhenTheStepReturns) {
  const double xs[] = {-0.9, -0.5, 0.0, 0.4, 0.9};
  const double ys[] = {-0.8, 0.6, -0.6, 0.7, -0.2};
  host_->InitRun(*block_, xs[0], ys[0], 0);
  Image image = DrawingAreaPixels(window_);
  const TPlotMap map = MapOf(image);
  EXPECT_EQ(CountColour(image, kLineBlue), 0);  // the first point draws nothing
  for (int i = 1; i < 5; ++i) {
    host_->Step(*block_, xs[i], ys[i], 0);
    image = DrawingAreaPixels(window_);  // no message is processed in between
    EXPECT_TRUE(LineShown(image, map, xs[i - 1], ys[i - 1], xs[i], ys[i])) << "segment " << i;
  }
}

// A burst of steps far shorter than a frame, then either the end of the run without a single
// message, or a pause of the run in which the host pumps messages for 50 ms: the screen then
// shows exactly what the window holds.
TEST_F(Simulation, TheScreenCatchesUpAtTheEndOfTheRunOrWithinAPause) {
  for (bool endOfRun : {true, false}) {
    host_->InitRun(*block_, -0.9L, 0.0L, 0);
    for (int i = 1; i <= 400; ++i)
      host_->Step(*block_, -0.9L + 0.0045L * i, 0.8L * ((i / 20) % 2 ? 1 : -1), i % 97 == 0 ? 5 : 0);
    if (endOfRun) {
      host_->EndRun();
    } else {
      const DWORD start = GetTickCount();
      while (GetTickCount() - start < 50) {
        PumpMessages();
        Sleep(1);
      }
    }
    const Image drawn = DrawingAreaPixels(window_);
    ASSERT_GT(CountColour(drawn, kLineBlue), 400);
    const Image shown = Screen();
    ASSERT_EQ(shown.Pixels.size(), drawn.Pixels.size());
    size_t differing = 0;
    for (size_t i = 0; i < drawn.Pixels.size(); ++i) differing += shown.Pixels[i] != drawn.Pixels[i];
    EXPECT_EQ(differing, 0u) << (endOfRun ? "after the end of the run" : "after 50 ms of messages");
  }
}

// A step keeps the graph's layout from one step to the next. After each change of the layout
// the segments of the next steps lie exactly where a full drawing of the store puts them.
TEST_F(Simulation, StepsAfterALayoutChangeDrawWhatARepaintDraws) {
  RECT original;
  GetWindowRect(window_, &original);
  const auto settings = [](const char* range) {
    return systemfile::Lines({"-1", range, "-1", range, "10", "5", "80", "90", "1", "*.*"});
  };
  const struct {
    const char* name;
    std::function<void()> change;
  } cases[] = {
      {"none", [] {}},
      {"size", [&] {
         SetWindowPos(window_, nullptr, 0, 0, original.right - original.left + 90,
                      original.bottom - original.top + 40, SWP_NOMOVE | SWP_NOZORDER);
       }},
      {"settings read, then a repaint", [&] {
         systemfile::ReadSettings(*host_, *block_, settings("2"));
         RepaintNow(window_);
       }},
      {"defaults read back", [&] {
         systemfile::ReadSettings(*host_, *block_, systemfile::Lines({"-1", "1", "-1", "1", "0",
                                                                     "0", "100", "100", "0", "*.*"}));
         RepaintNow(window_);
       }},
      {"first size back", [&] {
         SetWindowPos(window_, nullptr, 0, 0, original.right - original.left,
                      original.bottom - original.top, SWP_NOMOVE | SWP_NOZORDER);
       }},
  };
  for (const auto& c : cases) {
    host_->InitRun(*block_, -0.9L, -0.9L, 0);
    host_->Step(*block_, -0.2L, 0.7L, 0);
    c.change();
    Settle();
    Steps({{0.1L, -0.6L, 0}, {0.95L, 0.3L, 0}, {0.5L, 1.5L, 0}, {0.4L, 0.2L, 0}});
    const Image stepped = DrawingAreaPixels(window_);
    RepaintNow(window_);
    const Image repainted = DrawingAreaPixels(window_);
    ASSERT_EQ(stepped.Pixels.size(), repainted.Pixels.size()) << c.name;
    size_t differing = 0;
    for (size_t i = 0; i < stepped.Pixels.size(); ++i)
      differing += stepped.Pixels[i] != repainted.Pixels[i];
    EXPECT_EQ(differing, 0u) << c.name;
    EXPECT_GT(CountColour(stepped, kLineBlue), 100) << c.name;
  }
}

// Steps with the window minimised go into the picture that the window keeps: restored, it
// shows exactly what a drawing of the whole store from nothing shows.
TEST_F(Simulation, StepsWhileMinimisedAreInTheRestoredWindow) {
  host_->InitRun(*block_, -0.9L, 0.0L, 0);
  ShowWindow(window_, SW_MINIMIZE);
  Settle();
  Steps({{-0.4L, 0.8L, 0}, {0.1L, -0.7L, 0}, {0.3L, 0.3L, 5}, {0.5L, 0.4L, 0}, {0.9L, -0.9L, 0}});
  ShowWindow(window_, SW_RESTORE);
  Settle();
  const Image restored = DrawingAreaPixels(window_);
  EXPECT_TRUE(LineShown(restored, MapOf(restored), 0.1, -0.7, -0.4, 0.8));
  // The same settings read again: the next repaint draws every curve anew.
  systemfile::ReadSettings(*host_, *block_,
                           systemfile::Lines({"-1", "1", "-1", "1", "0", "0", "100", "100", "0", "*.*"}));
  RepaintNow(window_);
  const Image redrawn = DrawingAreaPixels(window_);
  ASSERT_EQ(restored.Pixels.size(), redrawn.Pixels.size());
  size_t differing = 0;
  for (size_t i = 0; i < restored.Pixels.size(); ++i)
    differing += restored.Pixels[i] != redrawn.Pixels[i];
  EXPECT_EQ(differing, 0u);
}

// For runs of every kind, the window after the run (read through its device context), the
// screen after the end of the run and a repaint that copies the kept picture are, pixel for
// pixel, what the window shows when it draws the whole store from nothing.
TEST_F(Simulation, EveryRunGivesThePixelsOfADrawingFromNothing) {
  using TSamples = std::vector<Sample>;
  const auto along = [](int n, const std::function<Sample(int)>& at) {
    TSamples samples;
    for (int i = 0; i < n; ++i) samples.push_back(at(i));
    return samples;
  };
  const auto wave = [](int i, int n) { return 0.8L * std::sin(i * 12.0L / n); };
  const struct {
    const char* name;
    int lineWidth;
    TSamples samples;
  } runs[] = {
      {"dense", 1, along(3000, [&](int i) { return Sample{-0.95L + 1.9L * i / 3000, wave(i, 3000), 0}; })},
      {"sparse", 1, {{-0.9L, -0.9L, 0}, {0.9L, 0.7L, 0}, {-0.6L, 0.9L, 0}, {0.3L, -0.8L, 0}, {0.95L, 0.1L, 0}}},
      {"several traces", 1, along(300, [&](int i) {
         return Sample{-0.9L + 0.006L * i, wave(i, 100), i % 30 == 29 ? 5.0L : 0.0L};
       })},
      {"pen lifted", 1, along(200, [&](int i) {
         return Sample{-0.9L + 0.009L * i, wave(i, 200), i > 60 && i < 130 ? 2.5L + i % 3 : 0.0L};
       })},
      {"clipped", 1, along(120, [&](int i) { return Sample{-1.4L + 0.024L * i, 2 * wave(i, 60), 0}; })},
      {"wide pen", 6, along(40, [&](int i) { return Sample{-0.9L + 0.045L * i, (i % 5) * 0.4L - 0.8L, 0}; })},
  };
  RECT original;
  GetWindowRect(window_, &original);
  const int width = original.right - original.left, height = original.bottom - original.top;
  const HWND upDown = FindChild(window_, UPDOWN_CLASSA);
  const auto differing = [](const Image& a, const Image& b) {
    if (a.Pixels.size() != b.Pixels.size()) return std::max(a.Pixels.size(), b.Pixels.size());
    size_t n = 0;
    for (size_t i = 0; i < a.Pixels.size(); ++i) n += a.Pixels[i] != b.Pixels[i];
    return n;
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.name);
    SendMessageA(upDown, UDM_SETPOS32, 0, run.lineWidth);
    Settle(1);
    host_->InitRun(*block_, run.samples[0].x, run.samples[0].y, run.samples[0].control);
    for (size_t i = 1; i < run.samples.size(); ++i)
      host_->Step(*block_, run.samples[i].x, run.samples[i].y, run.samples[i].control);
    const Image stepped = DrawingAreaPixels(window_);
    host_->EndRun();
    const Image shown = Screen();
    RepaintNow(window_);
    const Image copied = DrawingAreaPixels(window_);
    // Another size and back: both kept pictures are made and drawn again.
    SetWindowPos(window_, nullptr, 0, 0, width + 50, height + 30, SWP_NOMOVE | SWP_NOZORDER);
    Settle();
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    Settle();
    const Image drawn = DrawingAreaPixels(window_);
    ASSERT_GT(CountColour(drawn, kLineBlue), 100);
    EXPECT_EQ(differing(stepped, drawn), 0u) << "the window after the run";
    EXPECT_EQ(differing(shown, drawn), 0u) << "the screen after the end of the run";
    EXPECT_EQ(differing(copied, drawn), 0u) << "the kept picture";
  }
  SendMessageA(upDown, UDM_SETPOS32, 0, 1);
  RepaintNow(window_);
}

// Settings read from the system file during a run leave the window as it is, and the next
// segments follow them at once.
TEST_F(Simulation, SettingsReadDuringARunMoveTheNextSegments) {
  host_->InitRun(*block_, -0.5L, 0.5L, 0);
  systemfile::ReadSettings(*host_, *block_,
                           systemfile::Lines({"-2", "2", "-2", "2", "0", "0", "100", "100", "0", "*.*"}));
  Steps({{0.5L, 0.5L, 0}});
  const Image image = DrawingAreaPixels(window_);
  TPlotMap wide = MapOf(image);
  wide.XMin = wide.YMin = -2;
  wide.XMax = wide.YMax = 2;
  EXPECT_TRUE(LineShown(image, wide, -0.5, 0.5, 0.5, 0.5));
  EXPECT_TRUE(LineAbsent(image, MapOf(image), -0.5, 0.5, 0.5, 0.5));
  systemfile::ReadSettings(*host_, *block_,
                           systemfile::Lines({"-1", "1", "-1", "1", "0", "0", "100", "100", "0", "*.*"}));
}

TEST_F(Simulation, ExactlyTheThresholdNeitherRecordsNorRises) {
  // 0, 2.5, 3, 0: the first and the last point are recorded into one trace and joined.
  Run({{-0.8L, 0.8L, 0}, {0.0L, -0.9L, 2.5L}, {0.9L, 0.0L, 3}, {0.8L, 0.8L, 0}});
  const Image image = Screen();
  const TPlotMap map = MapOf(image);
  EXPECT_TRUE(LineShown(image, map, -0.8, 0.8, 0.8, 0.8));
  EXPECT_TRUE(LineAbsent(image, map, -0.8, 0.8, 0.0, -0.9));
  EXPECT_TRUE(LineAbsent(image, map, 0.9, 0.0, 0.8, 0.8));
}

TEST_F(Simulation, FirstSampleWithControlHighIsNotRecorded) {
  Run({{-0.8L, -0.8L, 5}, {-0.2L, 0.6L, 5}, {0.2L, 0.6L, 0}, {0.8L, -0.6L, 0}});
  const Image image = Screen();
  const TPlotMap map = MapOf(image);
  EXPECT_TRUE(LineShown(image, map, 0.2, 0.6, 0.8, -0.6));
  EXPECT_TRUE(LineAbsent(image, map, -0.8, -0.8, 0.2, 0.6));
  EXPECT_TRUE(LineAbsent(image, map, -0.2, 0.6, 0.2, 0.6));
}

TEST_F(Simulation, ASecondRunWithoutInitContinuesTheLastStroke) {
  Run({{-0.8L, -0.6L, 0}, {-0.2L, -0.6L, 0}});
  Steps({{0.6L, 0.6L, 0}, {0.9L, 0.6L, 0}});
  const Image image = Screen();
  const TPlotMap map = MapOf(image);
  EXPECT_TRUE(LineShown(image, map, -0.2, -0.6, 0.6, 0.6));
  EXPECT_TRUE(LineShown(image, map, 0.6, 0.6, 0.9, 0.6));
}

TEST_F(Simulation, InitSimulationRemovesTheCurvesOfTheLastRun) {
  Run({{-0.8L, -0.6L, 0}, {0.8L, 0.6L, 0}});
  ASSERT_GT(CountColour(Screen(), kLineBlue), 50);
  host_->InitRun(*block_, 0, 0, 5);
  EXPECT_EQ(CountColour(Screen(), kLineBlue), 0);
  RepaintNow(window_);
  EXPECT_EQ(CountColour(Screen(), kLineBlue), 0);
}

TEST_F(Simulation, NonFiniteSamplesBreakTheLineAndTheOthersDraw) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const long double inf = std::numeric_limits<long double>::infinity();
  const auto started = std::chrono::steady_clock::now();
  Run({{-0.9L, 0.8L, 0}, {nan, 0.0L, 0}, {-0.5L, -0.8L, 0}, {-0.1L, -0.8L, 0}, {inf, 0.5L, 0},
       {0.2L, 0.8L, 0}, {0.5L, -inf, 0}, {0.6L, 0.2L, 0}, {0.9L, 0.2L, 0}, {0.0L, nan, 0}});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  for (int repaint = 0; repaint < 2; ++repaint) {
    const Image image = Screen();
    const TPlotMap map = MapOf(image);
    EXPECT_TRUE(LineShown(image, map, -0.5, -0.8, -0.1, -0.8));
    EXPECT_TRUE(LineShown(image, map, 0.6, 0.2, 0.9, 0.2));
    // No line to, from or across the non-finite samples.
    EXPECT_TRUE(LineAbsent(image, map, -0.9, 0.8, -0.5, -0.8));
    EXPECT_TRUE(LineAbsent(image, map, -0.1, -0.8, 0.2, 0.8));
    EXPECT_TRUE(LineAbsent(image, map, 0.2, 0.8, 0.6, 0.2));
    // Nothing towards the infinite samples: right from (-0.1, -0.8), down from (0.2, 0.8), up
    // to (0.6, 0.2).
    EXPECT_TRUE(LineAbsent(image, map, -0.1, -0.8, 0.9, -0.8));
    EXPECT_TRUE(LineAbsent(image, map, 0.2, 0.8, 0.2, -0.9));
    EXPECT_TRUE(LineAbsent(image, map, 0.55, -0.9, 0.6, 0.2));
    EXPECT_LT(CountColour(image, kLineBlue), image.Width);
    RepaintNow(window_);
  }
}

TEST_F(Simulation, StepsWithoutAnyTraceStartTheFirstOne) {
  HostBlock& fresh = host_->Place("Neu");  // no run started: the store holds no trace
  host_->Step(fresh, -0.6L, 0.4L, 0);
  host_->Step(fresh, 0.6L, 0.4L, 0);
  host_->EndRun();
  const Image image = DrawingAreaPicture(host_->WindowOf(fresh));
  EXPECT_TRUE(LineShown(image, MapOf(image), -0.6, 0.4, 0.6, 0.4));
  host_->Dispose(fresh);
}

TEST_F(Simulation, NullTitleGivesAnEmptyCaption) {
  block_->SetNullTitle();
  host_->InitRun(*block_, 0, 0, 0);
  EXPECT_EQ(CaptionOf(window_), "");
  block_->SetTitle("Kennfeld B");
  host_->InitRun(*block_, 0, 0, 0);
  EXPECT_EQ(CaptionOf(window_), "Kennfeld B");
}

}  // namespace
