// ratios_bench: performance figures of the block library, run through its entry points like
// the simulation host. Each figure is a ratio of two measurements taken in the same run,
// interleaved round by round, so that the load of a shared machine falls on both sides alike:
// the median of the rounds' ratios (figures 1, 2 and 5), or the ratio of the fastest rounds
// (figure 3, whose two sides differ twentyfold in length).
//
//   1. one SimulateDLL step with 1,000,000 points stored / the same step with 10 stored
//   2. one SimulateDLL step with the window shown, amortised over 100,000 steps (the pixels
//      come onto the screen once a frame) / one bare MoveToEx + LineTo of the same segment on
//      the same DC, not shown
//   3. full redraw of 100,000 and of 1,000,000 points in one trace (the kept layer copied and
//      every curve drawn, as after new settings) / one Polyline of the same points (mapped to
//      device units) into a bitmap of the same size
//   4. bytes of process memory per stored point at 10,000,000 points
//   5. one SimulateDLL step with the window shown / with the window minimised, each amortised
//      over 100,000 steps
//   6. repaint of an uncovered window with 10,000,000 points stored / one copy of the drawing
//      area's pixels onto the window, both shown on the screen
//
// Each figure comes with the measurements it was made of and with floors that show where the
// time goes. usage: ratios_bench [--quick]   (--quick: a tenth of the points, for a try-out)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "block/TraceStore.h"
#include "graphic/WinHandles_win.h"
#include "host/BlockSession_win.h"
#include "host/HostLibrary.h"
#include "host/Samples.h"
#include "support/ProcessResources_win.h"

namespace {

// The coordinate system of every bench block: x 0..1, y -1.2..1.2 in a frame at 10 %/10 %
// of 85 % x 85 % of the drawing area, axes on, no background picture (grid).
const char kSettings[] = "0\r\n1\r\n-1.2\r\n1.2\r\n10\r\n10\r\n85\r\n85\r\n1\r\n*.*\r\n";
constexpr double kXMin = 0, kXMax = 1, kYMin = -1.2, kYMax = 1.2;
constexpr double kOrigin = 0.10, kSize = 0.85;
constexpr int kAreaWidth = 600, kAreaHeight = 400;
constexpr double kPi = 3.14159265358979323846;

// The step that the figures 1 and 2 time: a short segment, as a simulation draws them.
const TSample kP{0.50L, 0.00L, 0.0L};
const TSample kQ{0.52L, 0.05L, 0.0L};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// Point i of the long traces: a damped wave across the whole x range.
TSample WavePoint(int64_t i, int64_t count) {
  const double x = static_cast<double>(i) / static_cast<double>(count - 1);
  const double y = std::exp(-1.5 * x) * std::sin(12 * kPi * x);
  return TSample{x, y, 0.0L};
}

// Device position of a value as the block maps it, to the pixel (for the floors).
POINT DevicePoint(double x, double y) {
  const double w = kAreaWidth + 1, h = kAreaHeight + 1;
  const double px = (kOrigin + (x - kXMin) / (kXMax - kXMin) * kSize) * w;
  const double py = h - (kOrigin + (y - kYMin) / (kYMax - kYMin) * kSize) * h;
  return POINT{static_cast<LONG>(std::lround(px)), static_cast<LONG>(std::lround(py))};
}

std::string Micro(double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
  return text;
}

std::string Milli(double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f ms", seconds * 1e3);
  return text;
}

std::string Times(double ratio) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f x", ratio);
  return text;
}

void Report(int number, const std::string& what, double value, const char* unit, double target,
            const std::vector<std::string>& details) {
  std::printf("%d. %-60s %8.2f%s  target <= %g: %s\n", number, what.c_str(), value, unit, target,
              value <= target ? "met" : "MISSED");
  for (const std::string& d : details) std::printf("     %s\n", d.c_str());
  std::fflush(stdout);
}

