#include "web/page_parameters.h"

#include "common/digits.h"
#include "common/quote.h"

namespace {

// Each parameter with its range, and how the frame tool words that range for its option of the
// same meaning.
struct ParameterRange {
  const char* name;
  int64_t min, max;
  const char* accepts;
};
constexpr ParameterRange Ranges[] = {
    {"mode", 1, 5, "1, 2, 3, 4 or 5"},
    {"rows", 1, 600, "a whole number from 1 to 600"},
    {"seed", 0, UINT32_MAX, "an unsigned 32-bit decimal number"},
    {"frame", 0, MaxStillFrame, "a whole number from 0 to 1000"},
    {"saver", 0, 1, "0 or 1"},
};

}  // namespace

bool ReadPageParameter(const std::string& name, const std::string& value, PageParameters& parameters,
                       std::string& error) {
  for (const ParameterRange& range : Ranges) {
    if (name != range.name) continue;
    int64_t number = 0;
    if (!ParseWhole(value, range.min, range.max, number)) {
      error = name + " must be " + range.accepts + ", not " + QuoteArgument(value);
      return false;
    }
    if (name == "mode") parameters.mode = static_cast<int32_t>(number);
    if (name == "rows") parameters.rows = static_cast<int32_t>(number);
    if (name == "seed") parameters.seed = static_cast<uint32_t>(number);
    if (name == "frame") parameters.frame = number;
    if (name == "saver") parameters.saver = number == 1;
    return true;
  }
  // Not the page's: links shared through some sites gain parameters of their own.
  return true;
}
