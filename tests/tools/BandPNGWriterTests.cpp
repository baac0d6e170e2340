#include "BandPNGWriter.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class Pattern { Flat, Runs, Noise };

uint32_t pixelAt(Pattern pattern, int x, int y) {
  switch (pattern) {
    case Pattern::Flat:
      return 0xFFF2F2F7;
    case Pattern::Runs: {
      // Groups of identical rows, with runs of every length ending at different places.
      const int group = y / 7;
      const int span = group % 300 + 1;
      return 0xFF000000 | static_cast<uint32_t>((x / span + group) % 3) * 0x00405060;
    }
    case Pattern::Noise: {
      uint32_t v = static_cast<uint32_t>(x) * 2654435761u ^ static_cast<uint32_t>(y) * 40503u;
      v ^= v >> 13;
      v *= 0x5bd1e995;
      return 0xFF000000 | (v ^ v >> 15);
    }
  }
  return 0;
}

struct Picture {
  int width, height;
  long stride;  // in pixels, wider than the picture as a Cairo surface may be
  std::vector<uint32_t> pixels;

  Picture(Pattern pattern, int w, int h) : width(w), height(h), stride(w + 3) {
    pixels.resize(static_cast<size_t>(stride) * static_cast<size_t>(h), 0xDEADBEEF);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x)
        pixels[static_cast<size_t>(y * stride + x)] = pixelAt(pattern, x, y);
    }
  }
  const unsigned char* row(int y) const {
    return reinterpret_cast<const unsigned char*>(pixels.data() + y * stride);
  }
};

uint32_t bigEndian(const unsigned char* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// Checks every chunk's CRC and inflates the joined IDAT data to its end, which checks the
// stream's Adler-32; returns the inflated bytes or an explanation.
::testing::AssertionResult inflateImageData(const fs::path& path, std::vector<unsigned char>& raw) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<unsigned char> stream;
  for (size_t at = 8; at + 12 <= bytes.size();) {
    const uint32_t length = bigEndian(&bytes[at]);
    if (at + 12 + length > bytes.size()) return ::testing::AssertionFailure() << "chunk overrun";
    const uLong crc = crc32(0, &bytes[at + 4], length + 4);
    if (crc != bigEndian(&bytes[at + 8 + length])) {
      return ::testing::AssertionFailure() << "bad CRC at " << at;
    }
    if (std::memcmp(&bytes[at + 4], "IDAT", 4) == 0) {
      stream.insert(stream.end(), &bytes[at + 8], &bytes[at + 8 + length]);
    }
    at += 12 + length;
  }
  z_stream z{};
  inflateInit(&z);
  raw.resize(1 << 16);
  z.next_in = stream.data();
  z.avail_in = static_cast<uInt>(stream.size());
  int status = Z_OK;
  size_t produced = 0;
  while (status == Z_OK) {
    if (produced == raw.size()) raw.resize(raw.size() * 2);
    z.next_out = raw.data() + produced;
    z.avail_out = static_cast<uInt>(raw.size() - produced);
    status = inflate(&z, Z_NO_FLUSH);
    produced = raw.size() - z.avail_out;
  }
  const bool whole = status == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  raw.resize(produced);
  if (!whole) return ::testing::AssertionFailure() << "inflate ended with " << status;
  return ::testing::AssertionSuccess();
}

class BandPNGWriterTest : public ::testing::Test {
 protected:
  fs::path folder_ = fs::temp_directory_path() / ("band-png-" + std::to_string(::getpid()));
  void SetUp() override { fs::create_directories(folder_); }
  void TearDown() override { fs::remove_all(folder_); }
};