// One placed block with the bench's settings and drawing area, at a place of the screen.
class TBenchBlock {
 public:
  TBenchBlock(BlockLibrary& library, const std::string& title, int x, int y)
      : session_(library, title) {
    session_.SetDrawingAreaSize(kAreaWidth, kAreaHeight);
    SetWindowPos(session_.Window(), nullptr, x, y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    session_.ReadSettings("", kSettings, false);
    TBlockSession::Settle();
  }

  TBlockSession& Session() { return session_; }
  HWND Area() const { return session_.DrawingArea(); }

  // A new run whose one trace holds the count points of the wave, recorded step by step with
  // the window minimised (where a step shows nothing and so costs less).
  void FillWave(int64_t count) {
    ShowWindow(session_.Window(), SW_MINIMIZE);
    session_.Begin(WavePoint(0, count));
    for (int64_t i = 1; i < count; ++i) {
      session_.Step(WavePoint(i, count));
      if ((i & 0xFFFF) == 0) PumpMessages();
    }
    ShowWindow(session_.Window(), SW_SHOWNOACTIVATE);
    TBlockSession::Settle();
  }

  // A new run of ten points, the last at Q.
  void Restart() {
    session_.Begin(kP);
    for (int i = 1; i < 10; ++i) session_.Step(i % 2 ? kQ : kP);
  }

  // Seconds per step of steps pen-down steps P, Q, P, ... after one untimed step to Q. With
  // ended, the time includes the end of the run, which shows what is still pending.
  double TimeSteps(int steps, bool ended = false) {
    session_.Step(kQ);
    const double t = Seconds([&] {
      for (int i = 0; i < steps; ++i) session_.Step(i % 2 ? kQ : kP);
      if (ended) session_.End();
    });
    return t / steps;
  }

  // Seconds of one repaint of the drawing area, as when it is uncovered; with redrawn, after
  // the settings were read again (the same ones), so that the repaint draws every curve anew
  // over the kept layer.
  double TimeRepaint(bool redrawn = false) {
    HWND area = Area();
    if (redrawn) session_.ReadSettings("", kSettings, false);
    return Seconds([&] {
      InvalidateRect(area, nullptr, FALSE);
      UpdateWindow(area);
      GdiFlush();
    });
  }

 private:
  TBlockSession session_;
};

// Seconds per segment P-Q drawn on the drawing area's device context: bare (the DC taken
// once, outside the time), or the way any drawing outside a paint handler must do it (DC
// taken and given back, pixels shown on the screen) as the block does.
double TimeSegments(HWND area, int steps, bool windowDrawing) {
  const POINT p = DevicePoint(static_cast<double>(kP.X), static_cast<double>(kP.Y));
  const POINT q = DevicePoint(static_cast<double>(kQ.X), static_cast<double>(kQ.Y));
  win::TUniquePen pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 255)));
  auto segment = [&](HDC dc, int i) {
    MoveToEx(dc, (i % 2 ? q : p).x, (i % 2 ? q : p).y, nullptr);
    LineTo(dc, (i % 2 ? p : q).x, (i % 2 ? p : q).y);
  };
  if (windowDrawing) {
    return Seconds([&] {
             for (int i = 0; i < steps; ++i) {
               {
                 win::TWindowDC dc(area);
                 win::TSelectGuard selected = win::SelectObjectScoped(dc.get(), pen.get());
                 segment(dc.get(), i);
               }
               GdiFlush();
               MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
             }
           }) /
           steps;
  }
  win::TWindowDC dc(area);
  win::TSelectGuard selected = win::SelectObjectScoped(dc.get(), pen.get());
  return Seconds([&] {
           for (int i = 0; i < steps; ++i) segment(dc.get(), i);
           GdiFlush();
         }) /
         steps;
}

// The floor of figure 6: the drawing area's pixels copied from a bitmap onto the window and shown
// on the screen; with shown false, the copy alone.
double TimeAreaCopy(HWND area, bool shown) {
  win::TWindowDC dc(area);
  win::TUniqueDC memory(CreateCompatibleDC(dc.get()));
  win::TUniqueBitmap bitmap(CreateCompatibleBitmap(dc.get(), kAreaWidth + 1, kAreaHeight + 1));
  if (!memory || !bitmap) throw std::runtime_error("no off-screen bitmap");
  win::TSelectGuard selected = win::SelectObjectScoped(memory.get(), bitmap.get());
  return Seconds([&] {
    BitBlt(dc.get(), 0, 0, kAreaWidth + 1, kAreaHeight + 1, memory.get(), 0, 0, SRCCOPY);
    GdiFlush();
    if (shown) MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
  });
}

