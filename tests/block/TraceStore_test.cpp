#include "block/TraceStore.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

struct Sample {
  float x, y;
  long double control;
};

std::vector<std::vector<float>> Xs(const TTraceStore& store) {
  std::vector<std::vector<float>> traces;
  for (int k = 0; k < store.Count(); ++k) {
    std::vector<float> xs;
    for (int i = 0; i < store.X(k).Count(); ++i) xs.push_back(store.X(k).Value(i));
    traces.push_back(xs);
  }
  return traces;
}

std::vector<int> Feed(TTraceStore& store, const std::vector<Sample>& samples) {
  std::vector<int> points;
  for (const Sample& s : samples) points.push_back(store.Record(s.x, s.y, s.control));
  return points;
}

TEST(PenRule, HighControlLiftsThePenAndARiseBeginsANewTrace) {
  TTraceStore store;
  store.BeginRun();
  auto points = Feed(store, {{1, 1, 0}, {2, 2, 0}, {3, 3, 5}, {4, 4, 5}, {5, 5, 0}, {6, 6, 0}});
  EXPECT_EQ(points, (std::vector<int>{1, 2, 0, 0, 1, 2}));
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{1, 2}, {5, 6}}));
}

TEST(PenRule, ExactlyTheThresholdIsNeitherLowNorHigh) {
  TTraceStore store;
  store.BeginRun();
  auto points = Feed(store, {{1, 1, 0}, {2, 2, 2.5L}, {3, 3, 3}, {4, 4, 0}});
  // 2.5 -> 3 is no rising edge: the first and the last point share one trace.
  EXPECT_EQ(points, (std::vector<int>{1, 0, 0, 2}));
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{1, 4}}));
}

TEST(PenRule, ComparisonUsesAllEightyBits) {
  TTraceStore store;
  store.BeginRun();
  long double justAbove = std::nextafter(2.5L, 3.0L);
  long double justBelow = std::nextafter(2.5L, 2.0L);
  // Both values round to 2.5 as doubles or floats; only the extended comparison tells.
  Feed(store, {{1, 1, justAbove}, {2, 2, justBelow}});
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{}, {2}}));
}

TEST(PenRule, FirstSampleWithControlHighLeavesTheFirstTraceEmpty) {
  TTraceStore store;
  store.BeginRun();
  auto points = Feed(store, {{1, 1, 5}, {2, 2, 5}, {3, 3, 1}});
  EXPECT_EQ(points, (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{}, {3}}));
}

TEST(PenRule, ASecondRunWithoutBeginAppendsToTheLastTrace) {
  TTraceStore store;
  store.BeginRun();
  Feed(store, {{1, 1, 0}, {2, 2, 0}});
  Feed(store, {{3, 3, 0}});
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{1, 2, 3}}));
}

TEST(PenRule, BeginRunRemovesEveryTrace) {
  TTraceStore store;
  store.BeginRun();
  Feed(store, {{1, 1, 0}, {2, 2, 5}, {3, 3, 0}, {4, 4, 5}, {5, 5, 0}});
  ASSERT_EQ(store.Count(), 3);
  store.BeginRun();
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{}}));
  EXPECT_EQ(store.LastControl, 0.0L);
}

TEST(PenRule, StepWithoutAnyTraceStartsTheFirstOne) {
  TTraceStore store;  // the host skipped the start of the run
  EXPECT_EQ(store.Record(1, 2, 0), 1);
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{1}}));
}

TEST(PenRule, ValuesAreStoredAsNearestFloatsAndNonFiniteOnesUnchanged) {
  TTraceStore store;
  store.BeginRun();
  const long double inf = std::numeric_limits<long double>::infinity();
  store.Record(0.1L, 1e39L, 0);
  store.Record(std::nanl(""), -inf, 0);
  EXPECT_EQ(store.X(0).Value(0), 0.1f);
  EXPECT_TRUE(std::isinf(store.Y(0).Value(0)));
  EXPECT_TRUE(std::isnan(store.X(0).Value(1)));
  EXPECT_EQ(store.Y(0).Value(1), -std::numeric_limits<float>::infinity());
}

TEST(PenRule, NewTracesReserveRoomForAThousandPoints) {
  TTraceStore store;
  store.BeginRun();
  store.Record(0, 0, 5);
  ASSERT_EQ(store.Count(), 2);
  EXPECT_GE(store.X(1).Capacity(), 1000);
  EXPECT_GE(store.Y(1).Capacity(), 1000);
}

}  // namespace
