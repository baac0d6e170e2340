#include "uikit/UITableViewCell.h"

#include <algorithm>
#include <cmath>

#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIScreen.h"

OBJC_CLASS_IMPL(UITableViewCell) {
  c.method("textLabel", &UITableViewCell::textLabel)
      .method("contentView", &UITableViewCell::contentView)
      .method("prepareForReuse", &UITableViewCell::prepareForReuse)
      .method("isSelected", &UITableViewCell::isSelected)
      .method("isHighlighted", &UITableViewCell::isHighlighted);
}

namespace {

// The platform's standard margins: content and accessory sit this far in from the cell's edges.
constexpr CGFloat kMargin = 16;

void setFrameIfChanged(UIView& view, CGRect frame) {
  if (!(view.frame() == frame)) view.setFrame(frame);
}

// A built-in view goes where the style puts it only while nobody else has placed it: a subclass
// that sets its own frame after this pass keeps it, and layout does not swing it back and forth.
void placeBuiltIn(UIView& view, CGRect frame, CGRect& lastPlaced) {
  if (!CGRectIsNull(lastPlaced) && !(view.frame() == lastPlaced)) return;
  setFrameIfChanged(view, frame);
  lastPlaced = frame;
}

}  // namespace

UITableViewCell::UITableViewCell() = default;

UITableViewCell::~UITableViewCell() = default;

std::shared_ptr<UITableViewCell> UITableViewCell::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  contentView_ =
      UIView::alloc()->initWithFrame(CGRectMake(0, 0, frame.size.width, frame.size.height));
  addSubview(contentView_);
  return selfAs<UITableViewCell>();
}

std::shared_ptr<UITableViewCell> UITableViewCell::initWithStyle(
    UITableViewCellStyle style, const std::string& reuseIdentifier) {
  // The platform's standard cell size until a table places it.
  initWithFrame(CGRectMake(0, 0, 320, 44));
  style_ = style;
  reuseIdentifier_ = reuseIdentifier;
  return selfAs<UITableViewCell>();
}

std::shared_ptr<UITableViewCellAppearance> UITableViewCell::appearance() {
  static const auto proxy = std::make_shared<UITableViewCellAppearance>();
  return proxy;
}

// ---- Built-in views ----

std::shared_ptr<UILabel> UITableViewCell::textLabel() {
  if (!textLabel_) {
    textLabel_ = UILabel::alloc()->init();
    contentView_->addSubview(textLabel_);
    setNeedsLayout();
  }
  return textLabel_;
}

std::shared_ptr<UILabel> UITableViewCell::detailTextLabel() {
  if (style_ == UITableViewCellStyleDefault) return nullptr;
  if (!detailTextLabel_) {
    detailTextLabel_ = UILabel::alloc()->init();
    if (style_ == UITableViewCellStyleSubtitle) {
      detailTextLabel_->setFont(UIFont::systemFontOfSize(12));
    } else {
      detailTextLabel_->setTextColor(UIColor::secondaryLabelColor());
    }
    contentView_->addSubview(detailTextLabel_);
    setNeedsLayout();
  }
  return detailTextLabel_;
}

std::shared_ptr<UIImageView> UITableViewCell::imageView() {
  if (!imageView_) {
    imageView_ = UIImageView::alloc();
    imageView_->init();
    contentView_->insertSubview(imageView_, 0);
    setNeedsLayout();
  }
  return imageView_;
}

// ---- Accessory ----

void UITableViewCell::setAccessoryType(UITableViewCellAccessoryType type) {
  if (accessoryType_ == type) return;
  accessoryType_ = type;
  updateAccessory();
}

void UITableViewCell::setAccessoryView(std::shared_ptr<UIView> view) {
  if (accessoryView_ == view) return;
  if (accessoryView_ && accessoryView_->superview().get() == this) {
    accessoryView_->removeFromSuperview();
  }
  accessoryView_ = std::move(view);
  updateAccessory();
}

void UITableViewCell::updateAccessory() {
  if (accessorySymbol_) {
    accessorySymbol_->removeFromSuperview();
    accessorySymbol_.reset();
  }
  if (accessoryView_) {
    addSubview(accessoryView_);
  } else if (accessoryType_ != UITableViewCellAccessoryNone) {
    // The symbol of the type; a type with a button shows the disclosure's place for it.
    bool check = accessoryType_ == UITableViewCellAccessoryCheckmark;
    auto image = UIImage::systemImageNamed(check ? "checkmark" : "chevron.right");
    accessorySymbol_ = UIImageView::alloc()->initWithImage(image);
    if (!image) accessorySymbol_->setFrame(CGRectMake(0, 0, check ? 17 : 9, 17));
    if (!check) accessorySymbol_->setTintColor(UIColor::tertiaryLabelColor());
    addSubview(accessorySymbol_);
  }
  setNeedsLayout();
}