// The floors of figure 3: the trace's points in device units, drawn into an off-screen bitmap
// of the drawing area's size as one Polyline, or as one MoveToEx/LineTo pair per segment.
class TPolylineFloor {
 public:
  TPolylineFloor(HWND area, int64_t count) {
    for (int64_t i = 0; i < count; ++i) {
      const TSample s = WavePoint(i, count);
      points_.push_back(DevicePoint(static_cast<double>(s.X), static_cast<double>(s.Y)));
    }
    win::TWindowDC screen(area);
    dc_.reset(CreateCompatibleDC(screen.get()));
    bitmap_.reset(CreateCompatibleBitmap(screen.get(), kAreaWidth + 1, kAreaHeight + 1));
    pen_.reset(CreatePen(PS_SOLID, 1, RGB(0, 0, 255)));
    if (!dc_ || !bitmap_ || !pen_) throw std::runtime_error("no off-screen bitmap");
    bitmapSelection_ = win::SelectObjectScoped(dc_.get(), bitmap_.get());
    penSelection_ = win::SelectObjectScoped(dc_.get(), pen_.get());
  }

  double TimePolyline() {
    return Seconds([&] {
      Polyline(dc_.get(), points_.data(), static_cast<int>(points_.size()));
      GdiFlush();
    });
  }

  double TimeSegmentPairs() {
    return Seconds([&] {
      for (size_t i = 1; i < points_.size(); ++i) {
        MoveToEx(dc_.get(), points_[i - 1].x, points_[i - 1].y, nullptr);
        LineTo(dc_.get(), points_[i].x, points_[i].y);
      }
      GdiFlush();
    });
  }

 private:
  std::vector<POINT> points_;
  win::TUniqueDC dc_;
  win::TUniqueBitmap bitmap_;
  win::TUniquePen pen_;
  // Last, so that the bitmap and the pen leave the context before they are deleted.
  win::TSelectGuard bitmapSelection_;
  win::TSelectGuard penSelection_;
};

