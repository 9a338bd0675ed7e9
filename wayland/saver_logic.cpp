#include "wayland/saver_logic.h"

#include <algorithm>
#include <utility>

#include "common/dismissal.h"

void FramePacing::Restart(int64_t now) {
  nextStep_ = now;
  awaitingCallback_ = false;
}

void FramePacing::TakeFrameSent(int64_t now) {
  nextStep_ = std::max(nextStep_ + delay_, now);
  awaitingCallback_ = true;
}

int64_t FramePacing::WaitFrom(int64_t now) const {
  if (awaitingCallback_) return -1;
  return std::max<int64_t>(nextStep_ - now, 0);
}

SurfaceSize ChooseSurfaceSize(SurfaceSize asked, SurfaceSize layout, SurfaceSize mode, int32_t scale, bool turned) {
  if (turned) std::swap(mode.width, mode.height);
  scale = std::max(scale, 1);
  const auto choose = [scale](int32_t asked, int32_t layout, int32_t mode) {
    if (asked > 0) return asked;
    if (layout > 0) return layout;
    return std::max(mode / scale, 0);
  };
  return {choose(asked.width, layout.width, mode.width), choose(asked.height, layout.height, mode.height)};
}

BufferLayout ChooseBufferLayout(int32_t width, int32_t height, int32_t outputScale, uint32_t scale120) {
  // No compositor's size or scale, however odd, may overflow a length or ask for an empty buffer.
  constexpr int32_t MaxLength = 32767, MaxScale = 16;
  width = std::clamp(width, 1, MaxLength);
  height = std::clamp(height, 1, MaxLength);
  if (scale120 > 0) {
    scale120 = std::min<uint32_t>(scale120, 120 * MaxScale);
    // Rounded half away from zero, as the fractional scale's description asks.
    const auto scaled = [scale120](int32_t length) {
      return static_cast<int32_t>(std::max<int64_t>((int64_t{length} * scale120 + 60) / 120, 1));
    };
    return {scaled(width), scaled(height), 1, true};
  }
  const int32_t scale = std::clamp(outputScale, 1, MaxScale);
  return {width * scale, height * scale, scale, false};
}

int ChooseColourConfig(const std::vector<ColourDepth>& configs) {
  const auto eightBits = [](const ColourDepth& depth) {
    return depth.red == 8 && depth.green == 8 && depth.blue == 8;
  };
  const auto found = std::find_if(configs.begin(), configs.end(), eightBits);
  return found == configs.end() ? -1 : static_cast<int>(found - configs.begin());
}

bool PointerOrigin::TakePosition(const void* space, int32_t x, int32_t y) {
  if (!space_) {
    space_ = space;
    x_ = x;
    y_ = y;
    return false;
  }
  return space != space_ || IsFarEnoughToDismiss(x_, y_, x, y);
}
