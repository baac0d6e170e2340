#include "uikit/UILabel.h"

#include <cmath>
#include <utility>
#include <vector>

#include "uikit/NSStringDrawing.h"
#include "uikit/TextLayout+Private.h"
#include "uikit/UIGraphics.h"
#include "uikit/UITextAttributes.h"

OBJC_CLASS_IMPL(UILabel) {
  c.property("text", &UILabel::text,
             static_cast<void (UILabel::*)(const std::shared_ptr<NSString>&)>(&UILabel::setText))
      .property("attributedText", &UILabel::attributedText, &UILabel::setAttributedText)
      .property("font", &UILabel::font, &UILabel::setFont)
      .property("textColor", &UILabel::textColor, &UILabel::setTextColor)
      .property("textAlignment", &UILabel::textAlignment, &UILabel::setTextAlignment)
      .property("numberOfLines", &UILabel::numberOfLines, &UILabel::setNumberOfLines)
      .property("lineBreakMode", &UILabel::lineBreakMode, &UILabel::setLineBreakMode);
}

namespace {

CGSize ceiled(CGSize size) {
  return {std::ceil(size.width), std::ceil(size.height)};
}

}  // namespace

UILabel::UILabel()
    : font_(UIFont::systemFontOfSize(UIFont::labelFontSize())), textColor_(UIColor::labelColor()) {
  setUserInteractionEnabled(false);
  setContentMode(UIViewContentModeRedraw);
}

std::shared_ptr<UILabel> UILabel::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  return selfAs<UILabel>();
}

// ---- Content ----

void UILabel::setText(const std::shared_ptr<NSString>& text) {
  text_ = text ? text->copy() : nullptr;
  attributedText_ = nullptr;
  contentChanged(true);
}

void UILabel::setText(std::string_view utf8) {
  setText(NSString::string(utf8));
}

std::shared_ptr<NSAttributedString> UILabel::attributedText() const {
  if (attributedText_) return attributedText_;
  if (!text_) return nullptr;
  return effectiveText();
}

void UILabel::setAttributedText(const std::shared_ptr<NSAttributedString>& text) {
  attributedText_ = text ? text->copy() : nullptr;
  text_ = text ? text->string() : nullptr;
  contentChanged(true);
}

void UILabel::changeAttributedText(const std::function<void(NSMutableAttributedString&)>& change) {
  if (!attributedText_ || attributedText_->length() == 0) return;
  auto changed = attributedText_->mutableCopy();
  change(*changed);
  attributedText_ = changed->copy();
}

void UILabel::setFont(const std::shared_ptr<UIFont>& font) {
  font_ = font ? font : UIFont::systemFontOfSize(UIFont::labelFontSize());
  changeAttributedText([&](NSMutableAttributedString& text) {
    text.addAttribute(NSFontAttributeName, font_, NSMakeRange(0, text.length()));
  });
  contentChanged(true);
}

void UILabel::setTextColor(const std::shared_ptr<UIColor>& color) {
  textColor_ = color ? color : UIColor::labelColor();
  changeAttributedText([&](NSMutableAttributedString& text) {
    text.addAttribute(NSForegroundColorAttributeName, textColor_, NSMakeRange(0, text.length()));
  });
  contentChanged(false);
}

void UILabel::setTextAlignment(NSTextAlignment alignment) {
  textAlignment_ = alignment;
  changeAttributedText([&](NSMutableAttributedString& text) {
    // Each paragraph style keeps its other settings.
    std::vector<std::pair<NSRange, std::shared_ptr<NSParagraphStyle>>> styles;
    text.enumerateAttribute(
        NSParagraphStyleAttributeName, NSMakeRange(0, text.length()), 0,
        [&](const id& value, NSRange range, bool*) {
          auto style = std::dynamic_pointer_cast<NSParagraphStyle>(value);
          auto changed = (style ? style : NSParagraphStyle::defaultParagraphStyle())->mutableCopy();
          changed->setAlignment(alignment);
          styles.emplace_back(range, changed->copy());
        });
    for (auto& [range, style] : styles) {
      text.addAttribute(NSParagraphStyleAttributeName, style, range);
    }
  });
  contentChanged(false);
}

void UILabel::setNumberOfLines(NSInteger lines) {
  numberOfLines_ = std::max<NSInteger>(lines, 0);
  contentChanged(true);
}

void UILabel::setLineBreakMode(NSLineBreakMode mode) {
  lineBreakMode_ = mode;
  contentChanged(true);
}

