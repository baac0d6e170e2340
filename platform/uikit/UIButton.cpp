#include "uikit/UIButton.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

OBJC_CLASS_IMPL(UIButton) {
  c.method("titleLabel", &UIButton::titleLabel)
      .method("imageView", &UIButton::imageView)
      .method("currentImage", &UIButton::currentImage);
}

namespace {

// A system button's title and image fade to this while the button is touched.
constexpr CGFloat kHighlightedAlpha = 0.2;

}  // namespace

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type) {
  auto button = alloc();
  button->buttonType_ = type;
  return button->initWithFrame(CGRectZero);
}

std::shared_ptr<UIButton> UIButton::initWithFrame(CGRect frame) {
  UIControl::initWithFrame(frame);
  return selfAs<UIButton>();
}

// ---- Content by state ----

template <class T>
T UIButton::valueForState(const std::map<unsigned long, T>& values, UIControlState state) {
  auto found = values.find(state);
  if (found == values.end()) found = values.find(UIControlStateNormal);
  return found == values.end() ? T{} : found->second;
}

void UIButton::setTitle(std::optional<std::string> title, UIControlState state) {
  if (title) {
    titles_[state] = std::move(*title);
  } else {
    titles_.erase(state);
  }
  updateContent();
}

std::optional<std::string> UIButton::titleForState(UIControlState state) const {
  auto found = titles_.find(state);
  if (found == titles_.end()) found = titles_.find(UIControlStateNormal);
  if (found == titles_.end()) return std::nullopt;
  return found->second;
}

void UIButton::setTitleColor(std::shared_ptr<UIColor> color, UIControlState state) {
  if (color) {
    titleColors_[state] = std::move(color);
  } else {
    titleColors_.erase(state);
  }
  updateContent();
}

std::shared_ptr<UIColor> UIButton::titleColorForState(UIControlState state) const {
  if (auto color = valueForState(titleColors_, state)) return color;
  if (buttonType_ == UIButtonTypeCustom) return UIColor::whiteColor();
  if (state & UIControlStateDisabled) return UIColor::systemGrayColor();
  return tintColor();
}

void UIButton::setImage(std::shared_ptr<UIImage> image, UIControlState state) {
  if (image) {
    images_[state] = std::move(image);
  } else {
    images_.erase(state);
  }
  updateContent();
}

std::shared_ptr<UIImage> UIButton::imageForState(UIControlState state) const {
  return valueForState(images_, state);
}

void UIButton::setBackgroundImage(std::shared_ptr<UIImage> image, UIControlState state) {
  if (image) {
    backgroundImages_[state] = std::move(image);
  } else {
    backgroundImages_.erase(state);
  }
  updateContent();
}

std::shared_ptr<UIImage> UIButton::backgroundImageForState(UIControlState state) const {
  return valueForState(backgroundImages_, state);
}

std::shared_ptr<UILabel> UIButton::titleLabel() {
  if (!titleLabel_) {
    titleLabel_ = UIButtonLabel::alloc();
    titleLabel_->initWithFrame(CGRectZero);
    titleLabel_->setFont(UIFont::systemFontOfSize(buttonType_ == UIButtonTypeCustom ? 18 : 15));
    titleLabel_->setLineBreakMode(NSLineBreakByTruncatingMiddle);
    titleLabel_->setUserInteractionEnabled(false);
  }
  return titleLabel_;
}

std::shared_ptr<UIImageView> UIButton::imageView() {
  if (!imageView_) {
    imageView_ = UIImageView::alloc();
    imageView_->initWithFrame(CGRectZero);
    imageView_->setContentMode(UIViewContentModeCenter);
  }
  return imageView_;
}

