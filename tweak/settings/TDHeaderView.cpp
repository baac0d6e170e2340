#include "settings/TDHeaderView.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"

std::shared_ptr<TDHeaderView> TDHeaderView::initWithTitle(const std::string& title,
                                                          const std::shared_ptr<UIColor>& accent,
                                                          const std::string& leftIcon,
                                                          SEL leftAction) {
  buildWithTitle(title, accent, leftIcon, leftAction, nullptr, SEL());
  return selfAs<TDHeaderView>();
}

std::shared_ptr<TDHeaderView> TDHeaderView::initWithTitle(
    const std::string& title, const std::shared_ptr<UIColor>& accent, const std::string& leftIcon,
    SEL leftAction, const std::string& rightIcon, SEL rightAction) {
  buildWithTitle(title, accent, leftIcon, leftAction, &rightIcon, rightAction);
  return selfAs<TDHeaderView>();
}

void TDHeaderView::buildWithTitle(const std::string& title, const std::shared_ptr<UIColor>& accent,
                                  const std::string& leftIcon, SEL leftAction,
                                  const std::string* rightIcon, SEL rightAction) {
  UIView::init();
  setClipsToBounds(true);

  headerView_ = UIView::alloc()->init();
  addSubview(headerView_);
  Layout::fill(headerView_);

  grabberView_ = UIView::alloc()->init();
  grabberView_->setBackgroundColor(UIColor::tertiarySystemFillColor());
  grabberView_->layer()->setCornerRadius(3);
  headerView_->addSubview(grabberView_);
  Layout::size(grabberView_, 40, 6);
  Layout::x(grabberView_, headerView_->centerXAnchor());
  Layout::top(grabberView_, headerView_->topAnchor(), 10);

  leftButton_ = makeButton(accent, leftIcon, leftAction);
  Layout::leading(leftButton_, headerView_->leadingAnchor(), 20);

  if (rightIcon) {
    rightButton_ = makeButton(accent, *rightIcon, rightAction);
    Layout::trailing(rightButton_, headerView_->trailingAnchor(), -20);
  }

  titleLabel_ = UILabel::alloc()->init();
  titleLabel_->setText(title);
  titleLabel_->setTextColor(UIColor::labelColor());
  titleLabel_->setTextAlignment(NSTextAlignmentCenter);
  titleLabel_->setFont(UIFont::systemFontOfSize(20, UIFontWeightSemibold));
  headerView_->addSubview(titleLabel_);
  Layout::y(titleLabel_, headerView_->centerYAnchor(), 5);
  Layout::x(titleLabel_, headerView_->centerXAnchor());
}

std::shared_ptr<UIButton> TDHeaderView::makeButton(const std::shared_ptr<UIColor>& accent,
                                                   const std::string& icon, SEL action) {
  auto button = UIButton::alloc()->init();
  button->setBackgroundColor(UIColor::secondarySystemBackgroundColor());
  button->layer()->setCornerRadius(12);
  button->layer()->setCornerCurve(kCACornerCurveContinuous);
  button->setImage(UIImage::systemImageNamed(icon), UIControlStateNormal);
  button->setTintColor(accent);
  // The header is in no hierarchy yet, so this target is nil and the action goes up the chain.
  button->addTarget(superview(), action, UIControlEventTouchUpInside);
  headerView_->addSubview(button);
  Layout::size(button, 40, 40);
  Layout::y(button, headerView_->centerYAnchor(), 5);
  return button;
}

OBJC_CLASS_IMPL(TDHeaderView) {
  c.property("grabberView", &TDHeaderView::grabberView, &TDHeaderView::setGrabberView)
      .property("headerView", &TDHeaderView::headerView, &TDHeaderView::setHeaderView)
      .property("titleLabel", &TDHeaderView::titleLabel, &TDHeaderView::setTitleLabel)
      .property("leftButton", &TDHeaderView::leftButton, &TDHeaderView::setLeftButton)
      .property("rightButton", &TDHeaderView::rightButton, &TDHeaderView::setRightButton);
}