TEST_F(BandPNGWriterTest, PicturesReadBackPixelForPixel) {
  const struct {
    Pattern pattern;
    int width, height, bandRows;
    unsigned threads;
  } cases[] = {
      {Pattern::Flat, 1, 3, 1, 1},
      {Pattern::Flat, 86, 70, 70, 2},  // a row of exactly 258 filtered bytes
      {Pattern::Runs, 87, 700, 33, 3},
      {Pattern::Runs, 1000, 500, 200, 2},
      {Pattern::Noise, 301, 130, 64, 4},
      {Pattern::Noise, 5, 2, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " bands of " << c.bandRows
                                      << " on " << c.threads);
    const Picture picture(c.pattern, c.width, c.height);
    const fs::path out = folder_ / "picture.png";
    std::string error;
    BandPNGWriter writer(c.threads);
    ASSERT_TRUE(writer.open(out.string(), error)) << error;
    ASSERT_TRUE(writer.begin(c.width, c.height));
    for (int y = 0; y < c.height; y += c.bandRows) {
      ASSERT_TRUE(
          writer.writeRows(picture.row(y), picture.stride * 4, std::min(c.bandRows, c.height - y)));
    }
    ASSERT_TRUE(writer.finish(error)) << error;

    std::vector<unsigned char> raw;
    ASSERT_TRUE(inflateImageData(out, raw));
    EXPECT_EQ(raw.size(), static_cast<size_t>(c.height) * (1 + 3 * static_cast<size_t>(c.width)));

    cairo_surface_t* read = cairo_image_surface_create_from_png(out.c_str());
    ASSERT_EQ(cairo_surface_status(read), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(read), c.width);
    EXPECT_EQ(cairo_image_surface_get_height(read), c.height);
    const unsigned char* data = cairo_image_surface_get_data(read);
    const int stride = cairo_image_surface_get_stride(read);
    int wrong = 0;
    for (int y = 0; y < c.height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < c.width; ++x) {
        wrong += (row[x] & 0xFFFFFF) != (pixelAt(c.pattern, x, y) & 0xFFFFFF);
      }
    }
    EXPECT_EQ(wrong, 0);
    cairo_surface_destroy(read);
  }
}

