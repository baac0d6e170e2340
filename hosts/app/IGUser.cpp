#include "IGUser.h"

OBJC_CLASS_IMPL(IGUser) {
  c.method("username", &IGUser::username).method("profilePicURL", &IGUser::profilePicURL);
}

std::shared_ptr<IGUser> IGUser::initWithUsername(const std::string& username,
                                                 const std::string& fullName,
                                                 const std::shared_ptr<NSURL>& profilePicURL) {
  username_ = NSString::string(username);
  fullName_ = fullName.empty() ? username : fullName;
  profilePicURL_ = profilePicURL;
  return selfAs<IGUser>();
}
