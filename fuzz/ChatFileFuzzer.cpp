// Arbitrary bytes into the add-on's chat loader. A refusal must say why; an accepted chat must
// archive again and load back to the same records.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "chat/ChatDataModel.h"
#include "chat/ChatFile.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "ChatFileFuzzer: %s\n", what);
  std::abort();
}

// Equal up to lone surrogates, which become U+FFFD on their way through UTF-8: same presence
// and the same number of UTF-16 units.
bool sameText(const std::shared_ptr<NSString>& a, const std::shared_ptr<NSString>& b) {
  if (!a || !b) return !a && !b;
  return a->length() == b->length();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  auto records = ChatFile::decode({data, size}, &error);
  if (!records) {
    if (error.empty()) fail("a refusal without a message");
    return 0;
  }
  auto bytes = ChatFile::encode(*records, &error);
  if (!bytes) fail("an accepted chat could not be archived");
  auto again = ChatFile::decode(*bytes, &error);
  if (!again || again->count() != records->count()) fail("our own chat file did not load back");
  for (size_t i = 0; i < records->count(); ++i) {
    const auto& a = static_cast<const ChatDataModel&>(*records->objectAtIndex(i));
    const auto& b = static_cast<const ChatDataModel&>(*again->objectAtIndex(i));
    if (!sameText(a.message, b.message) || !sameText(a.messageType, b.messageType)) {
      fail("a record's text changed on its way through our own file");
    }
    if (a.showAvatar != b.showAvatar || a.showLike != b.showLike || a.activeCall != b.activeCall) {
      fail("a record's flags changed on its way through our own file");
    }
  }
  return 0;
}
