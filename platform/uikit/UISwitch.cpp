#include "uikit/UISwitch.h"

OBJC_CLASS_IMPL(UISwitch) {
  c.method("setFrame:", &UISwitch::setFrameKeepingSize)
      .method("isOn", &UISwitch::isOn)
      .method("setOn:animated:", static_cast<void (UISwitch::*)(bool, bool)>(&UISwitch::setOn));
}

namespace {

constexpr CGFloat kThumbDiameter = 27;
constexpr CGFloat kThumbInset = 2;
constexpr double kToggleDuration = 0.25;

}  // namespace

std::shared_ptr<UISwitch> UISwitch::initWithFrame(CGRect frame) {
  UIControl::initWithFrame(CGRectMake(frame.origin.x, frame.origin.y, kSize.width, kSize.height));
  setContentHuggingPriority(UILayoutPriorityRequired, UILayoutConstraintAxisHorizontal);
  setContentHuggingPriority(UILayoutPriorityRequired, UILayoutConstraintAxisVertical);

  track_ = UIView::alloc()->initWithFrame(CGRectMake(0, 0, kSize.width, kSize.height));
  track_->layer()->setCornerRadius(kSize.height / 2);
  track_->setUserInteractionEnabled(false);
  addSubview(track_);

  thumb_ = UIView::alloc()->initWithFrame(
      CGRectMake(kThumbInset, kThumbInset, kThumbDiameter, kThumbDiameter));
  thumb_->layer()->setCornerRadius(kThumbDiameter / 2);
  thumb_->layer()->setShadowOpacity(0.2f);
  thumb_->layer()->setShadowOffset(CGSizeMake(0, 3));
  thumb_->layer()->setShadowRadius(4);
  thumb_->setUserInteractionEnabled(false);
  addSubview(thumb_);

  updateAppearance();
  return selfAs<UISwitch>();
}

void UISwitch::setFrameKeepingSize(CGRect frame) {
  setFrameImp(CGRectMake(frame.origin.x, frame.origin.y, kSize.width, kSize.height));
}

void UISwitch::setOn(bool on, bool animated) {
  if (on_ == on) return;
  on_ = on;
  if (animated) {
    auto keep = selfAs<UISwitch>();
    UIView::animateWithDuration(kToggleDuration, [keep] {
      keep->updateAppearance();
      keep->placeParts();
    });
  } else {
    updateAppearance();
    placeParts();
  }
}

void UISwitch::setOnTintColor(std::shared_ptr<UIColor> color) {
  onTintColor_ = std::move(color);
  updateAppearance();
}

void UISwitch::setThumbTintColor(std::shared_ptr<UIColor> color) {
  thumbTintColor_ = std::move(color);
  updateAppearance();
}

void UISwitch::updateAppearance() {
  if (!track_) return;
  track_->setBackgroundColor(on_ ? (onTintColor_ ? onTintColor_ : UIColor::systemGreenColor())
                                 : UIColor::secondarySystemFillColor());
  thumb_->setBackgroundColor(thumbTintColor_ ? thumbTintColor_ : UIColor::whiteColor());
}

void UISwitch::layoutSubviews() {
  UIControl::layoutSubviews();
  placeParts();
}

void UISwitch::placeParts() {
  if (!track_) return;
  track_->setFrame(CGRectMake(0, 0, kSize.width, kSize.height));
  CGFloat x = on_ ? kSize.width - kThumbInset - kThumbDiameter : kThumbInset;
  thumb_->setFrame(CGRectMake(x, kThumbInset, kThumbDiameter, kThumbDiameter));
}

void UISwitch::touchUpInside(const std::shared_ptr<UIEvent>& event) {
  auto keep = selfAs<UISwitch>();
  setOn(!on_, true);
  sendActionsForControlEvents(UIControlEventValueChanged, event);
  UIControl::touchUpInside(event);
}