void UILabel::setPreferredMaxLayoutWidth(CGFloat width) {
  preferredMaxLayoutWidth_ = std::max<CGFloat>(width, 0);
  contentChanged(true);
}

void UILabel::contentChanged(bool sizeMayChange) {
  effectiveText_ = nullptr;
  drawingLayout_.reset();
  if (sizeMayChange) invalidateIntrinsicContentSize();
  setNeedsDisplay();
}

const std::shared_ptr<NSAttributedString>& UILabel::effectiveText() const {
  if (effectiveText_) return effectiveText_;
  if (attributedText_) {
    effectiveText_ = UITextFillingMissingAttributes(*attributedText_, font_, textColor_);
  } else {
    effectiveText_ = NSAttributedString::alloc()->initWithString(
        text_ ? text_ : NSString::string(),
        UITextAttributesMake(font_, textColor_, textAlignment_));
  }
  return effectiveText_;
}

// ---- Size ----

CGSize UILabel::measure(CGFloat width, CGFloat height, NSInteger lines) const {
  return ceiled(NSStringDrawing::sizeOfLabelText(*effectiveText(), CGSizeMake(width, height), lines,
                                                 lineBreakMode_));
}

CGFloat UILabel::intrinsicWrapWidth() const {
  if (numberOfLines_ == 1) return 0;
  if (preferredMaxLayoutWidth_ > 0) return preferredMaxLayoutWidth_;
  return bounds().size.width;
}

CGSize UILabel::intrinsicContentSize() const {
  reportedWrapWidth_ = intrinsicWrapWidth();
  reportedIntrinsicSize_ = measure(reportedWrapWidth_, 0, numberOfLines_);
  return reportedIntrinsicSize_;
}

CGSize UILabel::sizeThatFits(CGSize size) const {
  return measure(numberOfLines_ == 1 ? 0 : size.width, 0, numberOfLines_);
}

CGRect UILabel::textRectForBounds(CGRect bounds, NSInteger numberOfLines) const {
  CGSize size = measure(bounds.size.width, bounds.size.height, numberOfLines);
  return {bounds.origin, size};
}

void UILabel::layoutSubviews() {
  UIView::layoutSubviews();
  // A multi-line label's height follows the width it was given; when that width is new and
  // changes the natural size, the next layout pass uses the new one.
  if (translatesAutoresizingMaskIntoConstraints() || numberOfLines_ == 1 ||
      preferredMaxLayoutWidth_ > 0 || bounds().size.width == reportedWrapWidth_) {
    return;
  }
  CGSize before = reportedIntrinsicSize_;
  if (!(intrinsicContentSize() == before)) invalidateIntrinsicContentSize();
}

// ---- Drawing ----

UILabel::~UILabel() = default;

std::unique_ptr<TextLayout> UILabel::textLayoutForDrawing() const {
  auto layout = std::make_unique<TextLayout>();
  layout->setAttributedText(*effectiveText());
  layout->setLineBreakMode(lineBreakMode_);
  layout->setSize(bounds().size);
  layout->setNumberOfLines(numberOfLines_);
  layout->setTruncatesLastVisibleLine(true);
  return layout;
}

CGRect UILabel::textDrawingRect() const {
  CGRect bounds = this->bounds();
  CGRect text = textRectForBounds(bounds, numberOfLines_);
  CGFloat top = bounds.origin.y + (bounds.size.height - text.size.height) / 2;
  return CGRectMake(bounds.origin.x, top, bounds.size.width, text.size.height);
}

void UILabel::drawRect(CGRect) {
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (!context || !text_ || text_->length() == 0) return;
  CGRect bounds = this->bounds();
  // The layout holds its colours resolved, so a change of appearance lays it out again.
  UIUserInterfaceStyle style = UITraitCollection::currentTraitCollection()->userInterfaceStyle();
  if (!drawingLayout_ || !(drawingBounds_ == bounds) || drawingStyle_ != style) {
    drawingLayout_ = textLayoutForDrawing();
    drawingBounds_ = bounds;
    drawingStyle_ = style;
    // The layout is set up as the label measures its text, so its own size places it, without
    // laying the text out a second time to measure it.
    const CGFloat textHeight = ceiled(drawingLayout_->size()).height;
    drawingOrigin_ =
        CGPointMake(bounds.origin.x, bounds.origin.y + (bounds.size.height - textHeight) / 2);
  }
  drawingLayout_->draw(context, drawingOrigin_);
}
