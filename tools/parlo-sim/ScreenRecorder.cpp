#include "ScreenRecorder.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "render/ScreenRenderer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
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

// A padded stride: swscale's vector code writes whole groups of pixels, past a row's end when
// its width is not a multiple of them.
int paddedStride(int width) {
  return (width + 63) & ~63;
}

// A changed rectangle of the screen in device pixels, its corners on even pixels (one chroma
// sample covers 2 x 2 of them), already in the stream's YUV 4:2:0: its three planes lie one
// after the other in the job's buffer.
struct Patch {
  int x = 0, y = 0, width = 0, height = 0;
  size_t offset = 0;  // into the job's pixels, aligned for the vector code

  int lumaStride() const { return paddedStride(width); }
  int chromaStride() const { return paddedStride(width / 2); }
  size_t lumaSize() const { return static_cast<size_t>(lumaStride()) * height; }
  size_t chromaSize() const { return static_cast<size_t>(chromaStride()) * (height / 2); }
  size_t size() const { return lumaSize() + 2 * chromaSize(); }
};

// Memory from av_malloc, aligned as the vector code likes it, kept between frames.
struct Pixels {
  uint8_t* data = nullptr;
  unsigned capacity = 0;
  Pixels() = default;
  Pixels(const Pixels&) = delete;
  Pixels& operator=(const Pixels&) = delete;
  ~Pixels() { av_free(data); }
  bool reserve(size_t size) {
    // av_fast_malloc counts in unsigned int; a larger size would wrap to a short buffer.
    if (size > std::numeric_limits<unsigned>::max()) return false;
    av_fast_malloc(&data, &capacity, static_cast<unsigned>(std::max<size_t>(size, 1)));
    return data != nullptr;
  }
};

// One frame for the encoder: what changed since the last one (nothing: show it again).
struct Job {
  std::unique_ptr<Pixels> pixels;
  std::vector<Patch> patches;
  int64_t pts = 0;
  bool end = false;
};

Job endOfRecording() {
  Job job;
  job.end = true;
  return job;
}

// Converts rectangles of the screen's BGRA (opaque: the screen is) into BT.601 in limited range,
// as the stream says, with swscale's vector code; the chroma of each 2 x 2 block is their mean.
// The app waits for it (the renderer draws the next frame into the same pixels), so a large
// rectangle is converted in bands on two threads of swscale's. A converter is made once for
// each size of rectangle; a screen shows few of them, and a cache is emptied when it grows past
// that. The large ones, each with its threads, have a smaller cache of their own.
class PatchConverter {
 public:
  PatchConverter()
      : source_(av_frame_alloc()), target_(av_frame_alloc()), unowned_(av_buffer_alloc(1)) {}
  PatchConverter(const PatchConverter&) = delete;
  PatchConverter& operator=(const PatchConverter&) = delete;
  ~PatchConverter() {
    clear(contexts_);
    clear(banded_);
    av_frame_free(&source_);
    av_frame_free(&target_);
    av_buffer_unref(&unowned_);
  }

  bool convert(const uint8_t* screen, int screenStride, const Patch& patch, uint8_t* out) {
    SwsContext* context = contextFor(patch.width, patch.height);
    if (!context || !source_ || !target_ || !unowned_) return false;
    // Frames that point at the screen and the job: swscale's frame calls want a buffer to
    // reference, and copy pixels that have none.
    av_frame_unref(source_);
    source_->format = AV_PIX_FMT_BGRA;
    source_->width = patch.width;
    source_->height = patch.height;
    source_->data[0] = const_cast<uint8_t*>(screen) + static_cast<size_t>(patch.y) * screenStride +
                       static_cast<size_t>(patch.x) * 4;
    source_->linesize[0] = screenStride;
    source_->buf[0] = av_buffer_ref(unowned_);
    av_frame_unref(target_);
    target_->format = AV_PIX_FMT_YUV420P;
    target_->width = patch.width;
    target_->height = patch.height;
    target_->data[0] = out;
    target_->data[1] = out + patch.lumaSize();
    target_->data[2] = out + patch.lumaSize() + patch.chromaSize();
    target_->linesize[0] = patch.lumaStride();
    target_->linesize[1] = target_->linesize[2] = patch.chromaStride();
    target_->buf[0] = av_buffer_ref(unowned_);
    if (!source_->buf[0] || !target_->buf[0]) return false;
    const bool ok = sws_scale_frame(context, target_, source_) >= 0;
    // swscale must not have put pixels of its own there.
    return ok && target_->data[0] == out;
  }

 private:
  static constexpr size_t kMostSizes = 64, kMostBandedSizes = 4;
  // Rectangles from a quarter of the screen at 3x up are worth a second thread.
  static constexpr int64_t kBandedPixels = 390 * 844 * 9 / 4;

