// IsPasswordRequired over every outcome of reading "ScreenSaveUsePassword" into the saver's
// zeroed 4-byte buffer: a value of any type and any length, or a failed query.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/shell_logic.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr int32_t Success = 0, FileNotFound = 2, MoreData = 234;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  unsigned char buffer[4] = {};
  uint32_t reported = sizeof buffer;
  int32_t status;
  bool expected = false;
  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0: {
      // A stored value. Its type never matters, so its bytes stand for every type.
      const std::vector<uint8_t> stored = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 16));
      reported = static_cast<uint32_t>(stored.size());
      if (stored.size() <= sizeof buffer) {
        status = Success;
        std::copy(stored.begin(), stored.end(), buffer);
        expected = std::any_of(stored.begin(), stored.end(), [](uint8_t byte) { return byte != 0; });
      } else {
        // Too long: the query fails and leaves the buffer undefined.
        status = MoreData;
        for (unsigned char& byte : buffer) byte = input.ConsumeIntegral<uint8_t>();
      }
      break;
    }
    case 1:
      status = FileNotFound;
      break;
    default:
      // Any other failure, with whatever it left in the buffer and the size.
      status = input.ConsumeIntegral<int32_t>();
      if (status == Success) status = MoreData;
      reported = input.ConsumeIntegral<uint32_t>();
      for (unsigned char& byte : buffer) byte = input.ConsumeIntegral<uint8_t>();
  }
  FUZZ_CHECK(IsPasswordRequired(status, reported, buffer) == expected);
  return 0;
}
