#pragma once

// The full-screen "Calling..." page of an outgoing call: the local user's picture blurred behind,
// the other side's round picture and name, and "Calling..." beneath.

#include <memory>

#include "foundation/NSString.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIVisualEffectView.h"

class BeginCallView : public UIView {
  OBJC_CLASS(BeginCallView, UIView);

 public:
  std::shared_ptr<BeginCallView> initWithFrame(CGRect frame,
                                               const std::shared_ptr<NSString>& recipientUsername,
                                               std::shared_ptr<UIImage> recipientAvatar,
                                               std::shared_ptr<UIImage> callerAvatar);

  // ---- Properties ----
  std::shared_ptr<UIImageView> coverAvatarImage() const { return coverAvatarImage_; }
  std::shared_ptr<UIVisualEffectView> blurEffectView() const { return blurEffectView_; }
  std::shared_ptr<UIImageView> avatarImage() const { return avatarImage_; }
  std::shared_ptr<UILabel> usernameLabel() const { return usernameLabel_; }
  std::shared_ptr<UILabel> callLabel() const { return callLabel_; }

 private:
  std::shared_ptr<UIImageView> coverAvatarImage_;
  std::shared_ptr<UIVisualEffectView> blurEffectView_;
  std::shared_ptr<UIImageView> avatarImage_;
  std::shared_ptr<UILabel> usernameLabel_;
  std::shared_ptr<UILabel> callLabel_;
};
