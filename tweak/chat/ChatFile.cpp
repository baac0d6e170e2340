#include "chat/ChatFile.h"

#include <array>
#include <cstdio>

#include "chat/ChatDataModel.h"
#include "foundation/NSData.h"
#include "foundation/NSError.h"
#include "foundation/NSKeyedArchiver.h"
#include "foundation/NSKeyedUnarchiver.h"
#include "foundation/NSPathUtilities.h"

namespace ChatFile {
namespace {

// Longest name, in UTF-8 bytes, used for a file as it is. Device names are at most 30
// characters; the bound leaves room under the file system's 255 for ".plist" and for the
// ".damaged-N" of a file kept aside.
constexpr size_t kMaxNameBytes = 200;
// Head of an escaped name that is kept when the rest is replaced by its hash.
constexpr size_t kEscapedHeadBytes = 120;

std::array<uint8_t, 32> sha256(std::span<const uint8_t> input) {
  static constexpr uint32_t k[64] = {
      0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
      0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
      0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
      0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
      0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
      0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
      0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
      0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
      0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
      0xc67178f2};
  uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::vector<uint8_t> message(input.begin(), input.end());
  const uint64_t bits = uint64_t(input.size()) * 8;
  message.push_back(0x80);
  while (message.size() % 64 != 56) message.push_back(0);
  for (int shift = 56; shift >= 0; shift -= 8) message.push_back(uint8_t(bits >> shift));

  auto rotr = [](uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
  for (size_t block = 0; block < message.size(); block += 64) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
      const uint8_t* p = &message[block + size_t(i) * 4];
      w[i] = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }
    for (int i = 16; i < 64; ++i) {
      const uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      const uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
    for (int i = 0; i < 64; ++i) {
      const uint32_t t1 =
          hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
      const uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      hh = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += hh;
  }
  std::array<uint8_t, 32> digest;
  for (int i = 0; i < 32; ++i) digest[size_t(i)] = uint8_t(h[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

bool hasLoneSurrogate(const std::u16string& units) {
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

bool isPlainName(const NSString& username) {
  const std::u16string& units = username.characters();
  if (units.empty() || units.front() == u'.' || units.front() == u'%') return false;
  if (units.find_first_of(std::u16string_view(u"/\0", 2)) != std::u16string::npos) return false;
  if (hasLoneSurrogate(units)) return false;
  return username.utf8().size() <= kMaxNameBytes;
}

// Letters, digits, "." "_" "-" as they are; other units as "%XX" below 0x100, else "%uXXXX".
// The escape cannot be read two ways ("u" is no hex digit), so the escaped form is unique.
std::string escaped(const std::u16string& units, size_t limit) {
  std::string out;
  for (char16_t unit : units) {
    char token[8];
    if ((unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') ||
        (unit >= u'0' && unit <= u'9') || unit == u'.' || unit == u'_' || unit == u'-') {
      token[0] = char(unit);
      token[1] = 0;
    } else if (unit < 0x100) {
      std::snprintf(token, sizeof token, "%%%02X", unsigned(unit));
    } else {
      std::snprintf(token, sizeof token, "%%u%04X", unsigned(unit));
    }
    if (out.size() + std::char_traits<char>::length(token) > limit) break;
    out += token;
  }
  return out;
}

std::string documentsDirectory() {
  return NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true).at(0);
}

}  // namespace

std::string chatDirectory() {
  return stringByAppendingPathComponent(documentsDirectory(), "ParloChats");
}

std::string fileNameForUsername(const NSString& username) {
  if (isPlainName(username)) return username.utf8();

  const std::u16string& units = username.characters();
  std::string name = "%" + escaped(units, SIZE_MAX);
  if (name.size() <= kMaxNameBytes) return name;

  // "~" is never part of an escaped form, so a hashed name cannot meet an escaped one.
  std::vector<uint8_t> bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t unit : units) {
    bytes.push_back(uint8_t(unit >> 8));
    bytes.push_back(uint8_t(unit));
  }
  name = "%" + escaped(units, kEscapedHeadBytes) + "~";
  for (uint8_t byte : sha256(bytes)) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    name += hex;
  }
  return name;
}

std::optional<std::string> chatFilePath(const std::shared_ptr<NSString>& username) {
  if (!username) return std::nullopt;
  return NSString::formatUTF8("%@/ParloChats/%@.plist", NSString::string(documentsDirectory()),
                              NSString::string(fileNameForUsername(*username)));
}

std::optional<std::vector<uint8_t>> encode(const NSArray& messages, std::string* error) {
  // Foundation names the root's class from the object, so the root is always a mutable array.
  auto root = NSMutableArray::arrayWithArray(messages);
  std::shared_ptr<NSError> failure;
  auto data = NSKeyedArchiver::archivedDataWithRootObject(root, false, &failure);
  if (!data) {
    if (error) *error = failure ? failure->localizedDescription() : "cannot archive the chat";
    return std::nullopt;
  }
  return data->vector();
}

std::shared_ptr<NSMutableArray> decode(std::span<const uint8_t> bytes, std::string* error) {
  std::shared_ptr<NSError> failure;
  id root = NSKeyedUnarchiver::unarchivedObjectOfClasses(
      {NSArray::classObject(), ChatDataModel::classObject()}, bytes, &failure);
  auto array = std::dynamic_pointer_cast<NSArray>(root);
  if (!array) {
    if (error) {
      *error = failure ? failure->localizedDescription()
                       : std::string("the archive's root is not an array of messages");
    }
    return nullptr;
  }
  for (const id& element : array->objects()) {
    if (!std::dynamic_pointer_cast<ChatDataModel>(element)) {
      if (error) *error = "the archive's array holds something other than messages";
      return nullptr;
    }
  }
  if (auto mutableArray = std::dynamic_pointer_cast<NSMutableArray>(array)) return mutableArray;
  return array->mutableCopy();
}

}  // namespace ChatFile
