#include "avfoundation/VideoDecoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr AVRational kNanoseconds{1, 1000000000};
// What probing may read before it must decide what the file is.
constexpr int64_t kProbeBytes = 4 << 20;
constexpr int64_t kAnalyzeMicroseconds = 3000000;
// Wall time that opening, or one step of decoding, may take before it is given up.
constexpr auto kOpenBudget = std::chrono::seconds(4);
constexpr auto kStepBudget = std::chrono::seconds(2);
// Packets that may go by without a picture coming out (audio and broken packets included).
constexpr int kPacketsPerFrame = 4000;
// Larger pictures are refused: their frames alone would take hundreds of megabytes.
constexpr int kLargestSide = 8192;
constexpr int64_t kLargestPicture = 8192ll * 4320;
constexpr int kIOBufferSize = 64 << 10;

std::string errorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// Where the bytes come from: a file descriptor or a block of memory.
struct Source {
  int fd = -1;
  std::span<const uint8_t> bytes;
  int64_t position = 0;
  int64_t size = 0;

  ~Source() {
    if (fd >= 0) ::close(fd);
  }

  static int read(void* opaque, uint8_t* buffer, int size) {
    auto* source = static_cast<Source*>(opaque);
    if (source->fd >= 0) {
      ssize_t got = ::read(source->fd, buffer, static_cast<size_t>(size));
      if (got < 0) return AVERROR(errno);
      if (got == 0) return AVERROR_EOF;
      source->position += got;
      return static_cast<int>(got);
    }
    int64_t left = source->size - source->position;
    if (left <= 0) return AVERROR_EOF;
    int count = static_cast<int>(std::min<int64_t>(left, size));
    std::memcpy(buffer, source->bytes.data() + source->position, static_cast<size_t>(count));
    source->position += count;
    return count;
  }

  static int64_t seek(void* opaque, int64_t offset, int whence) {
    auto* source = static_cast<Source*>(opaque);
    if (whence & AVSEEK_SIZE) return source->size;
    int64_t target;
    switch (whence & ~AVSEEK_FORCE) {
      case SEEK_SET:
        target = offset;
        break;
      case SEEK_CUR:
        target = source->position + offset;
        break;
      case SEEK_END:
        target = source->size + offset;
        break;
      default:
        return AVERROR(EINVAL);
    }
    if (target < 0) return AVERROR(EINVAL);
    if (source->fd >= 0 && ::lseek(source->fd, target, SEEK_SET) < 0) return AVERROR(errno);
    source->position = target;
    return target;
  }
};

// Demuxers that name other files (playlists, concatenation scripts, references) must not reach
// them: only the one file that was opened is read.
int refuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
  return AVERROR(EPERM);
}

// Shared by the decoder and its frames: the scaler is made once per size and format.
struct Scaler {
  SwsContext* context = nullptr;
  ~Scaler() { sws_freeContext(context); }
};

}  // namespace

struct VideoFrame::Impl {
  AVFrame* frame = nullptr;
  int64_t time = 0;
  int64_t duration = 0;
  CGSize natural;
  std::shared_ptr<Scaler> scaler;
  // The last image asked for.
  mutable CGRect cachedCrop;
  mutable std::shared_ptr<const VideoImage> cached;

  ~Impl() { av_frame_free(&frame); }
};

