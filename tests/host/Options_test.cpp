#include "host/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(HostOptions, SizeIsWidthTimesHeightInPixels) {
  struct Case {
    const char* text;
    bool ok;
    int w, h;
  };
  const Case cases[] = {
      {"800x600", true, 800, 600}, {"1X1", true, 1, 1},        {"16384x16384", true, 16384, 16384},
      {"800", false, 0, 0},        {"0x600", false, 0, 0},     {"800x0", false, 0, 0},
      {"-5x4", false, 0, 0},       {"800x600x2", false, 0, 0}, {"80 0x600", false, 0, 0},
      {"16385x10", false, 0, 0},   {"x", false, 0, 0},         {"99999999999x5", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int w = 0, h = 0;
    EXPECT_EQ(ParseSize(c.text, w, h), c.ok);
    if (c.ok) {
      EXPECT_EQ(w, c.w);
      EXPECT_EQ(h, c.h);
    }
  }
}

TEST(HostOptions, ReadsEveryOption) {
  const TParsedOptions p =
      ParseOptions({"--samples", "run.csv", "--settings", "map.txt", "--out", "a b.png", "--area",
                    "--repaint", "--size", "640x480", "--line-width", "3", "--title", "Pumpe",
                    "--print", "--wait", "--quiet", "--dll", "Trazel32.dll"});
  ASSERT_TRUE(p.Ok) << p.Error;
  const TOptions& o = p.Options;
  EXPECT_EQ(o.Samples, "run.csv");
  EXPECT_EQ(o.Settings, "map.txt");
  EXPECT_EQ(o.Out, "a b.png");
  EXPECT_TRUE(o.Area && o.Repaint && o.Print && o.Wait && o.Quiet);
  EXPECT_FALSE(o.Demo);
  EXPECT_EQ(o.Width, 640);
  EXPECT_EQ(o.Height, 480);
  EXPECT_EQ(o.LineWidth, 3);
  EXPECT_EQ(o.Title, "Pumpe");
  EXPECT_EQ(o.Library, "Trazel32.dll");
}

