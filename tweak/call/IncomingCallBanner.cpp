#include "call/IncomingCallBanner.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "uikit/UIBlurEffect.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageSymbolConfiguration.h"
#include "uikit/UITapGestureRecognizer.h"

namespace {

std::shared_ptr<UIView> addRoundButton(const std::shared_ptr<UIView>& parent,
                                       std::shared_ptr<UIColor> colour) {
  auto button = UIView::alloc()->init();
  button->layer()->setCornerRadius(22.5);
  button->setBackgroundColor(std::move(colour));
  parent->addSubview(button);
  Layout::size(button, 45, 45);
  Layout::y(button, parent->centerYAnchor());
  return button;
}

// A white bold symbol, centred in its round button. It takes touches itself, so the button's
// recogniser sees a tap on the icon as one on the button.
std::shared_ptr<UIImageView> addSymbol(const std::shared_ptr<UIView>& button, const char* name) {
  auto icon = UIImageView::alloc();
  icon->init();
  icon->setTintColor(UIColor::whiteColor());
  icon->setContentMode(UIViewContentModeScaleAspectFit);
  icon->setImage(UIImage::systemImageNamed(
      name, UIImageSymbolConfiguration::configurationWithPointSize(20, UIImageSymbolWeightBold)));
  icon->setUserInteractionEnabled(true);
  button->addSubview(icon);
  Layout::size(icon, 20, 20);
  Layout::xy(icon, button->centerXAnchor(), button->centerYAnchor());
  return icon;
}

std::shared_ptr<UILabel> addNameLabel(const std::shared_ptr<UIView>& parent,
                                      const std::shared_ptr<NSString>& text) {
  auto label = UILabel::alloc()->init();
  label->setTextColor(UIColor::whiteColor());
  label->setFont(UIFont::systemFontOfSize(16, UIFontWeightSemibold));
  label->setTextAlignment(NSTextAlignmentLeft);
  label->setText(text);
  parent->addSubview(label);
  return label;
}

}  // namespace

std::shared_ptr<IncomingCallBanner> IncomingCallBanner::initWithFrame(
    CGRect frame, const std::shared_ptr<NSString>& callerUsername,
    const std::shared_ptr<NSString>& recipientUsername) {
  UIView::initWithFrame(frame);
  auto self = selfAs<IncomingCallBanner>();
  setBackgroundColor(UIColor::clearColor());
  setClipsToBounds(true);
  layer()->setCornerRadius(15);
  layer()->setCornerCurve(kCACornerCurveContinuous);

  blurEffectView_ = UIVisualEffectView::alloc()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemChromeMaterialDark));
  addSubview(blurEffectView_);
  Layout::fill(blurEffectView_);

  acceptView_ = addRoundButton(self, UIColor::systemBlueColor());
  Layout::trailing(acceptView_, trailingAnchor(), -15);
  cancelView_ = addRoundButton(self, UIColor::systemRedColor());
  Layout::trailing(cancelView_, acceptView_->leadingAnchor(), -15);
  acceptIcon_ = addSymbol(acceptView_, "checkmark");
  cancelIcon_ = addSymbol(cancelView_, "xmark");

  recipientUsername_ = addNameLabel(self, recipientUsername);
  Layout::y(recipientUsername_, centerYAnchor());
  Layout::leading(recipientUsername_, leadingAnchor(), 15);
  Layout::trailing(recipientUsername_, cancelView_->leadingAnchor(), -10);

  callerUsername_ = addNameLabel(self, callerUsername);
  Layout::leading(callerUsername_, leadingAnchor(), 15);
  Layout::trailing(callerUsername_, cancelView_->leadingAnchor(), -10);
  Layout::bottom(callerUsername_, recipientUsername_->topAnchor(), -5);

  iconImage_ = UIImageView::alloc();
  iconImage_->init();
  iconImage_->layer()->setCornerRadius(4);
  iconImage_->layer()->setCornerCurve(kCACornerCurveContinuous);
  iconImage_->setContentMode(UIViewContentModeScaleAspectFill);
  iconImage_->setClipsToBounds(true);
  iconImage_->setImage(UIImage::imageWithContentsOfFile(
      "/var/LIY/Application Support/Parlo.bundle/Assets/parlo.png"));
  addSubview(iconImage_);
  Layout::size(iconImage_, 15, 15);
  Layout::leading(iconImage_, leadingAnchor(), 15);
  Layout::top(iconImage_, recipientUsername_->bottomAnchor(), 5);

  subtitle_ = UILabel::alloc()->init();
  subtitle_->setTextColor(UIColor::colorWithRed(0.6, 0.6, 0.62, 0.7));
  subtitle_->setFont(UIFont::systemFontOfSize(15, UIFontWeightRegular));
  subtitle_->setTextAlignment(NSTextAlignmentLeft);
  subtitle_->setText("Instagram Audio...");
  addSubview(subtitle_);
  Layout::y(subtitle_, iconImage_->centerYAnchor());
  Layout::leading(subtitle_, iconImage_->trailingAnchor(), 5);
  Layout::trailing(subtitle_, cancelView_->leadingAnchor(), -10);

  cancelView_->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(self, "didTappedCancel"));
  acceptView_->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(self, "didTappedAccept"));
  return self;
}

void IncomingCallBanner::didTappedCancel() {
  if (auto delegate = delegate_.lock()) delegate->didCancelIncomingCallBanner();
}

void IncomingCallBanner::didTappedAccept() {
  if (auto delegate = delegate_.lock()) delegate->didAcceptIncomingCallBanner();
}

OBJC_CLASS_IMPL(IncomingCallBanner) {
  c.method("didTappedCancel", &IncomingCallBanner::didTappedCancel)
      .method("didTappedAccept", &IncomingCallBanner::didTappedAccept);
}
