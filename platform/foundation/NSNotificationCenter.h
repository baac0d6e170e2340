#pragma once

// NSNotificationCenter: delivers posted notifications, synchronously and in registration order,
// to the observers whose name and object match. An empty name or a nil object in a registration
// matches any.
//
// A selector observer is held weakly: once it is gone it is skipped and forgotten. A block
// observer is held by the centre until its token is removed. Observers may be added or removed
// from inside a callback; one removed during a post is not called for the rest of that post, one
// added during a post first hears the next one.

#include <functional>
#include <memory>
#include <vector>

#include "foundation/Dispatch.h"
#include "foundation/NSNotification.h"
#include "runtime/NSObject.h"

class NSNotificationCenter : public NSObject {
  OBJC_CLASS(NSNotificationCenter, NSObject);

 public:
  using Block = std::function<void(const std::shared_ptr<NSNotification>&)>;

  NSNotificationCenter();
  ~NSNotificationCenter() override;

  static std::shared_ptr<NSNotificationCenter> defaultCenter();

  // The observer must answer `selector` with one object argument ("v@:@"); anything else is a
  // programming error and throws objc::RuntimeError here rather than at the first post.
  void addObserver(const id& observer, SEL selector, const NSNotificationName& name,
                   const id& object);
  // Returns the token to pass to removeObserver. Every queue of this process is the main thread,
  // so the block always runs synchronously within the post, whatever queue is given.
  id addObserverForName(const NSNotificationName& name, const id& object, dispatch_queue_t queue,
                        Block block);

  void removeObserver(const id& observer);
  // Removes the observer's registrations for this name and object; an empty name or nil object
  // removes them whatever their name or object.
  void removeObserver(const id& observer, const NSNotificationName& name, const id& object);

  // Posting without a name is a programming error (std::invalid_argument).
  void postNotification(const std::shared_ptr<NSNotification>& notification);
  void postNotificationName(const NSNotificationName& name, const id& object,
                            const std::shared_ptr<NSDictionary>& userInfo = nullptr);

 private:
  struct Registration;

  void prune();

  std::vector<std::shared_ptr<Registration>> registrations_;
};