std::string Count(int64_t n) {
  std::string digits = std::to_string(n), text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

int Run(bool quick) {
  const int64_t kLong = quick ? 100000 : 1000000;
  const int64_t kMemory = quick ? 1000000 : 10000000;
  BlockLibrary library;
  TBenchBlock few(library, "10 Punkte", 0, 0);
  TBenchBlock many(library, Count(kLong) + " Punkte", 640, 0);

  // 3: redraws of the long trace, and Polylines of its points, alternately, at a tenth of the
  // points and at all of them. A long redraw is more often interrupted by other work of a busy
  // machine than a short Polyline, so each side counts with its fastest round. The redraw of a
  // window with ten points shows what a redraw costs besides the curve.
  size_t memoryBefore = 0, memoryFilled = 0;
  for (const int64_t points : {kLong / 10, kLong}) {
    if (points == kLong) {
      many.FillWave(2);  // the store of the smaller run goes first
      memoryBefore = ProcessMemory();
    }
    const double fill = Seconds([&] { many.FillWave(points); });
    if (points == kLong) memoryFilled = ProcessMemory();
    std::printf("(%s points recorded through SimulateDLL in %.1f s, %s a step, window minimised)\n",
                Count(points).c_str(), fill, Micro(fill / static_cast<double>(points)).c_str());
    std::fflush(stdout);
    TPolylineFloor floor(many.Area(), points);
    few.Restart();
    std::vector<double> paints, polylines, pairs, empties;
    for (int round = 0; round < (quick ? 5 : 11); ++round) {
      paints.push_back(many.TimeRepaint(true));
      polylines.push_back(floor.TimePolyline());
      pairs.push_back(floor.TimeSegmentPairs());
      empties.push_back(few.TimeRepaint(true));
      PumpMessages();
    }
    const double paint = Fastest(paints), polyline = Fastest(polylines);
    Report(3, "full redraw of " + Count(points) + " points / one Polyline of them",
           paint / polyline, "", 1.3,
           {"redraw " + Milli(paint) + ", Polyline " + Milli(polyline) + " (fastest of " +
                std::to_string(paints.size()) + " rounds each)",
            "where the time goes: the redraw without the curve " + Milli(Fastest(empties)) +
                "; the same points as one MoveToEx+LineTo pair per segment " +
                Times(Fastest(pairs) / polyline) + " the Polyline"});
  }

  // 1: rounds of a few steps on each block.
  {
    const int rounds = quick ? 60 : 300, steps = 10;
    std::vector<double> storeRatios, stepFew, stepMany;
    for (int round = 0; round < rounds; ++round) {
      few.Restart();
      const double a = few.TimeSteps(steps);
      const double b = many.TimeSteps(steps);
      storeRatios.push_back(b / a);
      stepFew.push_back(a);
      stepMany.push_back(b);
      if (round % 20 == 0) PumpMessages();
    }
    Report(1, "step with " + Count(kLong) + " points stored / with 10 stored", Median(storeRatios),
           "", 1.1,
           {"step " + Micro(Median(stepMany)) + " with " + Count(kLong) + " points, " +
            Micro(Median(stepFew)) + " with 10 to 20"});
  }

  // 2 and 5: rounds of 100,000 steps on the shown and on the minimised block, each ended as a
  // run ends, and of the floors on the same segment.
  {
    const int rounds = quick ? 3 : 7, steps = 100000, floorSteps = 10000;
    std::vector<double> floorRatios, hiddenRatios, shownSteps, hiddenSteps, bare, window;
    TBenchBlock minimised(library, "minimiert", 0, 480);
    ShowWindow(minimised.Session().Window(), SW_MINIMIZE);
    TBlockSession::Settle();
    for (int round = 0; round < rounds; ++round) {
      few.Restart();
      minimised.Restart();
      const double a = few.TimeSteps(steps, true);
      const double b = minimised.TimeSteps(steps, true);
      const double c = TimeSegments(few.Area(), floorSteps, false);
      const double d = TimeSegments(few.Area(), floorSteps / 10, true);
      floorRatios.push_back(a / c);
      hiddenRatios.push_back(a / b);
      shownSteps.push_back(a);
      hiddenSteps.push_back(b);
      bare.push_back(c);
      window.push_back(d);
      PumpMessages();
    }
    Report(2, "step, window shown, over 100,000 steps / bare MoveToEx+LineTo", Median(floorRatios),
           "", 3,
           {"step " + Micro(Median(shownSteps)) + ", bare segment " + Micro(Median(bare)) +
                " (about 12 pixels long, on the drawing area's DC, not shown)",
            "where the time goes: the same segment with GetDC, ReleaseDC and its pixels shown on "
            "the screen at once costs " +
                Micro(Median(window)) + "; the step shows them once a frame (15 ms)"});
    Report(5, "step, window shown / step, window minimised (100,000 steps)",
           Median(hiddenRatios), "", 1.2,
           {"step " + Micro(Median(shownSteps)) + " shown, " + Micro(Median(hiddenSteps)) +
            " minimised"});
  }

  // 6: repaints of an uncovered window with the memory figure's count of points stored, and
  // copies of the drawing area's pixels, alternately.
  {
    const double fill = Seconds([&] { many.FillWave(kMemory); });
    std::printf("(%s points recorded through SimulateDLL in %.1f s)\n", Count(kMemory).c_str(),
                fill);
    std::vector<double> ratios, paints, copies, bareCopies;
    for (int round = 0; round < (quick ? 21 : 51); ++round) {
      const double a = many.TimeRepaint();
      const double b = TimeAreaCopy(many.Area(), true);
      ratios.push_back(a / b);
      paints.push_back(a);
      copies.push_back(b);
      bareCopies.push_back(TimeAreaCopy(many.Area(), false));
      PumpMessages();
    }
    Report(6, "repaint, " + Count(kMemory) + " points stored / one copy of the area",
           Median(ratios), "", 2,
           {"repaint " + Micro(Median(paints)) + ", copy shown " + Micro(Median(copies)) +
            ", the copy alone " + Micro(Median(bareCopies))});
    many.FillWave(2);  // gives the memory back before the store's own figure
  }

  // 4: the trace store of the block, filled with 10,000,000 points.
  {
    TTraceStore store;
    store.BeginRun();
    const size_t before = ProcessMemory();
    const double t = Seconds([&] {
      for (int64_t i = 0; i < kMemory; ++i) {
        const TSample s = WavePoint(i, kMemory);
        store.Record(s.X, s.Y, s.Control);
      }
    });
    const size_t after = ProcessMemory();
    const double perPoint = static_cast<double>(after - before) / static_cast<double>(kMemory);
    const double perPointDll =
        static_cast<double>(memoryFilled - memoryBefore) / static_cast<double>(kLong);
    char crossCheck[160];
    std::snprintf(crossCheck, sizeof crossCheck,
                  "through SimulateDLL, the block's %s points above took %.2f bytes a point",
                  Count(kLong).c_str(), perPointDll);
    Report(4, "process memory per stored point at " + Count(kMemory) + " points", perPoint, " B",
           10,
           {std::to_string((after - before) / 1024 / 1024) + " MiB for " + Count(kMemory) +
                " points in the block's trace store, filled in " + Milli(t),
            crossCheck});
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  try {
    return Run(quick);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ratios_bench: %s\n", e.what());
    return 1;
  }
}
