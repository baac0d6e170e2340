#include "call/BeginCallView.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "call/CallViewStyle.h"

std::shared_ptr<BeginCallView> BeginCallView::initWithFrame(
    CGRect frame, const std::shared_ptr<NSString>& recipientUsername,
    std::shared_ptr<UIImage> recipientAvatar, std::shared_ptr<UIImage> callerAvatar) {
  UIView::initWithFrame(frame);
  auto self = selfAs<BeginCallView>();
  setBackgroundColor(UIColor::blackColor());

  coverAvatarImage_ = CallViewStyle::addCover(self, std::move(callerAvatar));
  blurEffectView_ = CallViewStyle::addBlur(self);
  avatarImage_ = CallViewStyle::addRoundAvatar(self, std::move(recipientAvatar), 0.7);

  usernameLabel_ = CallViewStyle::addLabel(self, "", 20, UIFontWeightLight);
  usernameLabel_->setText(recipientUsername);
  Layout::x(usernameLabel_, centerXAnchor());
  Layout::top(usernameLabel_, avatarImage_->bottomAnchor(), 20);
  Layout::leading(usernameLabel_, leadingAnchor(), 20);
  Layout::trailing(usernameLabel_, trailingAnchor(), -20);

  callLabel_ = CallViewStyle::addLabel(self, "Calling...", 14, UIFontWeightSemibold);
  callLabel_->setAlpha(0.8);
  Layout::x(callLabel_, centerXAnchor());
  Layout::top(callLabel_, usernameLabel_->bottomAnchor(), 10);
  return self;
}

OBJC_CLASS_IMPL(BeginCallView) {}
