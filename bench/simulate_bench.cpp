// Cost of a simulation step with few and with very many stored points, and of a full repaint,
// measured through the block's entry points as the host calls them.
//   simulate_bench [points]   (default 1000000)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/BenchClock.h"
#include "host/HostLibrary.h"

namespace {

class TBench {
 public:
  TBench() : host_(CreateHostWindow()), block_(host_, "Benchmark") {
    api().InitUserDLL(block_.Record());
    window_ = FindPlotWindow();
    PumpMessages();
  }
  ~TBench() { api().DisposeUserDLL(block_.Record()); }

  const BlockEntryPoints& api() const { return lib_.Api(); }

  // Point i of a curve that keeps every segment short and inside the default ranges.
  static void PointAt(long i, long double& x, long double& y) {
    x = -0.95L + 1.9L * ((i % 2000) / 2000.0L);
    y = 0.9L * std::sin(i * 0.003L);
  }
  void Init(long i) { Call(i, true); }
  void Step(long i) { Call(i, false); }

  // Seconds per step, each step timed alone, over `count` steps from point `first` on.
  double TimeSteps(long first, int count) {
    std::vector<double> times;
    for (int k = 0; k < count; ++k) {
      const double t0 = Now();
      Step(first + k);
      times.push_back(Now() - t0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }

  double TimeRepaint() {
    const HWND area = FindWindowExA(window_, nullptr, "TrazelScrollBox", nullptr);
    const double t0 = Now();
    InvalidateRect(area, nullptr, FALSE);
    UpdateWindow(area);
    return Now() - t0;
  }

  void Minimise(bool minimised) {
    if (minimised) {
      api().HideWindowDLL(block_.Record());
    } else {
      api().ShowWindowDLL(block_.Record());
    }
    PumpMessages();
  }

 private:
  void Call(long i, bool init) {
    long double x, y;
    PointAt(i, x, y);
    InputRecord in(x, y, 0);
    if (init) {
      api().InitSimulationDLL(block_.Record(), in.bytes, 0);
    } else {
      api().SimulateDLL(0, 0, 0, block_.Record(), in.bytes, 0);
    }
  }

  BlockLibrary lib_;
  HWND host_;
  HostBlock block_;
  HWND window_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  const long many = argc > 1 ? std::atol(argv[1]) : 1000000;
  TBench bench;

  // Few points: a run of ten points, then one more step, many times over; shown, then with the
  // window minimised (the step without bringing its pixels to the screen).
  for (bool minimised : {false, true}) {
    std::vector<double> few;
    bench.Minimise(minimised);
    for (int r = 0; r < 200; ++r) {
      bench.Init(0);
      for (long i = 1; i < 10; ++i) bench.Step(i);
      few.push_back(bench.TimeSteps(10, 1));
    }
    std::sort(few.begin(), few.end());
    std::printf("%sSimulateDLL step with 10 points stored:        %8.1f us (median of 200)\n",
                minimised ? "  minimised: " : "", few[few.size() / 2] * 1e6);
  }

  // Many points: filled while the window is minimised, then timed with the window shown.
  const double fillStart = Now();
  bench.Init(0);
  for (long i = 1; i < many; ++i) bench.Step(i);
  const double fill = Now() - fillStart;
  std::printf("(filling %ld points with the window minimised took %.1f s)\n", many, fill);
  std::printf("  minimised: SimulateDLL step with %ld points stored: %8.1f us (median of 2000)\n",
              many, bench.TimeSteps(many, 2000) * 1e6);
  bench.Minimise(false);
  std::printf("SimulateDLL step with %ld points stored: %8.1f us (median of 2000)\n", many + 2000,
              bench.TimeSteps(many + 2000, 2000) * 1e6);

  double best = 1e9, total = 0;
  for (int r = 0; r < 3; ++r) {
    const double t = bench.TimeRepaint();
    best = std::min(best, t);
    total += t;
  }
  std::printf("Full repaint of %ld points:               %8.1f ms (best of 3, mean %.1f ms)\n",
              many + 4000, best * 1e3, total / 3 * 1e3);
  return 0;
}