  SwsContext* contextFor(int width, int height) {
    const bool banded = static_cast<int64_t>(width) * height >= kBandedPixels;
    Contexts& contexts = banded ? banded_ : contexts_;
    const auto found = contexts.find({width, height});
    if (found != contexts.end()) return found->second;
    if (contexts.size() >= (banded ? kMostBandedSizes : kMostSizes)) clear(contexts);
    SwsContext* context = sws_alloc_context();
    if (!context) return nullptr;
    av_opt_set_int(context, "srcw", width, 0);
    av_opt_set_int(context, "srch", height, 0);
    av_opt_set_int(context, "dstw", width, 0);
    av_opt_set_int(context, "dsth", height, 0);
    av_opt_set_int(context, "src_format", AV_PIX_FMT_BGRA, 0);
    av_opt_set_int(context, "dst_format", AV_PIX_FMT_YUV420P, 0);
    // Whole-resolution chroma in, then halved by the area filter: swscale's vector code covers
    // that path, while its own halving of the input is plain C.
    av_opt_set_int(context, "sws_flags", SWS_AREA | SWS_FULL_CHR_H_INP, 0);
    av_opt_set_int(context, "threads", banded ? 2 : 1, 0);
    const int* bt601 = sws_getCoefficients(SWS_CS_ITU601);
    if (sws_init_context(context, nullptr, nullptr) < 0 ||
        sws_setColorspaceDetails(context, bt601, 1, bt601, 0, 0, 1 << 16, 1 << 16) < 0) {
      sws_freeContext(context);
      return nullptr;
    }
    contexts.emplace(std::make_pair(width, height), context);
    return context;
  }

  using Contexts = std::map<std::pair<int, int>, SwsContext*>;

  static void clear(Contexts& contexts) {
    for (auto& [size, context] : contexts) sws_freeContext(context);
    contexts.clear();
  }

  Contexts contexts_, banded_;
  AVFrame* source_;
  AVFrame* target_;
  AVBufferRef* unowned_;  // stands for pixels the converter does not own
};

// Copies a converted patch into the picture the encoder is given.
void placePatch(const Patch& patch, const uint8_t* pixels, AVFrame* frame) {
  const uint8_t* planes[3] = {pixels, pixels + patch.lumaSize(),
                              pixels + patch.lumaSize() + patch.chromaSize()};
  const int strides[3] = {patch.lumaStride(), patch.chromaStride(), patch.chromaStride()};
  for (int plane = 0; plane < 3; ++plane) {
    const int shift = plane == 0 ? 0 : 1;
    const int rows = patch.height >> shift;
    const size_t bytes = static_cast<size_t>(patch.width >> shift);
    uint8_t* target = frame->data[plane] +
                      static_cast<size_t>(patch.y >> shift) * frame->linesize[plane] +
                      (patch.x >> shift);
    for (int y = 0; y < rows; ++y) {
      std::memcpy(target + static_cast<size_t>(y) * frame->linesize[plane],
                  planes[plane] + static_cast<size_t>(y) * strides[plane], bytes);
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
  PatchConverter converter;  // the app's thread's

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
  std::vector<std::unique_ptr<Pixels>> spare;
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
          if (ok) placePatch(patch, job.pixels->data + patch.offset, frame);
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

  // Converts the rectangles that changed (in points), widened to even pixels and cut to the
  // video's even size, into the job. Done on the app's thread, straight from the screen, so
  // that the renderer may draw the next frame while the encoder works on this one; the job
  // holds 1.5 bytes a pixel where a copy of the screen would hold 4.
  bool convertPatches(const std::vector<CGRect>& changed, Job& job) {
    {
      std::lock_guard lock(mutex);
      if (!spare.empty()) {
        job.pixels = std::move(spare.back());
        spare.pop_back();
      }
    }
    if (!job.pixels) job.pixels = std::make_unique<Pixels>();
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
      size += (patch.size() + 63) & ~size_t{63};
      job.patches.push_back(patch);
    }
    if (!job.pixels->reserve(size)) return false;
    cairo_surface_t* surface = renderer.surface();
    cairo_surface_flush(surface);
    const uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (const Patch& patch : job.patches) {
      if (!converter.convert(data, stride, patch, job.pixels->data + patch.offset)) return false;
    }
    return true;
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
  // A constant quantiser rather than a constant rate factor: the rate control's look at each
  // frame cost as much as encoding a screen that did not change. 16 keeps frames as close to the
  // screen as a rate factor of 20 did (what 4:2:0 leaves of text), for at most a sixth more
  // bytes, and fewer where little changes.
  av_dict_set(&options, "qp", "16", 0);
  // Slices of each frame on the encoder's threads instead of several frames in flight: less
  // processor time for each frame, and none held back. Four of them rather than x264's own count
  // for two cores: on a machine busy with other work, more slices ready to run finish sooner.
  av_dict_set(&options, "tune", "zerolatency", 0);
  encoder->thread_count = 4;

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
      if (!changed.empty() && !s.convertPatches(changed, job)) {
        s.fail("cannot convert the screen's pixels");
        job = Job{};
        job.pts = s.next - 1;
      }
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
