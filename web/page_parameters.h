// The page's URL parameters, read by the number parser every front end shares and in the frame
// tool's words, so that a still frame of both means the same thing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The most frames a still picture may take: a few seconds' work at the default 100 rows (docs/web.md
// has the time per frame); more rows take longer, and the page shows its progress meanwhile.
constexpr int64_t MaxStillFrame = 1000;

struct PageParameters {
  std::optional<int32_t> mode;    // none: the one the seed draws
  int32_t rows = 100;
  std::optional<uint32_t> seed;   // none: from the clock
  std::optional<int64_t> frame;   // compute this many frames, show the last and stop
  bool saver = false;             // leave full screen at any key or a long mouse movement
};

// Takes one parameter into `parameters`, or ignores one the page does not know; false for a bad
// value, with `error` naming the parameter, what it got and what it accepts.
bool ReadPageParameter(const std::string& name, const std::string& value, PageParameters& parameters,
                       std::string& error);
