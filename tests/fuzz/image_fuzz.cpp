// Feeds arbitrary bytes to the picture decoder. A decoded picture must have
// exactly the buffer its size and frame count promise (each later frame's
// change record inside the canvas), and the decoder must
// have kept within its budget. The budget is an eighth of the game's, so that
// the decoder's peak, the picture handed back and the sanitizer's hold on
// freed memory stay well inside the memory limit the runs use; headers
// claiming more are refused the same way.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "storage/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::uint64_t FUZZ_BUDGET = puzzle::DECODE_MEMORY_BUDGET / 8;
  std::uint64_t peak = 0;
  const auto picture = puzzle::DecodePicture(std::span(data, size), FUZZ_BUDGET, &peak);
  if (peak > FUZZ_BUDGET) std::abort();
  if (!picture) return 0;
  const std::size_t frameBytes = static_cast<std::size_t>(picture->width) * picture->height * 4;
  const bool animated = picture->frameCount > 1;
  if (picture->width <= 0 || picture->height <= 0 || picture->pixels.size() < frameBytes ||
      picture->frameCount > puzzle::MAX_FRAMES ||
      picture->frameDelays.size() != (animated ? static_cast<std::size_t>(picture->frameCount) : 0u)) {
    std::abort();
  }
  // Every later frame has its change record, and nothing follows the last.
  std::size_t at = frameBytes;
  puzzle::FrameChange change;
  for (std::int32_t f = 1; f < picture->frameCount; ++f) {
    if (!puzzle::ReadFrameChange(picture->pixels, at, picture->width, picture->height, change)) std::abort();
  }
  if (at != picture->pixels.size()) std::abort();
  return 0;
}
