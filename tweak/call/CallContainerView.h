#pragma once

// One half of the split call screen: an enlarged, blurred copy of a profile picture with the same
// picture as a small round avatar in the middle. Minimised, the call halves both pictures.

#include <memory>

#include "foundation/NSString.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UIVisualEffectView.h"

class CallContainerView : public UIView {
  OBJC_CLASS(CallContainerView, UIView);

 public:
  // `avatar` may be nil: the half is then black with empty pictures. `username` is kept only.
  std::shared_ptr<CallContainerView> initWithFrame(CGRect frame, std::shared_ptr<UIImage> avatar,
                                                   std::shared_ptr<NSString> username);

  // Scales the cover and the avatar by a further 0.5 (twice halves again).
  void updateMinimiseView();
  // Both back to their natural size.
  void updateMaximiseView();

  // ---- Properties ----
  std::shared_ptr<UIImageView> coverAvatarImage() const { return coverAvatarImage_; }
  std::shared_ptr<UIVisualEffectView> blurEffectView() const { return blurEffectView_; }
  std::shared_ptr<UIImageView> avatarImage() const { return avatarImage_; }
  std::shared_ptr<NSString> usernameString() const { return usernameString_; }
  std::shared_ptr<UIImage> avatar() const { return avatar_; }

 private:
  std::shared_ptr<UIImageView> coverAvatarImage_;
  std::shared_ptr<UIVisualEffectView> blurEffectView_;
  std::shared_ptr<UIImageView> avatarImage_;
  std::shared_ptr<NSString> usernameString_;
  std::shared_ptr<UIImage> avatar_;
};
