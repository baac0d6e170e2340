#pragma once

#include <memory>
#include <string>

#include "foundation/NSString.h"
#include "foundation/NSURL.h"
#include "runtime/NSObject.h"

// A person in a Direct thread. Code injected into the app reaches users only through the
// runtime, by the selectors `username` and `profilePicURL`.
class IGUser : public NSObject {
  OBJC_CLASS(IGUser, NSObject);

 public:
  std::shared_ptr<IGUser> initWithUsername(const std::string& username, const std::string& fullName,
                                           const std::shared_ptr<NSURL>& profilePicURL);

  std::shared_ptr<NSString> username() const { return username_; }
  std::shared_ptr<NSURL> profilePicURL() const { return profilePicURL_; }
  // What the inbox and the thread's title show; the user name when the person gave no name.
  const std::string& fullName() const { return fullName_; }

 private:
  std::shared_ptr<NSString> username_;
  std::string fullName_;
  std::shared_ptr<NSURL> profilePicURL_;
};