VideoFrame::VideoFrame(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
VideoFrame::~VideoFrame() = default;

int64_t VideoFrame::time() const {
  return impl_->time;
}

int64_t VideoFrame::duration() const {
  return impl_->duration;
}

CGSize VideoFrame::naturalSize() const {
  return impl_->natural;
}

int VideoFrame::pixelWidth() const {
  return impl_->frame->width;
}

int VideoFrame::pixelHeight() const {
  return impl_->frame->height;
}

std::shared_ptr<const VideoImage> VideoFrame::imageOf(CGRect crop, int width, int height) const {
  // No screen needs more; a larger request is a layer scaled far beyond any screen.
  if (width <= 0 || height <= 0 || static_cast<int64_t>(width) * height > kLargestPicture) {
    return nullptr;
  }
  const auto& cached = impl_->cached;
  if (cached && cached->width == width && cached->height == height &&
      CGRectEqualToRect(impl_->cachedCrop, crop)) {
    return cached;
  }
  const AVFrame* source = impl_->frame;
  // From natural coordinates to pixels, clamped to the picture.
  double sx = source->width / impl_->natural.width, sy = source->height / impl_->natural.height;
  int left =
      std::clamp(static_cast<int>(std::floor(CGRectGetMinX(crop) * sx)), 0, source->width - 1);
  int top =
      std::clamp(static_cast<int>(std::floor(CGRectGetMinY(crop) * sy)), 0, source->height - 1);
  int right =
      std::clamp(static_cast<int>(std::ceil(CGRectGetMaxX(crop) * sx)), left + 1, source->width);
  int bottom =
      std::clamp(static_cast<int>(std::ceil(CGRectGetMaxY(crop) * sy)), top + 1, source->height);

  AVFrame* part = av_frame_clone(source);
  if (!part) return nullptr;
  part->crop_left = static_cast<size_t>(left);
  part->crop_top = static_cast<size_t>(top);
  part->crop_right = static_cast<size_t>(source->width - right);
  part->crop_bottom = static_cast<size_t>(source->height - bottom);
  if (av_frame_apply_cropping(part, AV_FRAME_CROP_UNALIGNED) < 0) {
    av_frame_free(&part);
    return nullptr;
  }
  auto format = static_cast<AVPixelFormat>(part->format);
  Scaler& scaler = *impl_->scaler;
  scaler.context =
      sws_getCachedContext(scaler.context, part->width, part->height, format, width, height,
                           AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!scaler.context) {
    av_frame_free(&part);
    return nullptr;
  }
  auto image = std::make_shared<VideoImage>();
  image->width = width;
  image->height = height;
  // swscale's vector converters write whole groups of eight pixels and, when a row's stride has
  // no room for the last group, leave those pixels unwritten: a 1170-pixel frame came out with a
  // black edge. Rows padded to sixteen pixels leave them room.
  image->stride = (width + 15) / 16 * 16 * 4;
  image->pixels.reset(new uint8_t[static_cast<size_t>(image->stride) * height]);
  uint8_t* planes[4] = {image->pixels.get(), nullptr, nullptr, nullptr};
  int strides[4] = {image->stride, 0, 0, 0};
  sws_scale(scaler.context, part->data, part->linesize, 0, part->height, planes, strides);
  av_frame_free(&part);

  // Pictures with an alpha channel come out straight; Cairo draws premultiplied pixels.
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  if (descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA)) {
    for (int y = 0; y < height; ++y) {
      uint8_t* p = image->pixels.get() + static_cast<size_t>(y) * image->stride;
      for (int x = 0; x < width; ++x, p += 4) {
        unsigned a = p[3];
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((p[c] * a + 127) / 255);
      }
    }
  }
  impl_->cachedCrop = crop;
  impl_->cached = image;
  return image;
}

struct VideoDecoder::Impl {
  Source source;
  AVIOContext* io = nullptr;
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  int stream = -1;
  std::shared_ptr<Scaler> scaler = std::make_shared<Scaler>();
  std::chrono::steady_clock::time_point deadline;
  // The first frame's stamp is time zero; stamps that are missing or go back are made up.
  std::optional<int64_t> origin;
  int64_t lastTime = -1;
  int64_t lastDuration = 0;
  int64_t frameDuration = 1000000000 / 30;
  bool drained = false;
  CGSize natural;

  ~Impl() {
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
  }

  void startBudget(std::chrono::steady_clock::duration budget) {
    deadline = std::chrono::steady_clock::now() + budget;
  }

  static int interrupt(void* opaque) {
    return std::chrono::steady_clock::now() > static_cast<Impl*>(opaque)->deadline ? 1 : 0;
  }

  AVStream* videoStream() const { return format->streams[stream]; }
};

VideoDecoder::VideoDecoder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
VideoDecoder::~VideoDecoder() = default;

