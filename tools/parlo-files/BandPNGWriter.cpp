#include "BandPNGWriter.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <thread>

namespace {

constexpr uint32_t kAdlerModulus = 65521;
// A slice's input stays well inside one IDAT chunk's 31-bit length, however wide the picture.
constexpr size_t kMaxSliceInput = size_t{1} << 28;
// Below this many rows a slice is not worth a thread.
constexpr int kMinSliceRows = 32;

uint32_t reversed(uint32_t code, unsigned length) {
  uint32_t result = 0;
  for (unsigned i = 0; i < length; ++i, code >>= 1) result = result << 1 | (code & 1);
  return result;
}

// The fixed Huffman codes of deflate, bit-reversed for writing least significant bit first, and
// for each run length the length code, its extra bits and the code of distance 1, as one word.
struct FixedCodes {
  std::array<uint16_t, 256> literal{};
  std::array<uint8_t, 256> literalBits{};
  std::array<uint32_t, 259> match{};
  std::array<uint8_t, 259> matchBits{};

  FixedCodes() {
    for (uint32_t value = 0; value < 256; ++value) {
      const bool low = value < 144;
      literalBits[value] = low ? 8 : 9;
      literal[value] = static_cast<uint16_t>(
          reversed(low ? 0x30 + value : 0x190 + value - 144, literalBits[value]));
    }
    static constexpr uint16_t kBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                         15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                         67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr uint8_t kExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    for (uint32_t length = 3; length <= 258; ++length) {
      // 258 has a code of its own; the last extra-bit code stops at 257.
      int index = length == 258 ? 28 : 27;
      while (kBase[index] > length) --index;
      const uint32_t symbol = 257 + static_cast<uint32_t>(index);
      const unsigned bits = symbol < 280 ? 7 : 8;
      const uint32_t code = symbol < 280 ? symbol - 256 : 0xc0 + symbol - 280;
      // Distance 1 is code 0: five zero bits after the extra bits.
      match[length] = reversed(code, bits) | (length - kBase[index]) << bits;
      matchBits[length] = static_cast<uint8_t>(bits + kExtra[index] + 5);
    }
  }
};

const FixedCodes& fixedCodes() {
  static const FixedCodes codes;
  return codes;
}

class BitWriter {
 public:
  explicit BitWriter(unsigned char* out) : out_(out) {}

  void put(uint32_t value, unsigned bits) {
    pending_ |= uint64_t{value} << count_;
    count_ += bits;
    if (count_ >= 32) {
      for (int i = 0; i < 4; ++i) *out_++ = static_cast<unsigned char>(pending_ >> (8 * i));
      pending_ >>= 32;
      count_ -= 32;
    }
  }

  // Pads to a whole byte and returns the end of what was written.
  unsigned char* align() {
    for (; count_ > 0; count_ = count_ > 8 ? count_ - 8 : 0) {
      *out_++ = static_cast<unsigned char>(pending_);
      pending_ >>= 8;
    }
    return out_;
  }

 private:
  unsigned char* out_;
  uint64_t pending_ = 0;
  unsigned count_ = 0;
};

// How many bytes from `p` equal `value`, up to `limit`, eight at a time.
size_t runLength(const unsigned char* p, size_t limit, unsigned char value) {
  const uint64_t pattern = uint64_t{value} * 0x0101010101010101ull;
  size_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    uint64_t word;
    std::memcpy(&word, p + n, 8);
    if (const uint64_t differs = word ^ pattern) {
      const int bits = std::endian::native == std::endian::little ? std::countr_zero(differs)
                                                                  : std::countl_zero(differs);
      return n + static_cast<size_t>(bits) / 8;
    }
  }
  while (n < limit && p[n] == value) ++n;
  return n;
}

}  // namespace

// One slice of a band: its compressed bytes with room for the worst case, and the Adler-32 of
// what went in.
struct BandPNGWriter::Slice {
  std::unique_ptr<unsigned char[]> out;
  size_t capacity = 0, size = 0, inputBytes = 0;
  uint32_t adler = 1, crc = 0;
  std::vector<unsigned char> filtered;
  std::vector<uint32_t> zeros;  // the row above the picture's first

