// ReadPageParameter over any name and value a URL can carry (any byte, zero included): the
// input's first byte is the name's length, the name follows, the rest is the value.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/fuzz_check.h"
#include "web/page_parameters.h"

namespace {

bool operator==(const PageParameters& a, const PageParameters& b) {
  return a.mode == b.mode && a.rows == b.rows && a.seed == b.seed && a.frame == b.frame && a.saver == b.saver;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string name = rest.substr(0, data[0]);
  const std::string value = rest.substr(name.size());

  const PageParameters before;
  PageParameters parameters;
  std::string error;
  if (!ReadPageParameter(name, value, parameters, error)) {
    // The message names the parameter and quotes the value: one line of printable text.
    FUZZ_CHECK(error.rfind(name + " must be ", 0) == 0);
    for (char c : error) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f);
    FUZZ_CHECK(parameters == before);
    return 0;
  }
  FUZZ_CHECK(error.empty());
  FUZZ_CHECK(!parameters.mode || (*parameters.mode >= 1 && *parameters.mode <= 5));
  FUZZ_CHECK(parameters.rows >= 1 && parameters.rows <= 600);
  FUZZ_CHECK(!parameters.frame || (*parameters.frame >= 0 && *parameters.frame <= MaxStillFrame));
  // One the page does not know (a sharing site's, a misspelt one) changes nothing.
  const bool known = name == "mode" || name == "rows" || name == "seed" || name == "frame" || name == "saver";
  FUZZ_CHECK(known || parameters == before);
  return 0;
}
