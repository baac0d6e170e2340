#include <memory>

#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSPropertyListSerialization.h"

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithContentsOfFile(const std::string& path) {
  auto bytes = DeviceRoot::readFile(path);
  if (!bytes) return nullptr;
  id plist = NSPropertyListSerialization::propertyListWithData(*bytes, NSPropertyListImmutable,
                                                               nullptr, nullptr);
  return std::dynamic_pointer_cast<NSDictionary>(plist);
}

bool NSDictionary::writeToFile(const std::string& path, bool atomically) const {
  // Every dictionary is made through a factory, so it has an owner to hand on as an id.
  id self = std::const_pointer_cast<NSObject>(weak_from_this().lock());
  if (!self) return false;
  auto data = NSPropertyListSerialization::dataWithPropertyList(self, NSPropertyListXMLFormat_v1_0,
                                                                0, nullptr);
  return data && DeviceRoot::writeFile(path, data->span(), atomically);
}
