#include "ScreenRecorder.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "render/ScreenRenderer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

namespace sim {
namespace {

std::string averror(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// A changed rectangle of the screen in device pixels, its corners on even pixels (one chroma
// sample covers 2 x 2 of them), and its BGRA pixels row after row.
struct Patch {
  int x = 0, y = 0, width = 0, height = 0;
  size_t offset = 0;  // into the job's pixels
};

// One frame for the encoder: what changed since the last one (nothing: show it again).
struct Job {
  std::shared_ptr<std::vector<uint8_t>> pixels;
  std::vector<Patch> patches;
  int64_t pts = 0;
  bool end = false;
};

Job endOfRecording() {
  Job job;
  job.end = true;
  return job;
}

// BT.601 in limited range, as the stream says, from 8-bit BGRA (opaque: the screen is).
void convertPatch(const Patch& patch, const uint8_t* pixels, AVFrame* frame) {
  const int stride = patch.width * 4;
  for (int y = 0; y < patch.height; y += 2) {
    const uint8_t* row0 = pixels + patch.offset + static_cast<size_t>(y) * stride;
    const uint8_t* row1 = row0 + stride;
    uint8_t* luma0 = frame->data[0] + (patch.y + y) * frame->linesize[0] + patch.x;
    uint8_t* luma1 = luma0 + frame->linesize[0];
    uint8_t* cb = frame->data[1] + (patch.y + y) / 2 * frame->linesize[1] + patch.x / 2;
    uint8_t* cr = frame->data[2] + (patch.y + y) / 2 * frame->linesize[2] + patch.x / 2;
    for (int x = 0; x < patch.width; x += 2) {
      int red = 0, green = 0, blue = 0;
      for (const uint8_t* p : {row0 + x * 4, row0 + x * 4 + 4, row1 + x * 4, row1 + x * 4 + 4}) {
        blue += p[0], green += p[1], red += p[2];
      }
      const auto luma = [](const uint8_t* p) {
        return static_cast<uint8_t>(((66 * p[2] + 129 * p[1] + 25 * p[0] + 128) >> 8) + 16);
      };
      luma0[x] = luma(row0 + x * 4), luma0[x + 1] = luma(row0 + x * 4 + 4);
      luma1[x] = luma(row1 + x * 4), luma1[x + 1] = luma(row1 + x * 4 + 4);
      // Sums of four pixels: the weights' sums are 4 x 256.
      cb[x / 2] = static_cast<uint8_t>(((-38 * red - 74 * green + 112 * blue + 512) >> 10) + 128);
      cr[x / 2] = static_cast<uint8_t>(((112 * red - 94 * green - 18 * blue + 512) >> 10) + 128);
    }
  }
}

// Frames waiting for the encoder at most; the app waits rather than piling up frames.
constexpr size_t kMostQueued = 4;

}  // namespace

struct ScreenRecorder::State {
  std::string path;
  int width = 0, height = 0;
  render::ScreenRenderer renderer;
  AVFormatContext* format = nullptr;
  AVCodecContext* encoder = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  bool headerWritten = false;

  bool started = false;
  double start = 0;
  int64_t next = 0;
  // The last frame taken, held back until the next one is due: a recording that ends at its
  // time leaves it out, so that D seconds of run are D * 30 frames.
  std::optional<Job> pending;
  long pushed = 0;

  std::mutex mutex;
  std::condition_variable changed;
  std::deque<Job> queue;
  std::vector<std::shared_ptr<std::vector<uint8_t>>> spare;
  std::string failure;  // the worker's first error
  std::thread worker;

  explicit State(double scale) : renderer({scale, {390, 844}}) {}

  ~State() {
    if (worker.joinable()) {
      push(endOfRecording());
      worker.join();
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&encoder);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }

  void push(Job job) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return queue.size() < kMostQueued; });
    queue.push_back(std::move(job));
    changed.notify_all();
  }

  void fail(const std::string& message) {
    std::lock_guard lock(mutex);
    if (failure.empty()) failure = message;
  }

  // Hands every packet the encoder has ready to the file.
  bool drain() {
    while (true) {
      int status = avcodec_receive_packet(encoder, packet);
      if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return true;
      if (status < 0) {
        fail("encoding failed: " + averror(status));
        return false;
      }
      av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
      packet->stream_index = stream->index;
      status = av_interleaved_write_frame(format, packet);
      if (status < 0) {
        fail("cannot write " + path + ": " + averror(status));
        return false;
      }
    }
  }

  void encodeLoop() {
    bool ok = true;
    while (true) {
      Job job;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return !queue.empty(); });
        job = std::move(queue.front());
        queue.pop_front();
        changed.notify_all();
      }
      if (job.end) break;
      if (!ok) continue;
      if (job.pixels) {
        // Keeps what did not change: the encoder may still hold the last frame.
        ok = av_frame_make_writable(frame) >= 0;
        for (const Patch& patch : job.patches) {
          if (ok) convertPatch(patch, job.pixels->data(), frame);
        }
        std::lock_guard lock(mutex);
        spare.push_back(std::move(job.pixels));
      }
      frame->pts = job.pts;
      int status = ok ? avcodec_send_frame(encoder, frame) : -1;
      if (status < 0) {
        fail("encoding failed: " + averror(status));
        ok = false;
      } else {
        ok = drain();
      }
    }
  }

  // Copies the rectangles that changed (in points), widened to even pixels and cut to the
  // video's even size, into the job.
  void copyPatches(const std::vector<CGRect>& changed, Job& job) {
    {
      std::lock_guard lock(mutex);
      if (!spare.empty()) {
        job.pixels = std::move(spare.back());
        spare.pop_back();
      }
    }
    if (!job.pixels) job.pixels = std::make_shared<std::vector<uint8_t>>();
    const double scale = renderer.options().scale;
    size_t size = 0;
    for (const CGRect& rect : changed) {
      Patch patch;
      patch.x = std::clamp(static_cast<int>(std::floor(rect.origin.x * scale)) & ~1, 0, width);
      patch.y = std::clamp(static_cast<int>(std::floor(rect.origin.y * scale)) & ~1, 0, height);
      const int right = std::clamp(
          (static_cast<int>(std::ceil(CGRectGetMaxX(rect) * scale)) + 1) & ~1, patch.x, width);
      const int bottom = std::clamp(
          (static_cast<int>(std::ceil(CGRectGetMaxY(rect) * scale)) + 1) & ~1, patch.y, height);
      patch.width = right - patch.x;
      patch.height = bottom - patch.y;
      if (patch.width == 0 || patch.height == 0) continue;
      patch.offset = size;
      size += static_cast<size_t>(patch.width) * 4 * static_cast<size_t>(patch.height);
      job.patches.push_back(patch);
    }
    job.pixels->resize(size);
    cairo_surface_t* surface = renderer.surface();
    cairo_surface_flush(surface);
    const uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (const Patch& patch : job.patches) {
      for (int y = 0; y < patch.height; ++y) {
        std::memcpy(job.pixels->data() + patch.offset + static_cast<size_t>(y) * patch.width * 4,
                    data + static_cast<size_t>(patch.y + y) * stride + patch.x * 4,
                    static_cast<size_t>(patch.width) * 4);
      }
    }
  }
};