std::unique_ptr<VideoDecoder> VideoDecoder::openFile(const std::string& hostPath,
                                                     std::string& why) {
  auto impl = std::make_unique<Impl>();
  // A FIFO or a device would block or never end; only regular files are media.
  int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    why = std::string("cannot open the file: ") + std::strerror(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    why = "not a regular file";
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  impl->source.fd = fd;
  impl->source.size = info.st_size;
  return open(std::move(impl), why);
}

std::unique_ptr<VideoDecoder> VideoDecoder::openBytes(std::span<const uint8_t> bytes,
                                                      std::string& why) {
  auto impl = std::make_unique<Impl>();
  impl->source.bytes = bytes;
  impl->source.size = static_cast<int64_t>(bytes.size());
  return open(std::move(impl), why);
}

std::unique_ptr<VideoDecoder> VideoDecoder::open(std::unique_ptr<Impl> impl, std::string& why) {
  // This layer reports its own failures in one line each; FFmpeg's chatter would bury them.
  av_log_set_level(AV_LOG_QUIET);
  if (impl->source.size <= 0) {
    why = "the file is empty";
    return nullptr;
  }
  Impl& d = *impl;
  d.startBudget(kOpenBudget);
  auto* buffer = static_cast<uint8_t*>(av_malloc(kIOBufferSize));
  if (!buffer) {
    why = "out of memory";
    return nullptr;
  }
  d.io =
      avio_alloc_context(buffer, kIOBufferSize, 0, &d.source, Source::read, nullptr, Source::seek);
  if (!d.io) {
    av_free(buffer);
    why = "out of memory";
    return nullptr;
  }
  d.format = avformat_alloc_context();
  if (!d.format) {
    why = "out of memory";
    return nullptr;
  }
  d.format->pb = d.io;
  d.format->flags |= AVFMT_FLAG_CUSTOM_IO;
  d.format->probesize = kProbeBytes;
  d.format->max_analyze_duration = kAnalyzeMicroseconds;
  d.format->interrupt_callback = {Impl::interrupt, &d};
  d.format->io_open = refuseNestedOpen;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  int status = avformat_open_input(&d.format, nullptr, nullptr, &options);
  av_dict_free(&options);
  if (status < 0) {
    // avformat_open_input frees the context on failure.
    d.format = nullptr;
    why = "not a media file FFmpeg can read (" + errorText(status) + ")";
    return nullptr;
  }
  // Probing decodes pictures too: without the decoder's own limit a few kilobytes that announce
  // a huge picture would have it clear hundreds of megabytes a frame before the size is checked.
  std::vector<AVDictionary*> probeOptions(d.format->nb_streams, nullptr);
  for (AVDictionary*& streamOptions : probeOptions) {
    av_dict_set_int(&streamOptions, "max_pixels", kLargestPicture, 0);
  }
  status = avformat_find_stream_info(d.format, probeOptions.data());
  for (AVDictionary*& streamOptions : probeOptions) av_dict_free(&streamOptions);
  if (status < 0) {
    why = "the file's streams cannot be read (" + errorText(status) + ")";
    return nullptr;
  }
  const AVCodec* decoder = nullptr;
  d.stream = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (d.stream == AVERROR_STREAM_NOT_FOUND || d.stream < 0) {
    why = d.stream == AVERROR_DECODER_NOT_FOUND ? "no decoder for the video track"
                                                : "the file has no video track";
    return nullptr;
  }
  AVStream* stream = d.videoStream();
  // Attached pictures (cover art) are stills, not video.
  if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) {
    why = "the file has no video track";
    return nullptr;
  }
  const AVCodecParameters* parameters = stream->codecpar;
  if (parameters->width <= 0 || parameters->height <= 0 || parameters->width > kLargestSide ||
      parameters->height > kLargestSide ||
      static_cast<int64_t>(parameters->width) * parameters->height > kLargestPicture) {
    why = "the video's size " + std::to_string(parameters->width) + "x" +
          std::to_string(parameters->height) + " is not supported";
    return nullptr;
  }
  d.codec = avcodec_alloc_context3(decoder);
  d.packet = av_packet_alloc();
  if (!d.codec || !d.packet || avcodec_parameters_to_context(d.codec, parameters) < 0) {
    why = "the video decoder cannot be set up";
    return nullptr;
  }
  // One thread: the app's work is on one core, and frame threads would each hold frames.
  d.codec->thread_count = 1;
  d.codec->max_pixels = kLargestPicture;
  // The decoder checks only a picture's area, and a stream may change its size midway: a
  // picture far wider than any screen would still be allocated and cleared, frame after frame.
  d.codec->get_buffer2 = [](AVCodecContext* codec, AVFrame* frame, int flags) {
    if (frame->width > kLargestSide || frame->height > kLargestSide) return AVERROR(EINVAL);
    return avcodec_default_get_buffer2(codec, frame, flags);
  };
  status = avcodec_open2(d.codec, decoder, nullptr);
  if (status < 0) {
    why = "the video decoder cannot be opened (" + errorText(status) + ")";
    return nullptr;
  }
  AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
  if (rate.num > 0 && rate.den > 0 && av_q2d(rate) >= 1 && av_q2d(rate) <= 240) {
    d.frameDuration = av_rescale_q(1, av_inv_q(rate), kNanoseconds);
  }
  AVRational aspect = av_guess_sample_aspect_ratio(d.format, stream, nullptr);
  double ratio = aspect.num > 0 && aspect.den > 0 ? av_q2d(aspect) : 1;
  if (!(ratio > 0.1 && ratio < 10)) ratio = 1;
  d.natural = CGSizeMake(parameters->width * ratio, parameters->height);

  std::unique_ptr<VideoDecoder> video(new VideoDecoder(std::move(impl)));
  video->impl_->startBudget(kStepBudget);
  video->current_ = video->decodeFrame();
  if (!video->current_) {
    why = video->failure_.empty() ? std::string("no picture could be decoded")
                                  : "no picture could be decoded (" + video->failure_ + ")";
    return nullptr;
  }
  video->next_ = video->decodeFrame();
  return video;
}

