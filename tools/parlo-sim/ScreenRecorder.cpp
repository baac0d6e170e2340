#include "ScreenRecorder.h"

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
#include <libswscale/swscale.h>
}

namespace sim {
namespace {

std::string averror(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// One frame for the encoder: new pixels, or none to show the last ones again.
struct Job {
  std::shared_ptr<std::vector<uint8_t>> pixels;
  int64_t pts = 0;
  bool end = false;
};

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
  SwsContext* scaler = nullptr;
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
      push({nullptr, 0, true});
      worker.join();
    }
    sws_freeContext(scaler);
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
        ok = av_frame_make_writable(frame) >= 0;
        const uint8_t* source[] = {job.pixels->data()};
        const int stride[] = {width * 4};
        if (ok) sws_scale(scaler, source, stride, 0, height, frame->data, frame->linesize);
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

  // A copy of the frame's pixels, cropped to the video's even size.
  std::shared_ptr<std::vector<uint8_t>> copyPixels() {
    std::shared_ptr<std::vector<uint8_t>> pixels;
    {
      std::lock_guard lock(mutex);
      if (!spare.empty()) {
        pixels = std::move(spare.back());
        spare.pop_back();
      }
    }
    if (!pixels) pixels = std::make_shared<std::vector<uint8_t>>();
    pixels->resize(static_cast<size_t>(width) * 4 * static_cast<size_t>(height));
    cairo_surface_t* surface = renderer.surface();
    const uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
      std::memcpy(pixels->data() + static_cast<size_t>(y) * width * 4,
                  data + static_cast<size_t>(y) * stride, static_cast<size_t>(width) * 4);
    }
    return pixels;
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
  av_dict_set(&options, "preset", "superfast", 0);
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
  state->scaler =
      sws_getContext(state->width, state->height, AV_PIX_FMT_BGRA, state->width, state->height,
                     AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!state->scaler) {
    error = "cannot convert the screen's colours";
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
      if (!s.renderer.renderFrame().empty() || job.pts == 0) job.pixels = s.copyPixels();
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
  s.push({nullptr, 0, true});
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
