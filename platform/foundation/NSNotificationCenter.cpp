#include "foundation/NSNotificationCenter.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "runtime/RuntimeError.h"

namespace {

// The token addObserverForName returns; it only stands for its registration.
class NSObserverToken : public NSObject {
  OBJC_CLASS(NSObserverToken, NSObject);
};

}  // namespace

OBJC_CLASS_IMPL(NSObserverToken) {}

OBJC_CLASS_IMPL(NSNotificationCenter) {
  c.method("postNotification:", &NSNotificationCenter::postNotification);
}

struct NSNotificationCenter::Registration {
  // A selector observer, weakly; a block observer's token, strongly (the centre keeps it).
  std::weak_ptr<NSObject> observer;
  const NSObject* observerIdentity;
  std::shared_ptr<NSObject> token;
  SEL selector;
  Block block;

  NSNotificationName name;
  // The object filter is compared by identity and not kept alive; once it is gone the
  // registration can never match again.
  std::weak_ptr<NSObject> object;
  const NSObject* objectIdentity;

  bool removed = false;

  bool matches(const NSNotification& notification) const {
    if (!name.empty() && name != notification.name()) return false;
    if (!objectIdentity) return true;
    return !object.expired() && notification.object().get() == objectIdentity;
  }

  bool isDead() const {
    if (removed) return true;
    if (objectIdentity && object.expired()) return true;
    return !token && observer.expired();
  }
};

NSNotificationCenter::NSNotificationCenter() = default;
NSNotificationCenter::~NSNotificationCenter() = default;

std::shared_ptr<NSNotificationCenter> NSNotificationCenter::defaultCenter() {
  static const std::shared_ptr<NSNotificationCenter> center =
      std::make_shared<NSNotificationCenter>();
  return center;
}

void NSNotificationCenter::addObserver(const id& observer, SEL selector,
                                       const NSNotificationName& name, const id& object) {
  if (!observer) return;
  Method method = class_getInstanceMethod(object_getClass(observer), selector);
  if (!method) {
    throw objc::RuntimeError(std::string("-[") + object_getClassName(observer) + " " +
                             selector.name() + "]: observer does not answer its selector");
  }
  if (objc_normalizedEncoding(method_getTypeEncoding(method)) != "v@:@") {
    throw objc::RuntimeError(std::string("-[") + object_getClassName(observer) + " " +
                             selector.name() + "]: an observer method takes one object");
  }
  auto registration = std::make_shared<Registration>();
  registration->observer = observer;
  registration->observerIdentity = observer.get();
  registration->selector = selector;
  registration->name = name;
  registration->object = object;
  registration->objectIdentity = object.get();
  prune();
  registrations_.push_back(std::move(registration));
}

id NSNotificationCenter::addObserverForName(const NSNotificationName& name, const id& object,
                                            dispatch_queue_t, Block block) {
  auto token = std::make_shared<NSObserverToken>();
  auto registration = std::make_shared<Registration>();
  registration->observerIdentity = token.get();
  registration->token = token;
  registration->block = std::move(block);
  registration->name = name;
  registration->object = object;
  registration->objectIdentity = object.get();
  prune();
  registrations_.push_back(std::move(registration));
  return token;
}

void NSNotificationCenter::removeObserver(const id& observer) {
  removeObserver(observer, {}, nullptr);
}

void NSNotificationCenter::removeObserver(const id& observer, const NSNotificationName& name,
                                          const id& object) {
  if (!observer) return;
  for (const auto& registration : registrations_) {
    if (registration->observerIdentity != observer.get()) continue;
    if (!name.empty() && registration->name != name) continue;
    if (object && registration->objectIdentity != object.get()) continue;
    registration->removed = true;
  }
  prune();
}

void NSNotificationCenter::postNotification(const std::shared_ptr<NSNotification>& notification) {
  if (!notification || notification->name().empty()) {
    throw std::invalid_argument("NSNotificationCenter: a notification needs a name");
  }
  // Callbacks may add and remove registrations; walk a copy and check each entry as it comes.
  std::vector<std::shared_ptr<Registration>> snapshot = registrations_;
  for (const auto& registration : snapshot) {
    if (registration->removed || !registration->matches(*notification)) continue;
    if (registration->token) {
      // Copied: the block may remove its own registration while it runs.
      Block block = registration->block;
      block(notification);
    } else if (id observer = registration->observer.lock()) {
      objc_msgSend<void>(observer, registration->selector, id(notification));
    } else {
      registration->removed = true;
    }
  }
  prune();
}

void NSNotificationCenter::postNotificationName(const NSNotificationName& name, const id& object,
                                                const std::shared_ptr<NSDictionary>& userInfo) {
  postNotification(NSNotification::notificationWithName(name, object, userInfo));
}

void NSNotificationCenter::prune() {
  std::erase_if(registrations_, [](const auto& registration) { return registration->isDead(); });
}
