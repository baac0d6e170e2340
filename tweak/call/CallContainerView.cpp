#include "call/CallContainerView.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "call/CallViewStyle.h"

std::shared_ptr<CallContainerView> CallContainerView::initWithFrame(
    CGRect frame, std::shared_ptr<UIImage> avatar, std::shared_ptr<NSString> username) {
  UIView::initWithFrame(frame);
  auto self = selfAs<CallContainerView>();
  setBackgroundColor(UIColor::blackColor());
  setClipsToBounds(true);
  usernameString_ = std::move(username);
  avatar_ = std::move(avatar);

  coverAvatarImage_ = UIImageView::alloc();
  coverAvatarImage_->initWithFrame(CGRectMake(0, 0, 375, 375));
  coverAvatarImage_->setContentMode(UIViewContentModeScaleAspectFill);
  coverAvatarImage_->setImage(avatar_);
  coverAvatarImage_->setClipsToBounds(true);
  coverAvatarImage_->layer()->setCornerRadius(137.5);
  addSubview(coverAvatarImage_);
  Layout::size(coverAvatarImage_, 375, 375);
  Layout::xy(coverAvatarImage_, centerXAnchor(), centerYAnchor());

  blurEffectView_ = CallViewStyle::addBlur(self);

  avatarImage_ = UIImageView::alloc();
  avatarImage_->initWithFrame(CGRectMake(0, 0, 85, 85));
  avatarImage_->layer()->setCornerRadius(42.5);
  avatarImage_->setImage(avatar_);
  avatarImage_->setClipsToBounds(true);
  avatarImage_->setContentMode(UIViewContentModeScaleAspectFill);
  avatarImage_->layer()->setBorderWidth(0.5);
  avatarImage_->layer()->setBorderColor(CallViewStyle::lightGreyBorder());
  addSubview(avatarImage_);
  Layout::size(avatarImage_, 85, 85);
  Layout::x(avatarImage_, centerXAnchor());
  Layout::y(avatarImage_, centerYAnchor());
  return self;
}

void CallContainerView::updateMinimiseView() {
  coverAvatarImage_->setTransform(CGAffineTransformScale(coverAvatarImage_->transform(), 0.5, 0.5));
  avatarImage_->setTransform(CGAffineTransformScale(avatarImage_->transform(), 0.5, 0.5));
}

void CallContainerView::updateMaximiseView() {
  coverAvatarImage_->setTransform(CGAffineTransformIdentity);
  avatarImage_->setTransform(CGAffineTransformIdentity);
}

OBJC_CLASS_IMPL(CallContainerView) {
  c.method("updateMinimiseView", &CallContainerView::updateMinimiseView)
      .method("updateMaximiseView", &CallContainerView::updateMaximiseView)
      .method("avatarImage", &CallContainerView::avatarImage);
}
