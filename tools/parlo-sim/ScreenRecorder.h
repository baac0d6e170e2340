#pragma once

// Records what the screen shows as H.264 in an MP4 file, 30 frames a second on the app's clock:
// on the manual clock a second of script is a second of video, however fast the script runs.
// Each frame redraws only what changed since the last (render::ScreenRenderer); a frame with no
// change repeats the last picture. What changed is converted to YUV at once (a large change in
// bands on two threads), and encoded on a worker thread of the recorder's own while the app
// goes on to its next frame, on its one thread. The file is fragmented every second,
// so a run that is cut short still leaves a playable video of all but its last second.

#include <memory>
#include <string>

namespace sim {

class ScreenRecorder {
 public:
  static constexpr int kFramesPerSecond = 30;

  // Opens the file and the encoder; std::nullptr with `error` set when the file cannot be
  // written or the encoder is missing. `scale` is pixels per point (3 is the screen's own);
  // odd sizes are rounded down to even ones, as H.264 wants.
  static std::unique_ptr<ScreenRecorder> open(const std::string& path, double scale,
                                              std::string& error);
  ~ScreenRecorder();
  ScreenRecorder(const ScreenRecorder&) = delete;
  ScreenRecorder& operator=(const ScreenRecorder&) = delete;

  // Takes the frames that are due up to `now` (seconds on the app's clock); the first call sets
  // the video's start.
  void capture(double now);
  // Takes the frames due up to `now`, encodes what is left and closes the file. False with
  // `error` set when writing failed at any point.
  bool finish(double now, std::string& error);

  // Frames taken so far.
  long frames() const;

 private:
  struct State;
  explicit ScreenRecorder(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace sim