  void encode(const unsigned char* data, long stride, int first, int rows, int width,
              const uint32_t* above) {
    const size_t rowBytes = 1 + 3 * static_cast<size_t>(width);
    // Nine bits a byte at worst, the 4-byte chunk type ahead, the block's ends behind.
    const size_t needed = 4 + static_cast<size_t>(rows) * (rowBytes * 9 / 8 + 8) + 64;
    if (capacity < needed) {
      out.reset(new unsigned char[needed]);
      capacity = needed;
    }
    // A spare byte for the last pixel's store.
    filtered.resize(rowBytes + 1);
    if (!above) zeros.assign(static_cast<size_t>(width), 0);
    std::memcpy(out.get(), "IDAT", 4);
    const FixedCodes& codes = fixedCodes();
    BitWriter bits(out.get() + 4);
    uint64_t a = 1, b = 0;
    auto literal = [&](unsigned char value) {
      bits.put(codes.literal[value], codes.literalBits[value]);
      a += value;
      if (a >= kAdlerModulus) a -= kAdlerModulus;
      b += a;
      if (b >= kAdlerModulus) b -= kAdlerModulus;
    };
    // `count` more copies of the byte just written, as matches at distance 1.
    auto repeat = [&](unsigned char value, size_t count) {
      b = (b + count % kAdlerModulus * a + value * (count * (count + 1) / 2 % kAdlerModulus)) %
          kAdlerModulus;
      a = (a + count % kAdlerModulus * value) % kAdlerModulus;
      for (; count >= 3;) {
        const size_t length = std::min<size_t>(count, 258);
        bits.put(codes.match[length], codes.matchBits[length]);
        count -= length;
      }
      for (; count > 0; --count) bits.put(codes.literal[value], codes.literalBits[value]);
    };

    bits.put(0b010, 3);  // not the last block; fixed codes
    for (int y = first; y < first + rows; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<long>(y) * stride);
      literal(2);  // filter "Up"
      if (above && std::memcmp(row, above, static_cast<size_t>(width) * 4) == 0) {
        literal(0);
        repeat(0, rowBytes - 2);
      } else {
        // Byte by byte differences of two pixels at once in a word, without borrows between
        // bytes; the red, green and blue bytes are stored in that order with one store, the
        // spare byte landing where the next pixel goes.
        constexpr uint32_t kHigh = 0x80808080u;
        const uint32_t* over = above ? above : zeros.data();
        unsigned char* f = filtered.data();
        for (int x = 0; x < width; ++x) {
          const uint32_t pixel = row[x], up = over[x];
          const uint32_t difference = ((pixel | kHigh) - (up & ~kHigh)) ^ ((pixel ^ ~up) & kHigh);
          const uint32_t rgb = __builtin_bswap32(difference) >> 8;
          if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(f + 3 * x, &rgb, 4);
          } else {
            for (int i = 0; i < 4; ++i) f[3 * x + i] = static_cast<unsigned char>(rgb >> (8 * i));
          }
        }
        const size_t length = rowBytes - 1;
        for (size_t i = 0; i < length;) {
          const unsigned char value = f[i];
          literal(value);
          ++i;
          const size_t run = runLength(f + i, length - i, value);
          if (run >= 3) {
            repeat(value, run);
            i += run;
          }
        }
      }
      above = row;
    }
    bits.put(0, 7);  // end of block
    // An empty stored block ends the slice on a byte boundary, as a full flush does, so slices
    // compressed apart join into one stream.
    bits.put(0, 3);
    unsigned char* end = bits.align();
    for (unsigned char byte : {0x00, 0x00, 0xff, 0xff}) *end++ = byte;
    size = static_cast<size_t>(end - out.get());
    inputBytes = rowBytes * static_cast<size_t>(rows);
    adler = static_cast<uint32_t>(b << 16 | a);
    crc = static_cast<uint32_t>(crc32(0, out.get(), static_cast<uInt>(size)));
  }
};

BandPNGWriter::BandPNGWriter(unsigned threads)
    : threads_(threads ? threads : std::max(1u, std::thread::hardware_concurrency())) {}

