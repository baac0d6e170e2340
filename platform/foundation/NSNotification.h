#pragma once

// NSNotification: a named event, the object it is about, and optional details.

#include <memory>
#include <string>

#include "runtime/NSObject.h"

class NSDictionary;

// Names are plain strings. In a registration the empty name stands for nil: any name.
using NSNotificationName = std::string;

class NSNotification : public NSObject {
  OBJC_CLASS(NSNotification, NSObject);

 public:
  NSNotification(NSNotificationName name, id object, std::shared_ptr<NSDictionary> userInfo);

  static std::shared_ptr<NSNotification> notificationWithName(
      const NSNotificationName& name, const id& object,
      const std::shared_ptr<NSDictionary>& userInfo = nullptr);

  const NSNotificationName& name() const { return name_; }
  const id& object() const { return object_; }
  const std::shared_ptr<NSDictionary>& userInfo() const { return userInfo_; }

  std::string description() const override;

 private:
  NSNotificationName name_;
  id object_;
  std::shared_ptr<NSDictionary> userInfo_;
};
