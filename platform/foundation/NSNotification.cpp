#include "foundation/NSNotification.h"

#include <utility>

#include "foundation/NSDictionary.h"

OBJC_CLASS_IMPL(NSNotification) {
  c.method("object", &NSNotification::object).method("userInfo", &NSNotification::userInfo);
}

NSNotification::NSNotification(NSNotificationName name, id object,
                               std::shared_ptr<NSDictionary> userInfo)
    : name_(std::move(name)), object_(std::move(object)), userInfo_(std::move(userInfo)) {}

std::shared_ptr<NSNotification> NSNotification::notificationWithName(
    const NSNotificationName& name, const id& object,
    const std::shared_ptr<NSDictionary>& userInfo) {
  return std::make_shared<NSNotification>(name, object, userInfo);
}

std::string NSNotification::description() const {
  return "NSConcreteNotification {name = " + name_ +
         (object_ ? "; object = " + object_->description() : std::string()) + "}";
}
