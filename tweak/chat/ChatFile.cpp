#include "chat/ChatFile.h"

#include <cstdio>

#include "chat/ChatDataModel.h"
#include "foundation/CommonDigest.h"
#include "foundation/NSData.h"
#include "foundation/NSError.h"
#include "foundation/NSKeyedArchiver.h"
#include "foundation/NSKeyedUnarchiver.h"
#include "foundation/NSPathUtilities.h"
#include "foundation/UTF16.h"

namespace ChatFile {
namespace {

// Longest name, in UTF-8 bytes, used for a file as it is. Device names are at most 30
// characters; the bound leaves room under the file system's 255 for ".plist" and for the
// ".damaged-N" of a file kept aside.
constexpr size_t kMaxNameBytes = 200;
// Head of an escaped name that is kept when the rest is replaced by its hash.
constexpr size_t kEscapedHeadBytes = 120;
// Bounds on what a chat file may hold, so that opening a hostile one cannot take the app's
// memory or time: far beyond what anyone types (a million messages, 32 million UTF-16 units of
// text, as every appearance of a shared record counts), far below what a device runs out of.
constexpr size_t kMaxRecords = 1000000;
constexpr uint64_t kMaxTextUnits = 32u << 20;

bool isPlainName(const NSString& username) {
  const std::u16string& units = username.characters();
  // A leading "." is kept, as the device names such a file; only "." and ".." name folders.
  if (units.empty() || units == u"." || units == u".." || units.front() == u'%') return false;
  if (units.find_first_of(std::u16string_view(u"/\0", 2)) != std::u16string::npos) return false;
  if (firstLoneSurrogate(units) != std::u16string::npos) return false;
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
  unsigned char digest[CC_SHA256_DIGEST_LENGTH];
  for (unsigned char byte : std::span(CC_SHA256(bytes.data(), uint32_t(bytes.size()), digest),
                                      CC_SHA256_DIGEST_LENGTH)) {
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
  if (array->count() > kMaxRecords) {
    if (error) {
      *error = "it holds " + std::to_string(array->count()) + " records, more than the " +
               std::to_string(kMaxRecords) + " a chat may hold";
    }
    return nullptr;
  }
  // A record that the archive shares is one object however often it appears, but every
  // appearance is a row to lay out and draw; the text is counted once per row.
  uint64_t units = 0;
  for (const id& element : array->objects()) {
    auto record = std::dynamic_pointer_cast<ChatDataModel>(element);
    if (!record) {
      if (error) *error = "the archive's array holds something other than messages";
      return nullptr;
    }
    units += (record->message ? record->message->length() : 0) +
             (record->messageType ? record->messageType->length() : 0);
  }
  if (units > kMaxTextUnits) {
    if (error) {
      *error = "its messages hold " + std::to_string(units) + " characters, more than the " +
               std::to_string(kMaxTextUnits) + " a chat may hold";
    }
    return nullptr;
  }
  if (auto mutableArray = std::dynamic_pointer_cast<NSMutableArray>(array)) return mutableArray;
  return array->mutableCopy();
}

}  // namespace ChatFile
