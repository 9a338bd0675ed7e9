#include <gtest/gtest.h>

#include "tools/render_options.h"

TEST(RenderOptions, AcceptsEveryOptionWithAGoodValue) {
  RenderOptions options;
  std::string error;
  ASSERT_EQ(ParseRenderOptions({"--width", "133", "--height", "100", "--rows", "50", "--seed", "4294967295", "--mode",
                                "5", "--phases", "0.25,-1e-3,6.8", "--frames", "0", "--dump", "a.bin", "--png", "a.png", "--exact"},
                               options, error),
            RenderRequest::Render)
      << error;
  EXPECT_EQ(options.width, 133);
  EXPECT_EQ(options.height, 100);
  EXPECT_EQ(options.rows, 50);
  EXPECT_EQ(options.seed, 4294967295u);
  EXPECT_EQ(options.mode, 5);
  EXPECT_EQ(options.phases, (std::vector<float>{0.25f, -1e-3f, 6.8f}));
  EXPECT_EQ(options.frames, 0);
  EXPECT_EQ(options.dumpPath, "a.bin");
  EXPECT_EQ(options.pngPath, "a.png");
  EXPECT_TRUE(options.exact);
}

TEST(RenderOptions, KeepsTheDefaultsWithoutOptions) {
  RenderOptions options;
  std::string error;
  ASSERT_EQ(ParseRenderOptions({}, options, error), RenderRequest::Render);
  EXPECT_EQ(options.width, 1920);
  EXPECT_EQ(options.height, 1080);
  EXPECT_EQ(options.rows, 100);
  EXPECT_FALSE(options.seed);
  EXPECT_FALSE(options.mode);
  EXPECT_EQ(options.frames, 1);
  EXPECT_FALSE(options.exact);
}

TEST(RenderOptions, RejectsBadInputNamingTheProblem) {
  struct Case {
    std::vector<std::string> arguments;
    const char* named;
  } const cases[] = {
      {{"--colour", "red"}, "--colour"},
      {{"-w", "10"}, "-w"},
      {{"--width"}, "--width"},
      {{"--width", "0"}, "--width"},
      {{"--height", "-1"}, "--height"},
      {{"--width", "12px"}, "--width"},
      {{"--width", " 12"}, "--width"},
      {{"--width", "16385"}, "--width"},
      {{"--rows", "0"}, "--rows"},
      {{"--rows", "601"}, "--rows"},
      {{"--mode", "0"}, "--mode"},
      {{"--mode", "6"}, "--mode"},
      {{"--mode", "2.0"}, "--mode"},
      {{"--frames", "-1"}, "--frames"},
      {{"--frames", "2147483648"}, "to 2147483647"},  // the message names the limit
      {{"--seed", "-1"}, "--seed"},
      {{"--seed", "4294967296"}, "--seed"},
      {{"--seed", "+5"}, "--seed"},
      {{"--seed", "18446744073709551617"}, "--seed"},  // wraps to 1 in 64 bits
      {{"--phases", "1,2"}, "--phases"},
      {{"--phases", "1,2,3,4"}, "--phases"},
      {{"--phases", "1,,3"}, "--phases"},
      {{"--phases", "1,2,3,"}, "--phases"},
      {{"--phases", "1,2,nan"}, "--phases"},
      {{"--phases", "1,2,1e99"}, "--phases"},
      {{"--phases", "a,b,c"}, "--phases"},
      {{"--dump", ""}, "--dump"},
      {{"--png"}, "--png"},
  };
  for (const Case& c : cases) {
    RenderOptions options;
    std::string error;
    EXPECT_EQ(ParseRenderOptions(c.arguments, options, error), RenderRequest::Fail) << c.arguments[0];
    EXPECT_NE(error.find(c.named), std::string::npos) << error;
  }
}

// Help and version stand alone: the options before them need only be good, not complete.
TEST(RenderOptions, AnswersHelpAndVersionWhereverTheyStand) {
  struct Case {
    std::vector<std::string> arguments;
    RenderRequest request;
  } const cases[] = {
      {{"--help"}, RenderRequest::ShowHelp},
      {{"--seed", "3", "-h", "--bogus"}, RenderRequest::ShowHelp},
      {{"--png", "a.png", "--version", "--width"}, RenderRequest::ShowVersion},
      {{"--bogus", "--help"}, RenderRequest::Fail},
      {{"--dump", "--help"}, RenderRequest::Render},  // the name of a file, not an option
  };
  for (const Case& c : cases) {
    RenderOptions options;
    std::string error;
    EXPECT_EQ(ParseRenderOptions(c.arguments, options, error), c.request) << ::testing::PrintToString(c.arguments);
  }
}
