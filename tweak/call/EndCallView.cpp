#include "call/EndCallView.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "call/CallViewStyle.h"

std::shared_ptr<EndCallView> EndCallView::initWithFrame(CGRect frame,
                                                        std::shared_ptr<UIImage> recipientAvatar) {
  UIView::initWithFrame(frame);
  auto self = selfAs<EndCallView>();
  setBackgroundColor(UIColor::blackColor());

  coverAvatarImage_ = CallViewStyle::addCover(self, recipientAvatar);
  blurEffectView_ = CallViewStyle::addBlur(self);

  dismissBtn_ = ActionButton::alloc()->initWithIcon("dismiss", 50, "endCallPressed");
  addSubview(dismissBtn_);
  Layout::size(dismissBtn_, 40, 40);
  Layout::trailing(dismissBtn_, trailingAnchor(), -25);
  Layout::top(dismissBtn_, topAnchor(), 60);

  avatarImage_ = CallViewStyle::addRoundAvatar(self, std::move(recipientAvatar), 1.0);
  avatarImage_->setAlpha(0);

  leftLabel_ = CallViewStyle::addLabel(self, "You left", 20, UIFontWeightLight);
  leftLabel_->setAlpha(0);
  Layout::x(leftLabel_, centerXAnchor());
  Layout::top(leftLabel_, avatarImage_->bottomAnchor(), 20);
  Layout::leading(leftLabel_, leadingAnchor(), 20);
  Layout::trailing(leftLabel_, trailingAnchor(), -20);

  durationLabel_ = CallViewStyle::addLabel(self, "Calling...", 18, UIFontWeightSemibold);
  durationLabel_->setAlpha(0);
  Layout::x(durationLabel_, centerXAnchor());
  Layout::top(durationLabel_, leftLabel_->bottomAnchor(), 15);

  qualityLabel_ =
      CallViewStyle::addLabel(self, "How was the quality of your call?", 14, UIFontWeightSemibold);
  qualityLabel_->setAlpha(0);
  Layout::x(qualityLabel_, centerXAnchor());
  Layout::top(qualityLabel_, durationLabel_->bottomAnchor(), 60);

  ratingImage_ = UIImageView::alloc();
  ratingImage_->init();
  ratingImage_->setImage(UIImage::imageWithContentsOfFile(
      "/var/LIY/Application Support/Parlo.bundle/Assets/rating.png"));
  ratingImage_->setContentMode(UIViewContentModeScaleAspectFill);
  ratingImage_->setAlpha(0);
  addSubview(ratingImage_);
  Layout::size(ratingImage_, 176, 32);
  Layout::x(ratingImage_, centerXAnchor());
  Layout::top(ratingImage_, qualityLabel_->bottomAnchor(), 25);
  return self;
}

void EndCallView::beginAnimation() {
  auto self = selfAs<EndCallView>();
  UIView::animateWithDuration(0.2, [self] { self->avatarImage_->setAlpha(1.0); });
  UIView::animateWithDuration(0.4, [self] { self->leftLabel_->setAlpha(1.0); });
  UIView::animateWithDuration(0.6, [self] { self->durationLabel_->setAlpha(1.0); });
  UIView::animateWithDuration(0.8, [self] { self->qualityLabel_->setAlpha(0.8); });
  UIView::animateWithDuration(1.0, [self] { self->ratingImage_->setAlpha(0.8); });
}

void EndCallView::endCallPressed() {
  if (auto delegate = delegate_.lock()) delegate->finishedWithFakeCall();
}

OBJC_CLASS_IMPL(EndCallView) {
  c.method("beginAnimation", &EndCallView::beginAnimation)
      .method("endCallPressed", &EndCallView::endCallPressed);
}
