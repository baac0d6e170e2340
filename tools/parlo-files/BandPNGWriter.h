// A PNG written band by band from opaque 32-bit pixel rows, for pictures far taller than memory.
//
// A band is cut into slices compressed on threads of their own, each slice its own run of deflate
// blocks ending on a byte boundary, so the slices join into one zlib stream and each becomes one
// IDAT chunk. Rows are coded with fixed Huffman codes, literals and runs only: a chat is mostly
// flat colour. A row the caller knows to repeat the one above is "Up" filtered without being
// read: all zeros, a handful of codes. A row that differs from the one above only in spans is
// "Up" filtered there and zero elsewhere; a row standing on its own is not filtered, so a slice
// needs no row before its first. The Adler-32 of the stream is kept per slice and combined.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class BandPNGWriter {
 public:
  // Threads compressing each band; 0 is one per processor.
  explicit BandPNGWriter(unsigned threads = 0);
  ~BandPNGWriter();
  BandPNGWriter(const BandPNGWriter&) = delete;
  BandPNGWriter& operator=(const BandPNGWriter&) = delete;

  // Writes into a temporary file beside `path`, renamed over it only when whole: a failure leaves
  // an older picture as it was.
  bool open(const std::string& path, std::string& error);
  // The picture's size in pixels; the colour is RGB, eight bits a channel.
  bool begin(int width, int height);
  // Columns `from` to `to` (not included).
  struct Span {
    int from, to;
  };
  // One row of the picture as the caller knows it. Pixels are native-endian 0xAARRGGBB words as
  // Cairo keeps them; alpha is ignored.
  struct Row {
    // Every pixel as in the row above: nothing is read.
    static Row repeat() { return {}; }
    // All `width` pixels.
    static Row whole(const uint32_t* pixels) { return {pixels, nullptr, 0}; }
    // Only the pixels in the spans (in order, apart) are read; the rest are as in the row above.
    static Row changed(const uint32_t* pixels, const Span* spans, int count) {
      return {pixels, spans, count};
    }
    const uint32_t* pixels = nullptr;
    const Span* spans = nullptr;
    int spanCount = 0;
  };
  // The next rows, the first of them whole; the pixels they point to are read before this
  // returns.
  bool writeRows(const std::vector<Row>& rows);
  // `rows` rows of `width` pixels, `stride` bytes apart.
  bool writeRows(const unsigned char* data, long stride, int rows);
  // Fails when fewer rows came than `begin` announced.
  bool finish(std::string& error);

  struct Slice;

 private:
  bool writeChunk(const char type[4], const unsigned char* data, size_t size);

  std::string path_, temporary_;
  std::FILE* file_ = nullptr;
  unsigned threads_;
  int width_ = 0, height_ = 0, rowsWritten_ = 0;
  uint32_t adler_ = 1;
  std::vector<std::unique_ptr<Slice>> slices_;
  bool failed_ = false;
};
