// Plays a video with the platform's own player on the manual clock and writes the frame it shows
// at each time asked for, as a PNG: what an app playing the recording would show then.
//
// Usage: player_frames VIDEO OUT_DIR TIME...   (times in seconds, ascending)
// Writes OUT_DIR/player-TIME.png for each TIME; exits 1 when the player has no frame to show.
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "avfoundation/AVPlayer.h"
#include "avfoundation/AVPlayerItem.h"
#include "avfoundation/VideoFrame.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSURL.h"
#include "foundation/RunLoop.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s VIDEO OUT_DIR TIME...\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path video = fs::absolute(argv[1]);
  const std::string out = argv[2];
  // The player opens device paths: the video's folder stands in as the device.
  DeviceRoot::setPath(video.parent_path().string());
  RunLoop::useManualClock();
  auto item =
      AVPlayerItem::playerItemWithURL(NSURL::fileURLWithPath("/" + video.filename().string()));
  auto player = AVPlayer::playerWithPlayerItem(item);
  if (item->status() != AVPlayerItemStatusReadyToPlay) {
    std::fprintf(stderr, "the player cannot play %s\n", video.c_str());
    return 1;
  }
  player->play();
  double clock = 0;
  for (int i = 3; i < argc; ++i) {
    const double time = std::strtod(argv[i], nullptr);
    if (time < clock) {
      std::fprintf(stderr, "times must ascend: %s\n", argv[i]);
      return 2;
    }
    RunLoop::advance(time - clock);
    clock = time;
    auto frame = item->currentFrame();
    const auto image = frame ? frame->imageOf(CGRectMake(0, 0, frame->naturalSize().width,
                                                         frame->naturalSize().height),
                                              frame->pixelWidth(), frame->pixelHeight())
                             : nullptr;
    if (!image) {
      std::fprintf(stderr, "no frame at %s s\n", argv[i]);
      return 1;
    }
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        image->pixels.get(), CAIRO_FORMAT_RGB24, image->width, image->height, image->stride);
    const std::string path = out + "/player-" + argv[i] + ".png";
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!written) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