TEST(HostOptions, ThePictureIsNamedAfterWhatIsShown) {
  struct Case {
    std::vector<std::string> args;
    const char* out;
    const char* title;
  };
  const Case cases[] = {
      {{"--samples", "C:\\runs\\pump.v2.csv"}, "pump.v2.png", "pump.v2"},
      {{"--samples", "../data/run"}, "run.png", "run"},
      {{"--settings", "map.txt"}, "map.png", "map"},
      {{"--demo"}, "demo.png", "Motorkennfeld"},
      {{"--demo", "--samples", "x.csv"}, "demo.png", "Motorkennfeld"},
      {{"--samples", "x.csv", "--wait"}, "", "x"},   // the window is shown instead
      {{"--samples", "x.csv", "--print"}, "", "x"},  // the page is the picture
      {{"--samples", "x.csv", "--out", "y.png", "--title", "T"}, "y.png", "T"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    const TParsedOptions p = ParseOptions(c.args);
    ASSERT_TRUE(p.Ok) << p.Error;
    EXPECT_EQ(p.Options.Out, c.out);
    EXPECT_EQ(p.Options.Title, c.title);
  }
}

TEST(HostOptions, AWrongCommandLineSaysWhatIsWrong) {
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const Case cases[] = {
      {{}, "nothing to show"},
      {{"--print"}, "nothing to show"},
      {{"--samples"}, "--samples needs a value"},
      {{"--samples", ""}, "--samples needs a value"},
      {{"--demo", "--out"}, "--out needs a value"},
      {{"--demo", "--size"}, "--size needs a value"},
      {{"--demo", "--size", "big"}, "--size 'big'"},
      {{"--demo", "--colour", "red"}, "unknown option '--colour'"},
      {{"--demo", "--line-width", "0"}, "--line-width '0'"},
      {{"--demo", "--line-width", "11"}, "--line-width '11'"},
      {{"--demo", "--line-width"}, "--line-width needs a value"},
      {{"-"}, "samples from standard input need -o FILE"},
      {{"a.csv", "b.csv"}, "a second samples file 'b.csv'"},
      {{"--samples", "a.csv", "b.csv"}, "a second samples file 'b.csv'"},
      {{"a.csv", "--", "b.csv"}, "a second samples file 'b.csv'"},
      {{"a.csv", "--quiet", "--quiet"}, "--quiet is given twice"},
      {{"a.csv", "-o", "x.png", "--out=y.png"}, "--out is given twice"},
      {{"a.csv", "--help", "-h"}, "-h is given twice"},
      {{"a.csv", "--area=yes"}, "--area takes no value"},
      {{"a.csv", "--out="}, "--out needs a value"},
      {{"a.csv", "--size=0x5"}, "--size '0x5'"},
      {{"a.csv", "--out", "x.jpg"}, "--out 'x.jpg': a picture is written as .png or .bmp"},
      {{"a.csv", "-o", "pictures.png/x"}, "--out 'pictures.png/x'"},
      {{"a.csv", "--output", "x.png"}, "unknown option '--output'"},
      {{"a.csv", "-x"}, "unknown option '-x'"},
      {{""}, "an empty file name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    const TParsedOptions p = ParseOptions(c.args);
    EXPECT_FALSE(p.Ok);
    EXPECT_NE(p.Error.find(c.error), std::string::npos) << p.Error;
  }
}

TEST(HostOptions, TakesTheUsualSpellings) {
  struct Case {
    std::vector<std::string> args;
    const char* samples;
    const char* out;
    bool outNamed;
    TPictureFormat format;
  };
  const TPictureFormat png = TPictureFormat::Png, bmp = TPictureFormat::Bmp;
  const Case cases[] = {
      {{"run.csv"}, "run.csv", "run.png", false, png},
      {{"run.csv", "-o", "x.BMP"}, "run.csv", "x.BMP", true, bmp},
      {{"--out=a=b.png", "run.csv"}, "run.csv", "a=b.png", true, png},
      {{"--samples=run.csv", "--size=64x48", "--line-width=2"}, "run.csv", "run.png", false, png},
      {{"--", "--odd.csv"}, "--odd.csv", "--odd.png", false, png},
      {{"C:\\runs.d\\pump"}, "C:\\runs.d\\pump", "pump.png", false, png},
      {{"-", "-o", "x.png"}, "-", "x.png", true, png},
      {{"--samples", "-", "--print"}, "-", "", false, png},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    const TParsedOptions p = ParseOptions(c.args);
    ASSERT_TRUE(p.Ok) << p.Error;
    EXPECT_EQ(p.Options.Samples, c.samples);
    EXPECT_EQ(p.Options.Out, c.out);
    EXPECT_EQ(p.Options.OutNamed, c.outNamed);
    EXPECT_EQ(p.Options.Format, c.format);
  }
  const TParsedOptions sized = ParseOptions({"a.csv", "--size=64x48", "--line-width=2"});
  EXPECT_EQ(sized.Options.Width, 64);
  EXPECT_EQ(sized.Options.LineWidth, 2);
  for (const char* alone : {"--help", "-h", "/?", "--version"}) {
    const TParsedOptions p = ParseOptions({alone});
    EXPECT_TRUE(p.Ok && (p.Options.Help || p.Options.Version)) << alone;
  }
}

TEST(HostOptions, HelpNeedsNothingElseAndNamesEveryOption) {
  const TParsedOptions p = ParseOptions({"--help"});
  ASSERT_TRUE(p.Ok);
  EXPECT_TRUE(p.Options.Help);
  const std::string usage = UsageText("Trazel64.dll");
  for (const char* option : {"--demo", "--samples", "--settings", "--out", "--area", "--repaint",
                             "--size", "--line-width", "--title", "--print", "--wait", "--quiet",
                             "--dll", "--help", "Trazel64.dll", "-h,", "-o,", "--strict",
                             "--force", "--version", "Exit status", "  2  "})
    EXPECT_NE(usage.find(option), std::string::npos) << option;
}

}  // namespace
