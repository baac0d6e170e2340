#include "PRLToggleView.h"

#include "BrisvaleKit/BVPrefsManager.h"
#include "BrisvaleKit/UIColor+BVTheme.h"
#include "BrisvaleKit/UIView+Layout.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UITapGestureRecognizer.h"

namespace {

// The add-on's one switch, which the host app reads when it starts.
bool storedSwitch() {
  return BVPrefsManager::sharedInstance()->boolForKey("toggleParlo", false,
                                                      "com.brisvale.ParloPrefs");
}

void storeSwitch(bool enabled) {
  BVPrefsManager::sharedInstance()->setBool(enabled, "toggleParlo", "com.brisvale.ParloPrefs");
}

// A layer colour is fixed when it is set, so it is resolved for the view that shows it.
::CGColor layerColor(const std::shared_ptr<UIColor>& color, const UIView& view) {
  return color->resolvedColorWithTraitCollection(view.traitCollection())->CGColor();
}

}  // namespace

OBJC_CLASS_IMPL(PRLToggleView) {
  c.method("disableAction", &PRLToggleView::disableAction)
      .method("enableAction", &PRLToggleView::enableAction)
      .method("updatingValue", &PRLToggleView::updatingValue)
      .method("invokeHapticFeedback", &PRLToggleView::invokeHapticFeedback);
}

std::shared_ptr<PRLToggleView> PRLToggleView::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  isEnabled_ = storedSwitch();

  enabledView_ = addCircle(enabledIcon_);
  // Added second, so the "off" circle lies on top.
  disabledView_ = addCircle(disabledIcon_);
  applyColors();

  statusLabel_ = UILabel::alloc()->init();
  statusLabel_->setTextAlignment(NSTextAlignmentCenter);
  statusLabel_->setTextColor(UIColor::tertiaryLabelColor());
  statusLabel_->setFont(UIFont::systemFontOfSize(14, UIFontWeightBold));
  addSubview(statusLabel_);
  Layout::x(statusLabel_, centerXAnchor());
  Layout::bottom(statusLabel_, bottomAnchor(), 0);

  enabledView_->setAlpha(isEnabled_ ? 1 : 0);
  disabledView_->setAlpha(isEnabled_ ? 0 : 1);
  statusLabel_->setText(isEnabled_ ? "Enabled" : "Disabled");

  // A circle at alpha 0 takes no touches, so a tap always reaches the one that shows.
  disabledView_->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(self(), SEL("disableAction")));
  enabledView_->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(self(), SEL("enableAction")));
  return selfAs<PRLToggleView>();
}

std::shared_ptr<UIView> PRLToggleView::addCircle(std::shared_ptr<UIImageView>& icon) {
  auto circle = UIView::alloc()->init();
  circle->layer()->setCornerRadius(45);
  circle->layer()->setShadowOpacity(1.0);
  circle->layer()->setShadowOffset(CGSizeMake(0, 0));
  circle->layer()->setShadowRadius(8);
  circle->layer()->setMasksToBounds(false);
  circle->layer()->setBorderWidth(3);
  addSubview(circle);
  Layout::size(circle, 90, 90);
  Layout::top(circle, topAnchor(), 0);
  Layout::x(circle, centerXAnchor());

  icon = UIImageView::alloc()->initWithImage(UIImage::systemImageNamed("power"));
  icon->setContentMode(UIViewContentModeScaleAspectFit);
  icon->setTintColor(UIColor::whiteColor());
  circle->addSubview(icon);
  Layout::size(icon, 35, 35);
  Layout::xy(icon, circle->centerXAnchor(), circle->centerYAnchor());
  return circle;
}

void PRLToggleView::disableAction() {
  invokeHapticFeedback();
  storeSwitch(true);
  updatingValue();
}

void PRLToggleView::enableAction() {
  invokeHapticFeedback();
  storeSwitch(false);
  enabledView_->setTransform(CGAffineTransformMakeScale(0.9, 0.9));
  updatingValue();
}

void PRLToggleView::updatingValue() {
  isEnabled_ = storedSwitch();
  const bool enabled = isEnabled_;
  UIView::animateWithDuration(
      0.4, 0, UIViewAnimationOptionCurveEaseOut,
      [this, enabled] {
        enabledView_->setAlpha(enabled ? 1 : 0);
        disabledView_->setAlpha(enabled ? 0 : 1);
      },
      nullptr);
  statusLabel_->setText(enabled ? "Enabled" : "Disabled");
  UIView::animateWithDuration(
      0.6, 0, UIViewAnimationOptionCurveEaseOut,
      [this] {
        disabledView_->setTransform(CGAffineTransformMakeScale(1, 1));
        enabledView_->setTransform(CGAffineTransformMakeScale(1, 1));
      },
      nullptr);
}

void PRLToggleView::invokeHapticFeedback() {
  haptic_ = UIImpactFeedbackGenerator::alloc()->initWithStyle(UIImpactFeedbackStyleLight);
  haptic_->impactOccurred();
}

void PRLToggleView::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>&) {
  applyColors();
}

void PRLToggleView::applyColors() {
  enabledView_->setBackgroundColor(BVTheme::enabledColour());
  enabledView_->layer()->setShadowColor(layerColor(BVTheme::enabledShadowColour(), *enabledView_));
  enabledView_->layer()->setBorderColor(layerColor(BVTheme::enabledBorderColour(), *enabledView_));
  disabledView_->setBackgroundColor(BVTheme::disabledColour());
  disabledView_->layer()->setShadowColor(
      layerColor(BVTheme::disabledShadowColour(), *disabledView_));
  disabledView_->layer()->setBorderColor(
      layerColor(BVTheme::disabledBorderColour(), *disabledView_));
}

void PRLToggleView::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  UIView::touchesBegan(touches, event);
  animateTouchEvent(true);
}

void PRLToggleView::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  UIView::touchesEnded(touches, event);
  animateTouchEvent(false);
}

void PRLToggleView::touchesCancelled(const UITouchSet& touches,
                                     const std::shared_ptr<UIEvent>& event) {
  UIView::touchesCancelled(touches, event);
  animateTouchEvent(false);
}

void PRLToggleView::animateTouchEvent(bool) {}