void UIButton::updateContent() {
  auto keep = selfAs<UIButton>();
  auto title = currentTitle();
  if (title || titleLabel_) {
    auto label = titleLabel();
    if (title) {
      label->setText(*title);
    } else {
      label->setText(nullptr);
    }
    label->setTextColor(currentTitleColor());
    if (title && label->superview() != keep) addSubview(label);
    if (!title && label->superview() == keep) label->removeFromSuperview();
  }

  auto image = currentImage();
  if (image || imageView_) {
    auto view = imageView();
    view->setImage(image);
    if (image && view->superview() != keep) {
      titleLabel_ && titleLabel_->superview() == keep ? insertSubviewBelowSubview(view, titleLabel_)
                                                      : addSubview(view);
    }
    if (!image && view->superview() == keep) view->removeFromSuperview();
  }

  auto background = currentBackgroundImage();
  if (background && !backgroundImageView_) {
    backgroundImageView_ = UIImageView::alloc();
    backgroundImageView_->initWithFrame(bounds());
  }
  if (backgroundImageView_) {
    backgroundImageView_->setImage(background);
    if (background && backgroundImageView_->superview() != keep)
      insertSubview(backgroundImageView_, 0);
    if (!background && backgroundImageView_->superview() == keep) {
      backgroundImageView_->removeFromSuperview();
    }
  }

  bool dimmed = buttonType_ != UIButtonTypeCustom && isHighlighted();
  if (titleLabel_) titleLabel_->setAlpha(dimmed ? kHighlightedAlpha : 1);
  if (imageView_) imageView_->setAlpha(dimmed ? kHighlightedAlpha : 1);

  invalidateIntrinsicContentSize();
  setNeedsLayout();
}

void UIButton::setEnabled(bool enabled) {
  UIControl::setEnabled(enabled);
  updateContent();
}

void UIButton::setSelected(bool selected) {
  UIControl::setSelected(selected);
  updateContent();
}

void UIButton::setHighlighted(bool highlighted) {
  if (highlighted == isHighlighted()) return;
  UIControl::setHighlighted(highlighted);
  updateContent();
}

void UIButton::tintColorDidChange() {
  UIControl::tintColorDidChange();
  updateContent();
}

void UIButton::didMoveToSuperview() {
  UIControl::didMoveToSuperview();
  if (buttonType_ != UIButtonTypeCustom) updateContent();
}

void UIButton::touchUpInside(const std::shared_ptr<UIEvent>& event) {
  UIControl::touchUpInside(event);
  sendActionsForControlEvents(UIControlEventPrimaryActionTriggered, event);
}

// ---- Geometry ----

void UIButton::setContentEdgeInsets(UIEdgeInsets insets) {
  contentEdgeInsets_ = insets;
  invalidateIntrinsicContentSize();
  setNeedsLayout();
}

void UIButton::setTitleEdgeInsets(UIEdgeInsets insets) {
  titleEdgeInsets_ = insets;
  setNeedsLayout();
}

void UIButton::setImageEdgeInsets(UIEdgeInsets insets) {
  imageEdgeInsets_ = insets;
  setNeedsLayout();
}

CGSize UIButton::imageSize() const {
  auto image = currentImage();
  return image ? image->size() : CGSizeZero;
}

CGSize UIButton::titleSize(CGFloat maxWidth) const {
  if (!titleLabel_ || !currentTitle()) return CGSizeZero;
  CGSize size = titleLabel_->sizeThatFits(CGSizeMake(0, 0));
  return CGSizeMake(std::min(std::ceil(size.width), std::max<CGFloat>(0, maxWidth)),
                    std::ceil(size.height));
}

CGRect UIButton::contentRectForBounds(CGRect bounds) const {
  return UIEdgeInsetsInsetRect(bounds, contentEdgeInsets_);
}

// The image and the title are one row: each is placed within the content rectangle less its
// own insets, as if the other stood beside it.
namespace {

// Where content of a given height sits in the area, by the control's vertical alignment:
// its top and its height (fill stretches it to the area).
std::pair<CGFloat, CGFloat> verticalPlacement(UIControlContentVerticalAlignment alignment,
                                              CGRect area, CGFloat height) {
  switch (alignment) {
    case UIControlContentVerticalAlignmentTop:
      return {CGRectGetMinY(area), height};
    case UIControlContentVerticalAlignmentBottom:
      return {CGRectGetMaxY(area) - height, height};
    case UIControlContentVerticalAlignmentFill:
      return {CGRectGetMinY(area), area.size.height};
    case UIControlContentVerticalAlignmentCenter:
      break;
  }
  return {CGRectGetMidY(area) - height / 2, height};
}

}  // namespace