BandPNGWriter::~BandPNGWriter() {
  if (file_) std::fclose(file_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool BandPNGWriter::open(const std::string& path, std::string& error) {
  path_ = path;
  temporary_ = path + ".partial-" + std::to_string(::getpid());
  file_ = std::fopen(temporary_.c_str(), "wb");
  if (!file_) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    temporary_.clear();
    return false;
  }
  return true;
}

bool BandPNGWriter::writeChunk(const char type[4], const unsigned char* data, size_t size) {
  unsigned char header[8] = {
      static_cast<unsigned char>(size >> 24), static_cast<unsigned char>(size >> 16),
      static_cast<unsigned char>(size >> 8), static_cast<unsigned char>(size)};
  std::memcpy(header + 4, type, 4);
  uLong crc = crc32(0, header + 4, 4);
  // zlib takes a null buffer as a request for the initial value.
  if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
  const unsigned char trailer[4] = {
      static_cast<unsigned char>(crc >> 24), static_cast<unsigned char>(crc >> 16),
      static_cast<unsigned char>(crc >> 8), static_cast<unsigned char>(crc)};
  return std::fwrite(header, 1, 8, file_) == 8 &&
         (size == 0 || std::fwrite(data, 1, size, file_) == size) &&
         std::fwrite(trailer, 1, 4, file_) == 4;
}

bool BandPNGWriter::begin(int width, int height) {
  if (!file_ || width <= 0 || height <= 0) return false;
  width_ = width;
  height_ = height;
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  const auto w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
  const unsigned char header[13] = {static_cast<unsigned char>(w >> 24),
                                    static_cast<unsigned char>(w >> 16),
                                    static_cast<unsigned char>(w >> 8),
                                    static_cast<unsigned char>(w),
                                    static_cast<unsigned char>(h >> 24),
                                    static_cast<unsigned char>(h >> 16),
                                    static_cast<unsigned char>(h >> 8),
                                    static_cast<unsigned char>(h),
                                    8,  // bits a channel
                                    2,  // RGB
                                    0,
                                    0,
                                    0};
  // The zlib header: deflate with a 32 KB window, the fastest level.
  const unsigned char zlibHeader[2] = {0x78, 0x01};
  failed_ = std::fwrite(signature, 1, 8, file_) != 8 || !writeChunk("IHDR", header, 13) ||
            !writeChunk("IDAT", zlibHeader, 2);
  return !failed_;
}

bool BandPNGWriter::writeRows(const unsigned char* data, long stride, int rows) {
  if (failed_ || !file_ || width_ == 0 || rows < 0 || rows > height_ - rowsWritten_) {
    failed_ = true;
    return false;
  }
  if (rows == 0) return true;
  const size_t rowBytes = 1 + 3 * static_cast<size_t>(width_);
  const int maxRows = static_cast<int>(std::max<size_t>(1, kMaxSliceInput / rowBytes));
  const int byThreads = (rows + static_cast<int>(threads_) - 1) / static_cast<int>(threads_);
  const int perSlice = std::min(maxRows, std::max(kMinSliceRows, byThreads));
  const int count = (rows + perSlice - 1) / perSlice;
  while (slices_.size() < static_cast<size_t>(count)) slices_.push_back(std::make_unique<Slice>());

  const uint32_t* carried = rowsWritten_ > 0 ? previousRow_.data() : nullptr;
  auto run = [&](int index) {
    const int first = index * perSlice;
    const uint32_t* above =
        first == 0
            ? carried
            : reinterpret_cast<const uint32_t*>(data + static_cast<long>(first - 1) * stride);
    slices_[static_cast<size_t>(index)]->encode(data, stride, first,
                                                std::min(perSlice, rows - first), width_, above);
  };
  for (int group = 0; group < count; group += static_cast<int>(threads_)) {
    const int end = std::min(count, group + static_cast<int>(threads_));
    std::vector<std::thread> helpers;
    for (int index = group + 1; index < end; ++index) helpers.emplace_back(run, index);
    run(group);
    for (auto& helper : helpers) helper.join();
    for (int index = group; index < end && !failed_; ++index) {
      const Slice& slice = *slices_[static_cast<size_t>(index)];
      const size_t length = slice.size - 4;
      const unsigned char header[4] = {
          static_cast<unsigned char>(length >> 24), static_cast<unsigned char>(length >> 16),
          static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
      const unsigned char trailer[4] = {
          static_cast<unsigned char>(slice.crc >> 24), static_cast<unsigned char>(slice.crc >> 16),
          static_cast<unsigned char>(slice.crc >> 8), static_cast<unsigned char>(slice.crc)};
      failed_ = std::fwrite(header, 1, 4, file_) != 4 ||
                std::fwrite(slice.out.get(), 1, slice.size, file_) != slice.size ||
                std::fwrite(trailer, 1, 4, file_) != 4;
      adler_ = static_cast<uint32_t>(
          adler32_combine(adler_, slice.adler, static_cast<z_off_t>(slice.inputBytes)));
    }
  }
  const auto* last = data + static_cast<long>(rows - 1) * stride;
  previousRow_.assign(reinterpret_cast<const uint32_t*>(last),
                      reinterpret_cast<const uint32_t*>(last) + width_);
  rowsWritten_ += rows;
  return !failed_;
}

bool BandPNGWriter::finish(std::string& error) {
  error = "cannot write " + path_;
  if (failed_ || !file_ || rowsWritten_ != height_) return false;
  // The last block, empty, then the stream's checksum.
  const unsigned char tail[6] = {0x03,
                                 0x00,
                                 static_cast<unsigned char>(adler_ >> 24),
                                 static_cast<unsigned char>(adler_ >> 16),
                                 static_cast<unsigned char>(adler_ >> 8),
                                 static_cast<unsigned char>(adler_)};
  if (!writeChunk("IDAT", tail, 6) || !writeChunk("IEND", nullptr, 0)) return false;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed || std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    error += std::string(": ") + std::strerror(errno);
    return false;
  }
  temporary_.clear();
  error.clear();
  return true;
}