std::shared_ptr<UIView> UITableViewCell::accessoryShown() const {
  if (accessoryView_) return accessoryView_;
  return accessorySymbol_;
}

// ---- Backgrounds and selection ----

void UITableViewCell::setSelectionStyle(UITableViewCellSelectionStyle style) {
  selectionStyle_ = style;
  updateSelectionBackground();
}

void UITableViewCell::setBackgroundView(std::shared_ptr<UIView> view) {
  if (backgroundView_ && backgroundView_->superview().get() == this) {
    backgroundView_->removeFromSuperview();
  }
  backgroundView_ = std::move(view);
  if (backgroundView_) {
    insertSubview(backgroundView_, 0);
    backgroundView_->setFrame(bounds());
  }
}

void UITableViewCell::setSelectedBackgroundView(std::shared_ptr<UIView> view) {
  selectedBackgroundViewSet_ = true;
  if (selectedBackgroundView_ && selectedBackgroundView_->superview().get() == this) {
    selectedBackgroundView_->removeFromSuperview();
  }
  selectedBackgroundView_ = std::move(view);
  updateSelectionBackground();
}

void UITableViewCell::setSelected(bool selected, bool) {
  selected_ = selected;
  updateSelectionBackground();
}

void UITableViewCell::setHighlighted(bool highlighted, bool) {
  highlighted_ = highlighted;
  updateSelectionBackground();
}

void UITableViewCell::updateSelectionBackground() {
  bool show = (selected_ || highlighted_) && selectionStyle_ != UITableViewCellSelectionStyleNone;
  if (show) {
    if (!selectedBackgroundView_) {
      selectedBackgroundView_ = UIView::alloc()->init();
      selectedBackgroundView_->setBackgroundColor(UIColor::systemGray4Color());
    }
    // Behind the content, above the plain background.
    long index = backgroundView_ && backgroundView_->superview().get() == this ? 1 : 0;
    insertSubview(selectedBackgroundView_, index);
    selectedBackgroundView_->setFrame(bounds());
  } else if (selectedBackgroundView_ && selectedBackgroundView_->superview().get() == this) {
    // A view the appearance proxy shares may be showing in another cell by now; only take it
    // out of this one.
    selectedBackgroundView_->removeFromSuperview();
  }
}

void UITableViewCell::setEditing(bool editing, bool) {
  editing_ = editing;
  setNeedsLayout();
}

void UITableViewCell::prepareForReuse() {
  if (selected_ || highlighted_) {
    selected_ = false;
    highlighted_ = false;
    updateSelectionBackground();
  }
}

void UITableViewCell::didMoveToWindow() {
  UIView::didMoveToWindow();
  if (appearanceApplied_ || !window()) return;
  appearanceApplied_ = true;
  auto proxy = appearance();
  if (proxy->hasSelectedBackgroundView() && !selectedBackgroundViewSet_) {
    selectedBackgroundView_ = proxy->selectedBackgroundView();
    updateSelectionBackground();
  }
}

void UITableViewCell::didAddSubview(const std::shared_ptr<UIView>& subview) {
  UIView::didAddSubview(subview);
  if (!contentView_ || subview == contentView_ || subview == separatorView_) return;
  // Moving a subview within the cell does not come back here.
  bringSubviewToFront(contentView_);
  if (separatorView_) bringSubviewToFront(separatorView_);
}

// ---- Separator and section corners ----

void UITableViewCell::setSeparatorInset(UIEdgeInsets insets) {
  separatorInset_ = insets;
  setNeedsLayout();
}

void UITableViewCell::setSeparator(bool visible, const std::shared_ptr<UIColor>& color) {
  if (!visible) {
    if (separatorView_) separatorView_->setHidden(true);
    return;
  }
  if (!separatorView_) {
    separatorView_ = UIView::alloc()->init();
    separatorView_->setUserInteractionEnabled(false);
    addSubview(separatorView_);
  }
  separatorView_->setHidden(false);
  separatorView_->setBackgroundColor(color ? color : UIColor::separatorColor());
  setNeedsLayout();
}

