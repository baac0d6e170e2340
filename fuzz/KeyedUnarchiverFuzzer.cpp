// Arbitrary bytes into the keyed unarchiver, allowing every class it knows, the chat record and
// the bpylist2 fixtures' object (which the fixtures in the corpus reach under their name
// "crap.Foo"). Besides
// not crashing, a refusal must say why, and whatever it accepts must archive and unarchive again.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "ArchiveRecords.h"
#include "foundation/NSArray.h"
#include "foundation/NSCoder.h"
#include "foundation/NSData.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSKeyedArchiver.h"
#include "foundation/NSKeyedUnarchiver.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSURL.h"

namespace {

const std::vector<Class>& allowedClasses() {
  static const std::vector<Class> classes = {NSArray::classObject(),
                                             NSDictionary::classObject(),
                                             NSString::classObject(),
                                             NSNumber::classObject(),
                                             NSData::classObject(),
                                             NSDate::classObject(),
                                             NSURL::classObject(),
                                             testsupport::TestArchivedFoo::classObject(),
                                             testsupport::TestChatMessage::classObject()};
  return classes;
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "KeyedUnarchiverFuzzer: %s\n", what);
  std::abort();
}

void expectRefusalExplained(const NSKeyedUnarchiver& unarchiver) {
  if (!unarchiver.error() || unarchiver.error()->localizedDescription().empty()) {
    fail("a refusal without a message");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::shared_ptr<NSError> error;
  auto unarchiver = NSKeyedUnarchiver::initForReadingFromData({data, size}, &error);
  if (!unarchiver) {
    if (!error || error->localizedDescription().empty()) fail("a refusal without a message");
    return 0;
  }
  unarchiver->setClass(testsupport::TestArchivedFoo::classObject(), "crap.Foo");

  // Archives with a root name its classes; the others hold unkeyed top-level objects.
  std::vector<id> objects;
  if (unarchiver->containsValueForKey("root")) {
    objects.push_back(unarchiver->decodeObjectOfClasses(allowedClasses(), "root"));
  } else {
    unarchiver->setRequiresSecureCoding(false);
    for (int i = 0; i < 8; ++i) objects.push_back(unarchiver->decodeObject());
  }
  if (unarchiver->error()) {
    expectRefusalExplained(*unarchiver);
    return 0;
  }

  auto archiver = NSKeyedArchiver::initRequiringSecureCoding(true);
  for (const id& object : objects) archiver->encodeObject(object);
  auto archived = archiver->encodedData();
  if (!archived) fail("an accepted object graph could not be archived");
  auto again = NSKeyedUnarchiver::initForReadingFromData(archived->span(), nullptr);
  if (!again) fail("our own archive has a bad header");
  again->setRequiresSecureCoding(false);
  for (size_t i = 0; i < objects.size(); ++i) again->decodeObject();
  if (again->error()) fail("our own archive could not be read back");
  return 0;
}
