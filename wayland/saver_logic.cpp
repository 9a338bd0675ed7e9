#include "wayland/saver_logic.h"

#include <algorithm>

#include "shell/shell_logic.h"

void FramePacing::Restart(int64_t now) {
  clock_.Restart(now);
  awaitingCallback_ = false;
}

int64_t FramePacing::TakeFrameSent(int64_t now, const FrameBudget& budget) {
  awaitingCallback_ = true;
  return clock_.TakeFrame(now, budget);
}

int64_t FramePacing::WaitFrom(int64_t now) const { return awaitingCallback_ ? -1 : clock_.WaitFrom(now); }

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

bool PointerOrigin::TakePosition(const void* surface, int32_t x, int32_t y) {
  if (!surface_) {
    surface_ = surface;
    x_ = x;
    y_ = y;
    return false;
  }
  return surface != surface_ || IsFarEnoughToDismiss(x_, y_, x, y);
}
