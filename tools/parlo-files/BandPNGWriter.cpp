#include "BandPNGWriter.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <thread>

namespace {

constexpr uint32_t kAdlerModulus = 65521;
// A slice's input stays well inside one IDAT chunk's 31-bit length, however wide the picture.
constexpr size_t kMaxSliceInput = size_t{1} << 28;
// Below this many rows a slice is not worth a thread.
constexpr int kMinSliceRows = 32;
// The distance code of three bytes back, bit-reversed, to put over distance 1's zero bits.
constexpr uint32_t kDistance3 = 0b01000;

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
  std::array<uint8_t, 259> lengthBits{};  // of the length code and its extra bits

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
      lengthBits[length] = static_cast<uint8_t>(bits + kExtra[index]);
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

// How many bytes from `p` equal those from `q`, up to `limit`, eight at a time.
size_t matchLength(const unsigned char* p, const unsigned char* q, size_t limit) {
  size_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    uint64_t x, y;
    std::memcpy(&x, p + n, 8);
    std::memcpy(&y, q + n, 8);
    if (const uint64_t differs = x ^ y) {
      const int bits = std::endian::native == std::endian::little ? std::countr_zero(differs)
                                                                  : std::countl_zero(differs);
      return n + static_cast<size_t>(bits) / 8;
    }
  }
  while (n < limit && p[n] == q[n]) ++n;
  return n;
}

// How many pixels from `p` have the colours of those from `q`, up to `limit`, two at a time.
int samePixels(const uint32_t* p, const uint32_t* q, int limit) {
  constexpr uint64_t kColours = 0x00FFFFFF00FFFFFFull;
  int n = 0;
  for (; n + 2 <= limit; n += 2) {
    uint64_t x, y;
    std::memcpy(&x, p + n, 8);
    std::memcpy(&y, q + n, 8);
    if ((x ^ y) & kColours) break;
  }
  while (n < limit && ((p[n] ^ q[n]) & 0xFFFFFF) == 0) ++n;
  return n;
}

// The red, green and blue bytes of 0x00RRGGBB in that order, with one store whose fourth byte
// lands where the next pixel goes.
void storeRGB(unsigned char* f, uint32_t rgb) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(f, &rgb, 4);
  } else {
    for (int i = 0; i < 4; ++i) f[i] = static_cast<unsigned char>(rgb >> (8 * i));
  }
}

}  // namespace

// One slice of a band: its compressed bytes with room for the worst case, and the Adler-32 of
// what went in.
struct BandPNGWriter::Slice {
  std::unique_ptr<unsigned char[]> out;
  size_t capacity = 0, size = 0, inputBytes = 0;
  uint32_t adler = 1, crc = 0;
  std::vector<unsigned char> bytes;
  std::vector<uint32_t> current;  // the row above as the rows so far left it