CGSize VideoDecoder::naturalSize() const {
  return impl_->natural;
}

std::optional<int64_t> VideoDecoder::duration() const {
  if (impl_->format->duration <= 0) return std::nullopt;
  return av_rescale_q(impl_->format->duration, AV_TIME_BASE_Q, kNanoseconds);
}

const std::shared_ptr<const VideoFrame>& VideoDecoder::currentFrame() const {
  return current_;
}

std::optional<int64_t> VideoDecoder::nextFrameTime() const {
  if (!next_) return std::nullopt;
  return next_->time();
}

int64_t VideoDecoder::endOfCurrentFrame() const {
  return current_->time() + current_->duration();
}

bool VideoDecoder::advanceTo(int64_t time) {
  impl_->startBudget(kStepBudget);
  bool changed = false;
  while (next_ && next_->time() <= time) {
    current_ = std::move(next_);
    next_ = decodeFrame();
    changed = true;
  }
  return changed;
}

bool VideoDecoder::seekTo(int64_t time) {
  Impl& d = *impl_;
  d.startBudget(kStepBudget);
  AVStream* stream = d.videoStream();
  int64_t origin = d.origin.value_or(0);
  int64_t target = av_rescale_q(time, kNanoseconds, stream->time_base) +
                   av_rescale_q(origin, kNanoseconds, stream->time_base);
  if (av_seek_frame(d.format, d.stream, target, AVSEEK_FLAG_BACKWARD) < 0 &&
      av_seek_frame(d.format, -1, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_BYTE) < 0) {
    return false;
  }
  avcodec_flush_buffers(d.codec);
  d.drained = false;
  d.lastTime = -1;
  failure_.clear();
  auto first = decodeFrame();
  if (!first) return false;
  current_ = std::move(first);
  next_ = decodeFrame();
  // The seek lands on the key frame before the time; decode forward to it.
  while (next_ && next_->time() <= time) {
    current_ = std::move(next_);
    next_ = decodeFrame();
  }
  return true;
}

