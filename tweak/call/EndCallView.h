#pragma once

// The full-screen page after the user hangs up: "You left", the call's duration, "How was the
// quality of your call?" and the rating stars over the other side's blurred picture, with a close
// button that ends the call. The texts and stars are hidden until beginAnimation fades them in.

#include <memory>

#include "call/ActionButton.h"
#include "call/EndCallDelegate.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIVisualEffectView.h"

class EndCallView : public UIView {
  OBJC_CLASS(EndCallView, UIView);

 public:
  std::shared_ptr<EndCallView> initWithFrame(CGRect frame,
                                             std::shared_ptr<UIImage> recipientAvatar);

  // Fades the avatar, the three texts and the stars in at once, over 0.2, 0.4, 0.6, 0.8 and
  // 1.0 s, so they appear one after another.
  void beginAnimation();
  // The close button's action: the delegate ends the call.
  void endCallPressed();

  // ---- Properties ----
  // Weak: the window that owns the page.
  std::shared_ptr<EndCallDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<EndCallDelegate>& delegate) { delegate_ = delegate; }
  std::shared_ptr<UIImageView> coverAvatarImage() const { return coverAvatarImage_; }
  std::shared_ptr<UIVisualEffectView> blurEffectView() const { return blurEffectView_; }
  std::shared_ptr<ActionButton> dismissBtn() const { return dismissBtn_; }
  std::shared_ptr<UIImageView> avatarImage() const { return avatarImage_; }
  std::shared_ptr<UILabel> leftLabel() const { return leftLabel_; }
  std::shared_ptr<UILabel> durationLabel() const { return durationLabel_; }
  std::shared_ptr<UILabel> qualityLabel() const { return qualityLabel_; }
  std::shared_ptr<UIImageView> ratingImage() const { return ratingImage_; }

 private:
  std::weak_ptr<EndCallDelegate> delegate_;
  std::shared_ptr<UIImageView> coverAvatarImage_;
  std::shared_ptr<UIVisualEffectView> blurEffectView_;
  std::shared_ptr<ActionButton> dismissBtn_;
  std::shared_ptr<UIImageView> avatarImage_;
  std::shared_ptr<UILabel> leftLabel_;
  std::shared_ptr<UILabel> durationLabel_;
  std::shared_ptr<UILabel> qualityLabel_;
  std::shared_ptr<UIImageView> ratingImage_;
};