  // The first row is whole.
  void encode(const Row* rows, size_t count, int width) {
    const size_t rowBytes = 1 + 3 * static_cast<size_t>(width);
    // Nine bits a byte at worst, the 4-byte chunk type ahead, the block's ends behind.
    size_t needed = 4 + 64;
    // A repeated row is runs of 258 zeros, 13 bits each.
    for (size_t i = 0; i < count; ++i) {
      needed += rows[i].pixels ? rowBytes * 9 / 8 + 8 : rowBytes / 128 + 16;
    }
    if (capacity < needed) {
      out.reset(new unsigned char[needed]);
      capacity = needed;
    }
    // A spare byte for the last pixel's store.
    bytes.resize(rowBytes + 1);
    current.resize(static_cast<size_t>(width));
    std::memcpy(out.get(), "IDAT", 4);
    const FixedCodes& codes = fixedCodes();
    BitWriter bits(out.get() + 4);
    uint64_t a = 1, b = 0;
    auto sum = [&](unsigned char value) {
      a += value;
      if (a >= kAdlerModulus) a -= kAdlerModulus;
      b += a;
      if (b >= kAdlerModulus) b -= kAdlerModulus;
    };
    auto literal = [&](unsigned char value) {
      bits.put(codes.literal[value], codes.literalBits[value]);
      sum(value);
    };
    // `count` more copies of the byte just written, as matches at distance 1.
    auto runs = [&](unsigned char value, size_t count) {
      for (; count >= 3;) {
        const size_t length = std::min<size_t>(count, 258);
        bits.put(codes.match[length], codes.matchBits[length]);
        count -= length;
      }
      for (; count > 0; --count) bits.put(codes.literal[value], codes.literalBits[value]);
    };
    auto repeat = [&](unsigned char value, size_t count) {
      b = (b + count % kAdlerModulus * a + value * (count * (count + 1) / 2 % kAdlerModulus)) %
          kAdlerModulus;
      a = (a + count % kAdlerModulus * value) % kAdlerModulus;
      runs(value, count);
    };
    auto zeros = [&](size_t count) {
      if (count == 0) return;
      literal(0);
      repeat(0, count - 1);
    };
    // Bytes as literals and runs; unfiltered pixels also as copies of the pixel before, three
    // bytes back.
    auto code = [&](const unsigned char* f, size_t length, bool pixelRuns) {
      const uLong summed = adler32(static_cast<uLong>(b << 16 | a), f, static_cast<uInt>(length));
      a = summed & 0xffff;
      b = summed >> 16;
      for (size_t i = 0; i < length;) {
        const unsigned char value = f[i];
        bits.put(codes.literal[value], codes.literalBits[value]);
        ++i;
        const size_t run = i < length && f[i] == value ? runLength(f + i, length - i, value) : 0;
        if (run >= 3) {
          runs(value, run);
          i += run;
          continue;
        }
        if (!pixelRuns || i < 3) continue;
        size_t same = matchLength(f + i, f + i - 3, length - i);
        if (same < 6) continue;
        for (; same >= 3;) {
          size_t piece = std::min<size_t>(same, 258);
          // Leave no tail of one or two bytes, which no match can carry.
          if (same - piece > 0 && same - piece < 3) piece = same - 3;
          bits.put(codes.match[piece] | kDistance3 << codes.lengthBits[piece],
                   codes.matchBits[piece]);
          same -= piece;
          i += piece;
        }
      }
    };

    bits.put(0b010, 3);  // not the last block; fixed codes
    unsigned char* f = bytes.data();
    for (const Row* row = rows; row < rows + count; ++row) {
      if (!row->pixels) {
        literal(2);  // filter "Up", every byte the same as above
        zeros(rowBytes - 1);
      } else if (!row->spans) {
        literal(0);  // no filter
        for (int x = 0; x < width; ++x) {
          const uint32_t rgb = __builtin_bswap32(row->pixels[x]) >> 8;
          storeRGB(f + 3 * x, rgb);
        }
        std::memcpy(current.data(), row->pixels, static_cast<size_t>(width) * 4);
        code(f, rowBytes - 1, true);
      } else {
        literal(2);  // filter "Up"
        // Zero bytes not yet coded: the pixels that are as above, between those that are not.
        size_t zeroBytes = 0;
        uint32_t* above = current.data();
        const uint32_t* pixels = row->pixels;
        int done = 0;  // columns seen
        for (const Span* span = row->spans; span < row->spans + row->spanCount; ++span) {
          const int from = std::clamp(span->from, done, width),
                    to = std::clamp(span->to, from, width);
          zeroBytes += 3 * static_cast<size_t>(from - done);
          for (int x = from; x < to;) {
            const int same = samePixels(pixels + x, above + x, to - x);
            zeroBytes += 3 * static_cast<size_t>(same);
            x += same;
            if (x == to) break;
            // Byte by byte differences of the pixels in a word, without borrows between bytes,
            // up to the next pixel that is as above.
            constexpr uint32_t kHigh = 0x80808080u;
            const int start = x;
            for (; x < to && ((pixels[x] ^ above[x]) & 0xFFFFFF) != 0; ++x) {
              const uint32_t pixel = pixels[x], up = above[x];
              const uint32_t difference =
                  ((pixel | kHigh) - (up & ~kHigh)) ^ ((pixel ^ ~up) & kHigh);
              storeRGB(f + 3 * (x - start), __builtin_bswap32(difference) >> 8);
              above[x] = pixel;
            }
            zeros(zeroBytes);
            zeroBytes = 0;
            code(f, 3 * static_cast<size_t>(x - start), false);
          }
          done = to;
        }
        zeros(zeroBytes + 3 * static_cast<size_t>(width - done));
      }
    }
    bits.put(0, 7);  // end of block
    // An empty stored block ends the slice on a byte boundary, as a full flush does, so slices
    // compressed apart join into one stream.
    bits.put(0, 3);
    unsigned char* end = bits.align();
    for (unsigned char byte : {0x00, 0x00, 0xff, 0xff}) *end++ = byte;
    size = static_cast<size_t>(end - out.get());
    inputBytes = rowBytes * count;
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
  std::vector<Row> records;
  records.reserve(static_cast<size_t>(std::max(rows, 0)));
  const Span all{0, width_};
  const uint32_t* above = nullptr;
  for (int y = 0; y < rows; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<long>(y) * stride);
    // A whole row now and then lets the rows be cut into slices.
    if (!above || y % kMinSliceRows == 0) {
      records.push_back(Row::whole(row));
    } else if (std::memcmp(row, above, static_cast<size_t>(width_) * 4) == 0) {
      records.push_back(Row::repeat());
    } else {
      records.push_back(Row::changed(row, &all, 1));
    }
    above = row;
  }
  return writeRows(records);
}

