#include "block/TrazelExport.h"

#include <cfloat>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(ShortestFloatText, ReadsBackAsTheSameFloatWithTheFewestDigits) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.0f, "0"},           {-0.0f, "-0"},
      {1.0f, "1"},           {2350.0f, "2350"},
      {0.1f, "0.1"},         {-184.25f, "-184.25"},
      {1.0f / 3, "0.33333334"}, {16777216.0f, "16777216"},
      {1e10f, "1e+10"},      {FLT_MAX, "3.4028235e+38"},
      {-FLT_MAX, "-3.4028235e+38"}, {FLT_MIN, "1.1754944e-38"},
      {FLT_TRUE_MIN, "1e-45"}, {0.0001f, "1e-04"}, {0.001f, "0.001"},
  };
  for (const auto& c : cases) {
    const std::string text = ShortestFloatText(c.value);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(std::strtof(text.c_str(), nullptr), c.value) << text;
  }
}

struct TPoint {
  float x, y;
};
using TTraces = std::vector<std::vector<TPoint>>;

std::string Export(const TTraceStore& store);

// The text exported from a store of these traces.
std::string ExportOf(const TTraces& traces) {
  TTraceStore store;
  for (const auto& trace : traces) {
    store.AddTrace(0);
    for (const TPoint& p : trace) {
      store.X(store.Count() - 1).Add(p.x);
      store.Y(store.Count() - 1).Add(p.y);
    }
  }
  return Export(store);
}

std::string Export(const TTraceStore& store) {
  std::string text;
  EXPECT_TRUE(WriteMeasuredValues(store, [&](const char* piece, size_t n) {
    text.append(piece, n);
    return true;
  }));
  return text;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

TEST(MeasuredValues, OneLineAPointAndPenLiftsBetweenTracesAndAtGaps) {
  const struct {
    const char* name;
    TTraces traces;
    std::vector<std::string> lines;
  } cases[] = {
      {"no traces", {}, {"x,y,control"}},
      {"one trace", {{{0.5f, -1}, {2350, 184}}}, {"x,y,control", "0.5,-1,0", "2350,184,0"}},
      {"three traces, an empty one between",
       {{{1, 2}}, {}, {{3, 4}, {5, 6}}, {{7, 8}}},
       {"x,y,control", "1,2,0", "3,4,5", "3,4,0", "5,6,0", "7,8,5", "7,8,0"}},
      {"first trace empty", {{}, {{1, 1}}}, {"x,y,control", "1,1,0"}},
      {"a gap inside a trace",
       {{{1, 1}, {kInf, 2}, {3, 3}}},
       {"x,y,control", "1,1,0", "1,1,5", "3,3,0"}},
      {"gaps in a row, then a new trace",
       {{{1, 1}, {2, kNaN}, {-kInf, 3}}, {{4, 4}}},
       {"x,y,control", "1,1,0", "1,1,5", "4,4,0"}},
      {"a trace that begins with a gap",
       {{{1, 1}}, {{kNaN, kNaN}, {2, 2}}},
       {"x,y,control", "1,1,0", "1,1,5", "2,2,0"}},
      {"ends of the float range",
       {{{FLT_MAX, -FLT_MAX}, {FLT_TRUE_MIN, -0.0f}}},
       {"x,y,control", "3.4028235e+38,-3.4028235e+38,0", "1e-45,-0,0"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ExportOf(c.traces), Lines(c.lines)) << c.name;
}

TEST(MeasuredValues, ALongExportComesInPiecesAndStopsWhenTheSinkRefuses) {
  TTraceStore store;
  store.AddTrace(0);
  for (int i = 0; i < 20000; ++i) {
    store.X(0).Add(i * 0.25f);
    store.Y(0).Add(-i * 1e-3f);
  }
  std::string whole;
  int pieces = 0;
  ASSERT_TRUE(WriteMeasuredValues(store, [&](const char* piece, size_t n) {
    whole.append(piece, n);
    return ++pieces > 0;
  }));
  EXPECT_GT(pieces, 2);
  const std::string start = Lines({"x,y,control", "0,0,0", "0.25,-0.001,0"});
  EXPECT_EQ(whole.substr(0, start.size()), start);
  int calls = 0;
  EXPECT_FALSE(WriteMeasuredValues(store, [&](const char*, size_t) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
}

}  // namespace