std::unique_ptr<ScreenRecorder> ScreenRecorder::open(const std::string& path, double scale,
                                                     std::string& error) {
  if (!(scale > 0 && scale <= 3)) {
    error = "the recording scale is more than 0 and at most 3";
    return nullptr;
  }
  // The encoder's statistics are not for the user.
  av_log_set_level(AV_LOG_ERROR);
  auto state = std::make_unique<State>(scale);
  state->path = path;
  cairo_surface_t* surface = state->renderer.surface();
  state->width = cairo_image_surface_get_width(surface) & ~1;
  state->height = cairo_image_surface_get_height(surface) & ~1;
  if (state->width < 2 || state->height < 2) {
    error = "the recording scale is too small for a picture";
    return nullptr;
  }

  int status = avformat_alloc_output_context2(&state->format, nullptr, "mp4", path.c_str());
  if (status < 0 || !state->format) {
    error = "cannot make an MP4 file: " + averror(status);
    return nullptr;
  }
  // Opened first, so that a path that cannot be written is refused before anything runs.
  status = avio_open(&state->format->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (status < 0) {
    error = "cannot write " + path + ": " + averror(status);
    return nullptr;
  }
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) {
    error = "this FFmpeg has no libx264 encoder";
    return nullptr;
  }
  AVCodecContext* encoder = state->encoder = avcodec_alloc_context3(codec);
  encoder->width = state->width;
  encoder->height = state->height;
  encoder->pix_fmt = AV_PIX_FMT_YUV420P;
  encoder->time_base = {1, kFramesPerSecond};
  encoder->framerate = {kFramesPerSecond, 1};
  // A key frame every second begins a fragment: what a cut-short run loses.
  encoder->gop_size = kFramesPerSecond;
  encoder->max_b_frames = 0;
  encoder->color_range = AVCOL_RANGE_MPEG;
  encoder->colorspace = AVCOL_SPC_SMPTE170M;
  if (state->format->oformat->flags & AVFMT_GLOBALHEADER) {
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  AVDictionary* options = nullptr;
  // Screens are flat colour and sharp text: fast settings keep them sharp at this quality.
  av_dict_set(&options, "preset", "ultrafast", 0);
  av_dict_set(&options, "crf", "20", 0);
  status = avcodec_open2(encoder, codec, &options);
  av_dict_free(&options);
  if (status < 0) {
    error = "cannot start the H.264 encoder: " + averror(status);
    return nullptr;
  }
  state->stream = avformat_new_stream(state->format, nullptr);
  if (!state->stream || avcodec_parameters_from_context(state->stream->codecpar, encoder) < 0) {
    error = "cannot add the video stream";
    return nullptr;
  }
  state->stream->time_base = encoder->time_base;
  state->stream->avg_frame_rate = encoder->framerate;
  AVDictionary* muxing = nullptr;
  av_dict_set(&muxing, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
  status = avformat_write_header(state->format, &muxing);
  av_dict_free(&muxing);
  if (status < 0) {
    error = "cannot write " + path + ": " + averror(status);
    return nullptr;
  }
  state->headerWritten = true;

  state->frame = av_frame_alloc();
  state->packet = av_packet_alloc();
  state->frame->format = AV_PIX_FMT_YUV420P;
  state->frame->width = state->width;
  state->frame->height = state->height;
  if (!state->frame || !state->packet || av_frame_get_buffer(state->frame, 0) < 0) {
    error = "out of memory";
    return nullptr;
  }
  State* raw = state.get();
  state->worker = std::thread([raw] { raw->encodeLoop(); });
  return std::unique_ptr<ScreenRecorder>(new ScreenRecorder(std::move(state)));
}

ScreenRecorder::ScreenRecorder(std::unique_ptr<State> state) : state_(std::move(state)) {}

ScreenRecorder::~ScreenRecorder() = default;

long ScreenRecorder::frames() const {
  return state_->pushed;
}

void ScreenRecorder::capture(double now) {
  State& s = *state_;
  if (!s.started) {
    s.started = true;
    s.start = now;
  }
  bool drawn = false;
  // A frame is due at each 1/30 s from the start; a step of the clock past several repeats the
  // picture of its end.
  while (s.start + static_cast<double>(s.next) / kFramesPerSecond <= now + 1e-6) {
    Job job;
    job.pts = s.next++;
    if (!drawn) {
      drawn = true;
      // The first frame is the whole screen; later ones only what changed.
      const auto changed = s.renderer.renderFrame();
      if (!changed.empty()) s.copyPatches(changed, job);
    }
    if (s.pending) {
      s.push(std::move(*s.pending));
      ++s.pushed;
    }
    s.pending = std::move(job);
  }
}

bool ScreenRecorder::finish(double now, std::string& error) {
  State& s = *state_;
  capture(now);
  if (s.pending && s.start + static_cast<double>(s.pending->pts) / kFramesPerSecond < now - 1e-6) {
    s.push(std::move(*s.pending));
    ++s.pushed;
  }
  s.pending.reset();
  s.push(endOfRecording());
  s.worker.join();
  if (s.failure.empty()) {
    int status = avcodec_send_frame(s.encoder, nullptr);
    if (status >= 0) s.drain();
  }
  int status = av_write_trailer(s.format);
  if (status < 0 && s.failure.empty())
    s.failure = "cannot write " + s.path + ": " + averror(status);
  status = avio_closep(&s.format->pb);
  if (status < 0 && s.failure.empty())
    s.failure = "cannot write " + s.path + ": " + averror(status);
  error = s.failure;
  return error.empty();
}

}  // namespace sim