// Rows described the way the chat picture describes them: whole rows, rows that repeat the one
// above, and rows where only spans change. The buffer outside the spans, and every repeated row,
// holds garbage: the writer must not read it.
TEST_F(BandPNGWriterTest, RowsKnownToRepeatOrChangeInSpansReadBackAsThePicture) {
  using Row = BandPNGWriter::Row;
  using Span = BandPNGWriter::Span;
  constexpr int kWidth = 97, kHeight = 400;
  constexpr uint32_t kGarbage = 0xFF13579B;
  // The picture: flat rows, with a moving block and a second one on the right now and then, so
  // rows change in one span or two, and runs of rows repeat.
  auto pixel = [](int x, int y) -> uint32_t {
    const bool block = y % 50 < 30 && x >= (y / 3) % 40 && x < (y / 3) % 40 + 20;
    const bool right = y % 70 > 40 && x >= 80 && x < 90;
    if (block) return 0xFF000000u | static_cast<uint32_t>(y * 2654435761u >> 8 & 0xFFFFFF);
    if (right) return 0xFF405060u + static_cast<uint32_t>(y % 5);
    return 0xFFF2F2F7u;
  };
  std::vector<uint32_t> buffer(static_cast<size_t>(kWidth * kHeight), kGarbage);
  std::vector<Span> spans(static_cast<size_t>(2 * kHeight));
  std::vector<Row> rows;
  int repeated = 0, twoSpans = 0;
  for (int y = 0; y < kHeight; ++y) {
    uint32_t* row = buffer.data() + y * kWidth;
    bool same = y > 0;
    for (int x = 0; x < kWidth && y > 0; ++x) same = same && pixel(x, y) == pixel(x, y - 1);
    if (y == 0 || y % 90 == 0) {
      for (int x = 0; x < kWidth; ++x) row[x] = pixel(x, y);
      rows.push_back(Row::whole(row));
    } else if (same) {
      rows.push_back(Row::repeat());
      ++repeated;
    } else {
      // The columns that differ from the row above, as the caller would know them, a little
      // wider; only they are filled in.
      Span* first = &spans[static_cast<size_t>(2 * y)];
      int count = 0;
      for (int x = 0; x < kWidth; ++x) {
        if (pixel(x, y) == pixel(x, y - 1)) continue;
        const int from = std::max(0, x - 2), to = std::min(kWidth, x + 3);
        if (count > 0 && from <= first[count - 1].to) {
          first[count - 1].to = to;
        } else if (count < 2) {
          first[count++] = {from, to};
        } else {
          first[1].to = to;
        }
      }
      for (int i = 0; i < count; ++i) {
        for (int x = first[i].from; x < first[i].to; ++x) row[x] = pixel(x, y);
      }
      twoSpans += count == 2;
      rows.push_back(Row::changed(row, first, count));
    }
  }
  ASSERT_GT(repeated, 50);
  ASSERT_GT(twoSpans, 10);

  for (unsigned threads : {1u, 3u}) {
    SCOPED_TRACE(threads);
    const fs::path out = folder_ / "described.png";
    std::string error;
    BandPNGWriter writer(threads);
    ASSERT_TRUE(writer.open(out.string(), error)) << error;
    ASSERT_TRUE(writer.begin(kWidth, kHeight));
    // In two calls, the second starting on a whole row as a band does.
    const std::vector<Row> top(rows.begin(), rows.begin() + 180),
        rest(rows.begin() + 180, rows.end());
    ASSERT_TRUE(writer.writeRows(top));
    ASSERT_TRUE(writer.writeRows(rest));
    ASSERT_TRUE(writer.finish(error)) << error;

    std::vector<unsigned char> raw;
    ASSERT_TRUE(inflateImageData(out, raw));
    cairo_surface_t* read = cairo_image_surface_create_from_png(out.c_str());
    ASSERT_EQ(cairo_surface_status(read), CAIRO_STATUS_SUCCESS);
    const unsigned char* data = cairo_image_surface_get_data(read);
    const int stride = cairo_image_surface_get_stride(read);
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < kWidth; ++x) wrong += (row[x] & 0xFFFFFF) != (pixel(x, y) & 0xFFFFFF);
    }
    EXPECT_EQ(wrong, 0);
    cairo_surface_destroy(read);
  }

  // Repeated rows cost some bytes for every 258 of a row: a wide picture of them needs room.
  {
    constexpr int kWide = 30000, kRows = 400;
    const std::vector<uint32_t> flat(kWide, 0xFF336699u);
    std::vector<Row> wide(kRows, Row::repeat());
    wide[0] = Row::whole(flat.data());
    const fs::path out = folder_ / "wide.png";
    std::string error;
    BandPNGWriter writer(1);
    ASSERT_TRUE(writer.open(out.string(), error)) << error;
    ASSERT_TRUE(writer.begin(kWide, kRows));
    ASSERT_TRUE(writer.writeRows(wide));
    ASSERT_TRUE(writer.finish(error)) << error;
    std::vector<unsigned char> raw;
    ASSERT_TRUE(inflateImageData(out, raw));
    ASSERT_EQ(raw.size(), static_cast<size_t>(kRows) * (1 + 3 * kWide));
    // The last row, undone from its "Up" filter, is the first.
    EXPECT_EQ(raw[raw.size() - 3 * kWide - 1], 2);
    EXPECT_EQ(std::count(raw.end() - 3 * kWide, raw.end(), 0), 3 * kWide);
  }

  // A band that does not start with a whole row has nothing to stand on.
  std::string error;
  BandPNGWriter writer(1);
  ASSERT_TRUE(writer.open((folder_ / "refused.png").string(), error));
  ASSERT_TRUE(writer.begin(kWidth, 2));
  EXPECT_FALSE(writer.writeRows(std::vector<Row>{Row::repeat(), Row::repeat()}));
  EXPECT_FALSE(writer.finish(error));
  EXPECT_FALSE(fs::exists(folder_ / "refused.png"));
}

TEST_F(BandPNGWriterTest, FailuresLeaveTheOlderPicture) {
  const fs::path out = folder_ / "kept.png";
  std::ofstream(out) << "older";
  const Picture picture(Pattern::Flat, 4, 4);
  std::string error;
  {
    // Fewer rows than announced: not finished, nothing replaced, no partial file left.
    BandPNGWriter writer(2);
    ASSERT_TRUE(writer.open(out.string(), error));
    ASSERT_TRUE(writer.begin(4, 4));
    ASSERT_TRUE(writer.writeRows(picture.row(0), picture.stride * 4, 3));
    EXPECT_FALSE(writer.finish(error));
    EXPECT_NE(error.find("cannot write"), std::string::npos);
  }
  {
    // More rows than announced.
    BandPNGWriter writer(2);
    ASSERT_TRUE(writer.open(out.string(), error));
    ASSERT_TRUE(writer.begin(4, 2));
    EXPECT_FALSE(writer.writeRows(picture.row(0), picture.stride * 4, 3));
    EXPECT_FALSE(writer.finish(error));
  }
  std::ifstream in(out);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "older");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);

  BandPNGWriter nowhere;
  EXPECT_FALSE(nowhere.open((folder_ / "missing" / "x.png").string(), error));
  EXPECT_NE(error.find("missing"), std::string::npos);
}

}  // namespace