bool BandPNGWriter::writeRows(const std::vector<Row>& rows) {
  const int count = static_cast<int>(std::min<size_t>(rows.size(), INT32_MAX));
  if (failed_ || !file_ || width_ == 0 || count > height_ - rowsWritten_ ||
      (!rows.empty() && (!rows.front().pixels || rows.front().spans))) {
    failed_ = true;
    return false;
  }
  if (rows.empty()) return true;
  // Slices of about equal work: a repeated row is a few codes, a drawn one a code a byte.
  const size_t rowBytes = 1 + 3 * static_cast<size_t>(width_);
  auto work = [&](const Row& row) -> size_t {
    if (!row.pixels) return 1;
    if (!row.spans) return rowBytes / 8;
    size_t columns = 0;
    for (int i = 0; i < row.spanCount; ++i) {
      columns += static_cast<size_t>(std::max(0, row.spans[i].to - row.spans[i].from));
    }
    return 1 + 3 * columns / 8;
  };
  size_t total = 0;
  for (const Row& row : rows) total += work(row);
  const size_t maxRows = std::max<size_t>(1, kMaxSliceInput / rowBytes);
  const size_t share = total / threads_ + 1;
  std::vector<std::pair<size_t, size_t>> ranges;  // first row, count
  for (size_t first = 0; first < rows.size();) {
    // A slice starts at a whole row, as it knows no row above its first.
    size_t end = first + 1, done = work(rows[first]);
    while (end < rows.size() &&
           ((rows[end].spans || !rows[end].pixels) ||
            (end - first < maxRows &&
             (done < share || end - first < static_cast<size_t>(kMinSliceRows))))) {
      done += work(rows[end++]);
    }
    ranges.emplace_back(first, end - first);
    first = end;
  }
  while (slices_.size() < ranges.size()) slices_.push_back(std::make_unique<Slice>());

  auto run = [&](size_t index) {
    slices_[index]->encode(rows.data() + ranges[index].first, ranges[index].second, width_);
  };
  for (size_t group = 0; group < ranges.size(); group += threads_) {
    const size_t end = std::min(ranges.size(), group + threads_);
    std::vector<std::thread> helpers;
    for (size_t index = group + 1; index < end; ++index) helpers.emplace_back(run, index);
    run(group);
    for (auto& helper : helpers) helper.join();
    for (size_t index = group; index < end && !failed_; ++index) {
      const Slice& slice = *slices_[index];
      const size_t length = slice.size - 4;
      if (length > 0x7fffffff) {
        failed_ = true;
        break;
      }
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
  rowsWritten_ += count;
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