void VideoDecoder::noteEarlyEnd() {
  // A file cut short reads to its end cleanly; only the track's stated length shows the loss.
  Impl& d = *impl_;
  AVStream* stream = d.videoStream();
  if (!failure_.empty() || d.lastTime < 0 || stream->duration <= 0) return;
  int64_t stated = av_rescale_q(stream->duration, stream->time_base, kNanoseconds);
  int64_t reached = d.lastTime + d.lastDuration;
  if (reached + std::max<int64_t>(500000000, 2 * d.frameDuration) < stated) {
    failure_ = "the file ends before its last frame";
  }
}

std::shared_ptr<const VideoFrame> VideoDecoder::decodeFrame() {
  Impl& d = *impl_;
  AVFrame* frame = av_frame_alloc();
  if (!frame) return nullptr;
  int packets = 0;
  int status = 0;
  while (true) {
    status = avcodec_receive_frame(d.codec, frame);
    if (status == 0) break;
    if (status == AVERROR_EOF) {
      noteEarlyEnd();
      av_frame_free(&frame);
      return nullptr;
    }
    if (status != AVERROR(EAGAIN)) {
      failure_ = "the video cannot be decoded (" + errorText(status) + ")";
      av_frame_free(&frame);
      return nullptr;
    }
    if (d.drained || ++packets > kPacketsPerFrame) {
      if (!d.drained) failure_ = "the video has no pictures where it should";
      av_frame_free(&frame);
      return nullptr;
    }
    status = av_read_frame(d.format, d.packet);
    if (status < 0) {
      if (status != AVERROR_EOF && Impl::interrupt(&d)) {
        failure_ = "reading the file took too long";
      } else if (status != AVERROR_EOF) {
        failure_ = "the file cannot be read (" + errorText(status) + ")";
      }
      // Flush what the decoder still holds.
      d.drained = true;
      avcodec_send_packet(d.codec, nullptr);
      continue;
    }
    if (d.packet->stream_index == d.stream) {
      // A broken packet is skipped; the pictures after it may still decode.
      avcodec_send_packet(d.codec, d.packet);
    }
    av_packet_unref(d.packet);
  }
  if (frame->width <= 0 || frame->height <= 0 || frame->width > kLargestSide ||
      frame->height > kLargestSide ||
      static_cast<int64_t>(frame->width) * frame->height > kLargestPicture) {
    failure_ = "a picture of the video has an unsupported size";
    av_frame_free(&frame);
    return nullptr;
  }

  AVStream* stream = d.videoStream();
  int64_t stamp = frame->best_effort_timestamp;
  int64_t time;
  if (stamp == AV_NOPTS_VALUE) {
    time = d.lastTime < 0 ? 0 : d.lastTime + d.lastDuration;
  } else {
    int64_t absolute = av_rescale_q(stamp, stream->time_base, kNanoseconds);
    if (!d.origin) d.origin = absolute;
    time = absolute - *d.origin;
  }
  if (d.lastTime >= 0 && time <= d.lastTime)
    time = d.lastTime + std::max<int64_t>(d.lastDuration, 1);
  if (time < 0) time = 0;
  int64_t duration = frame->pkt_duration > 0
                         ? av_rescale_q(frame->pkt_duration, stream->time_base, kNanoseconds)
                         : d.frameDuration;
  if (duration <= 0 || duration > 10 * 1000000000ll) duration = d.frameDuration;
  d.lastTime = time;
  d.lastDuration = duration;

  auto impl = std::make_unique<VideoFrame::Impl>();
  impl->frame = frame;
  impl->time = time;
  impl->duration = duration;
  impl->natural = d.natural.width > 0
                      ? CGSizeMake(d.natural.width * frame->width / std::max(1, d.codec->width),
                                   d.natural.height * frame->height / std::max(1, d.codec->height))
                      : CGSizeMake(frame->width, frame->height);
  impl->scaler = d.scaler;
  return std::make_shared<VideoFrame>(std::move(impl));
}
