// Arbitrary bytes as a movie: opened, played to its end, sought back and drawn at a few sizes.
// Besides not crashing, a refusal always says why, and playing always moves forward and ends.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "avfoundation/VideoDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string why;
  auto video = VideoDecoder::openBytes({data, size}, why);
  if (!video) {
    if (why.empty()) std::abort();
    return 0;
  }
  CGSize natural = video->naturalSize();
  if (!(natural.width > 0 && natural.height > 0)) std::abort();

  int frames = 0;
  int64_t last = video->currentFrame()->time();
  while (auto next = video->nextFrameTime()) {
    if (*next <= last || ++frames > 2000) std::abort();
    video->advanceTo(*next);
    last = video->currentFrame()->time();
    if (frames % 16 == 1) {
      CGSize shown = video->currentFrame()->naturalSize();
      video->currentFrame()->imageOf(CGRectMake(0, 0, shown.width, shown.height), 17, 9);
      video->currentFrame()->imageOf(CGRectMake(shown.width / 3, 1, shown.width, 2), 3, 40);
    }
  }
  if (video->endOfCurrentFrame() < last) std::abort();
  if (video->seekTo(0) && !video->currentFrame()) std::abort();
  return 0;
}