void UITableViewCell::setSectionCard(bool top, bool bottom, CGFloat radius) {
  if (!sectionCard_) {
    sectionCard_ = UIView::alloc()->init();
    sectionCard_->setUserInteractionEnabled(false);
    sectionCard_->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
    insertSubview(sectionCard_, 0);
  }
  cardTop_ = top;
  cardBottom_ = bottom;
  cardRadius_ = radius;
  // The layer rounds all four corners, so the card reaches past the cell's edges where the
  // section goes on and the cell clips that part away.
  sectionCard_->layer()->setCornerRadius(top || bottom ? radius : 0);
  setClipsToBounds(top || bottom);
  setNeedsLayout();
}

void UITableViewCell::setBackgroundColor(std::shared_ptr<UIColor> color) {
  backgroundColorSet_ = true;
  UIView::setBackgroundColor(std::move(color));
  if (sectionCard_) sectionCard_->setHidden(true);
}

// ---- Layout ----

void UITableViewCell::layoutSubviews() {
  UIView::layoutSubviews();
  CGRect b = bounds();
  CGFloat width = b.size.width, height = b.size.height;

  CGFloat contentWidth = width;
  if (auto accessory = accessoryShown()) {
    CGSize size = accessory->frame().size;
    if (accessory == accessorySymbol_ && accessorySymbol_->image()) {
      size = accessorySymbol_->sizeThatFits(CGSizeZero);
    }
    CGRect frame = CGRectMake(width - kMargin - size.width, std::round((height - size.height) / 2),
                              size.width, size.height);
    setFrameIfChanged(*accessory, frame);
    contentWidth = std::max(0.0, CGRectGetMinX(frame) - 8);
  }
  setFrameIfChanged(*contentView_, CGRectMake(0, 0, contentWidth, height));
  if (sectionCard_) {
    sectionCard_->setHidden(backgroundColorSet_);
    CGFloat above = cardTop_ ? 0 : cardRadius_, below = cardBottom_ ? 0 : cardRadius_;
    setFrameIfChanged(*sectionCard_, CGRectMake(0, -above, width, height + above + below));
  }
  if (backgroundView_) setFrameIfChanged(*backgroundView_, b);
  if (selectedBackgroundView_ && selectedBackgroundView_->superview().get() == this) {
    setFrameIfChanged(*selectedBackgroundView_, b);
  }
  if (separatorView_ && !separatorView_->isHidden()) {
    CGFloat hairline = 1 / UIScreen::mainScreen()->scale();
    CGFloat left = separatorInset_.left, right = separatorInset_.right;
    setFrameIfChanged(*separatorView_, CGRectMake(left, height - hairline,
                                                  std::max(0.0, width - left - right), hairline));
    if (subviews().back() != separatorView_) bringSubviewToFront(separatorView_);
  }

  // The built-in views, in the places of the cell's style.
  CGFloat textX = kMargin;
  if (imageView_ && imageView_->image()) {
    CGSize size = imageView_->sizeThatFits(CGSizeZero);
    size.height = std::min(size.height, height);
    placeBuiltIn(
        *imageView_,
        CGRectMake(kMargin, std::round((height - size.height) / 2), size.width, size.height),
        placedImage_);
    textX = kMargin + size.width + kMargin;
  }
  CGFloat textWidth = std::max(0.0, contentWidth - textX - kMargin);
  if (style_ == UITableViewCellStyleSubtitle && detailTextLabel_) {
    CGFloat textHeight = textLabel_ ? textLabel_->intrinsicContentSize().height : 0;
    CGFloat detailHeight = detailTextLabel_->intrinsicContentSize().height;
    CGFloat top = std::round((height - textHeight - detailHeight) / 2);
    if (textLabel_) {
      placeBuiltIn(*textLabel_, CGRectMake(textX, top, textWidth, textHeight), placedText_);
    }
    placeBuiltIn(*detailTextLabel_, CGRectMake(textX, top + textHeight, textWidth, detailHeight),
                 placedDetail_);
  } else if ((style_ == UITableViewCellStyleValue1 || style_ == UITableViewCellStyleValue2) &&
             detailTextLabel_) {
    CGFloat detailWidth = std::min(textWidth, detailTextLabel_->intrinsicContentSize().width);
    setFrameIfChanged(*detailTextLabel_,
                      CGRectMake(contentWidth - kMargin - detailWidth, 0, detailWidth, height));
    if (textLabel_) {
      setFrameIfChanged(*textLabel_,
                        CGRectMake(textX, 0, std::max(0.0, textWidth - detailWidth - 8), height));
    }
  } else if (textLabel_) {
    setFrameIfChanged(*textLabel_, CGRectMake(textX, 0, textWidth, height));
  }
}
