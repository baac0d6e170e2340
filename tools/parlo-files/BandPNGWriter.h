// A PNG written band by band from opaque 32-bit pixel rows, for pictures far taller than memory.
//
// A band is cut into slices compressed on threads of their own, each slice its own run of deflate
// blocks ending on a byte boundary, so the slices join into one zlib stream and each becomes one
// IDAT chunk. Rows are "Up" filtered and coded with fixed Huffman codes, literals and byte runs
// only: a chat is mostly flat colour, and a row like the one above it costs a compare and a few
// codes. The Adler-32 of the stream is kept per slice and combined.
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
  // `rows` rows of `width` pixels, each a native-endian 0xAARRGGBB word as Cairo keeps them,
  // `stride` bytes apart. Alpha is ignored.
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
  // The last row written, the one the next band's first row is filtered against.
  std::vector<uint32_t> previousRow_;
  std::vector<std::unique_ptr<Slice>> slices_;
  bool failed_ = false;
};
