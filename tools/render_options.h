// Command line of vellumir-render.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/quote.h"

struct RenderOptions {
  int32_t width = 1920;
  int32_t height = 1080;
  int32_t rows = 100;
  std::optional<uint32_t> seed;
  std::optional<int32_t> mode;
  std::optional<std::vector<float>> phases;
  int64_t frames = 1;
  std::string dumpPath;
  std::string pngPath;
  bool exact = false;  // extended precision for every node, not the fast path
};

constexpr int32_t MaxImageSide = 16384;  // the offscreen renderer's largest viewport
constexpr int64_t MaxFrames = INT32_MAX;  // a signed 32-bit count: weeks of work at the default size

enum class RenderRequest { Render, ShowHelp, ShowVersion, Fail };

extern const char RenderUsage[];

// Fills `options` from the arguments after the program name; on bad input returns Fail and names
// the problem in `error`. A help or version option asks for that alone, wherever it stands after
// good options.
RenderRequest ParseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error);