CGRect UIButton::imageRectForContentRect(CGRect contentRect) const {
  CGRect area = UIEdgeInsetsInsetRect(contentRect, imageEdgeInsets_);
  CGSize image = imageSize();
  CGFloat titleWidth = titleSize(std::numeric_limits<CGFloat>::max()).width;
  CGFloat total = image.width + titleWidth;
  CGFloat x = 0;
  switch (contentHorizontalAlignment()) {
    case UIControlContentHorizontalAlignmentLeft:
    case UIControlContentHorizontalAlignmentLeading:
    case UIControlContentHorizontalAlignmentFill:
      x = CGRectGetMinX(area);
      break;
    case UIControlContentHorizontalAlignmentRight:
    case UIControlContentHorizontalAlignmentTrailing:
      x = CGRectGetMaxX(area) - total;
      break;
    case UIControlContentHorizontalAlignmentCenter:
      x = CGRectGetMidX(area) - total / 2;
      break;
  }
  auto [y, height] = verticalPlacement(contentVerticalAlignment(), area, image.height);
  return CGRectMake(x, y, image.width, height);
}

CGRect UIButton::titleRectForContentRect(CGRect contentRect) const {
  CGRect area = UIEdgeInsetsInsetRect(contentRect, titleEdgeInsets_);
  CGFloat imageWidth = imageSize().width;
  CGSize title = titleSize(area.size.width - imageWidth);
  CGFloat total = imageWidth + title.width;
  CGFloat x = 0;
  CGFloat width = title.width;
  switch (contentHorizontalAlignment()) {
    case UIControlContentHorizontalAlignmentLeft:
    case UIControlContentHorizontalAlignmentLeading:
      x = CGRectGetMinX(area) + imageWidth;
      break;
    case UIControlContentHorizontalAlignmentFill:
      x = CGRectGetMinX(area) + imageWidth;
      width = std::max<CGFloat>(0, area.size.width - imageWidth);
      break;
    case UIControlContentHorizontalAlignmentRight:
    case UIControlContentHorizontalAlignmentTrailing:
      x = CGRectGetMaxX(area) - title.width;
      break;
    case UIControlContentHorizontalAlignmentCenter:
      x = CGRectGetMidX(area) - total / 2 + imageWidth;
      break;
  }
  CGFloat fitted = std::min(title.height, std::max<CGFloat>(0, area.size.height));
  auto [y, height] = verticalPlacement(contentVerticalAlignment(), area, fitted);
  return CGRectMake(x, y, width, height);
}

CGSize UIButton::intrinsicContentSize() const {
  CGSize image = imageSize();
  CGSize title = titleSize(std::numeric_limits<CGFloat>::max());
  if (image.width == 0 && title.width == 0) return CGSizeMake(30, 34);
  CGFloat width = image.width + title.width + contentEdgeInsets_.left + contentEdgeInsets_.right;
  CGFloat height =
      std::max(image.height, title.height) + contentEdgeInsets_.top + contentEdgeInsets_.bottom;
  // A system button's title gets the platform's touch-friendly height.
  if (buttonType_ != UIButtonTypeCustom && title.height > 0) height = std::max<CGFloat>(height, 30);
  return CGSizeMake(width, height);
}

CGSize UIButton::sizeThatFits(CGSize) const {
  return intrinsicContentSize();
}

void UIButton::layoutSubviews() {
  UIControl::layoutSubviews();
  auto keep = selfAs<UIButton>();
  CGRect content = contentRectForBounds(bounds());
  if (backgroundImageView_ && backgroundImageView_->superview() == keep) {
    backgroundImageView_->setFrame(bounds());
  }
  if (imageView_ && imageView_->superview() == keep) {
    imageView_->setFrame(imageRectForContentRect(content));
  }
  if (titleLabel_ && titleLabel_->superview() == keep) {
    titleLabel_->setFrame(titleRectForContentRect(content));
  }
}
