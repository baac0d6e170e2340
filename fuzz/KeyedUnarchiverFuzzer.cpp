// Arbitrary bytes into the keyed unarchiver, allowing every class it knows and a record class of
// its own (which the bpylist2 fixtures in the corpus reach under their name "crap.Foo"). Besides
// not crashing, a refusal must say why, and whatever it accepts must archive and unarchive again.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

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

class FuzzRecord : public NSObject, public NSCoding {
  OBJC_CLASS(FuzzRecord, NSObject);

 public:
  void encodeWithCoder(NSCoder& coder) const override {
    coder.encodeObject(title, "title");
    coder.encodeObject(child, "child");
    coder.encodeInt(count, "count");
    coder.encodeInt64(big, "big");
    coder.encodeBool(active, "active");
    coder.encodeDouble(ratio, "ratio");
    coder.encodeObject(first);
  }
  static std::shared_ptr<FuzzRecord> initWithCoder(NSCoder& coder) {
    auto record = std::make_shared<FuzzRecord>();
    record->title = coder.decodeObjectOfClass<NSString>("title");
    record->child = coder.decodeObjectForKey("child");
    record->count = coder.decodeIntForKey("count");
    record->big = coder.decodeInt64ForKey("big");
    record->active = coder.decodeBoolForKey("active");
    record->ratio = coder.decodeDoubleForKey("ratio");
    record->first = coder.decodeObject();
    return record;
  }

  std::shared_ptr<NSString> title;
  id child, first;
  int count = 0;
  int64_t big = 0;
  bool active = false;
  double ratio = 0;
};

}  // namespace

OBJC_CLASS_IMPL(FuzzRecord) {}
NSCODING_IMPL(FuzzRecord);

namespace {

const std::vector<Class>& allowedClasses() {
  static const std::vector<Class> classes = {NSArray::classObject(),  NSDictionary::classObject(),
                                             NSString::classObject(), NSNumber::classObject(),
                                             NSData::classObject(),   NSDate::classObject(),
                                             NSURL::classObject(),    FuzzRecord::classObject()};
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
  unarchiver->setClass(FuzzRecord::classObject(), "crap.Foo");

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
