#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "foundation/NSString.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSParagraphStyle.h"
#include "uikit/UIFont.h"
#include "uikit/UIView.h"

class TextLayout;

// A read-only text. Its natural size is its text's, ceiled to whole points; a multi-line label
// wraps at preferredMaxLayoutWidth, or else at the width layout gives it, and asks for another
// layout pass when that width changes its height.
class UILabel : public UIView {
  OBJC_CLASS(UILabel, UIView);

 public:
  UILabel();
  ~UILabel() override;

  std::shared_ptr<UILabel> init() { return initWithFrame(CGRectZero); }
  std::shared_ptr<UILabel> initWithFrame(CGRect frame);

  // nil until set. Setting the text drops an attributed text.
  std::shared_ptr<NSString> text() const { return text_; }
  void setText(const std::shared_ptr<NSString>& text);
  void setText(std::string_view utf8);
  void setText(std::nullptr_t) { setText(std::shared_ptr<NSString>()); }

  // The attributed text as set, or the plain text with the label's font, colour and alignment.
  std::shared_ptr<NSAttributedString> attributedText() const;
  // Its runs keep their own attributes; the label's font and colour fill in where they are
  // missing. Sets `text` to its string.
  void setAttributedText(const std::shared_ptr<NSAttributedString>& text);

  // Each of these applies to the whole attributed text too, as on the platform.
  // nil restores the default: the system font of size 17.
  std::shared_ptr<UIFont> font() const { return font_; }
  void setFont(const std::shared_ptr<UIFont>& font);
  // nil restores the default: the label colour.
  std::shared_ptr<UIColor> textColor() const { return textColor_; }
  void setTextColor(const std::shared_ptr<UIColor>& color);
  NSTextAlignment textAlignment() const { return textAlignment_; }
  void setTextAlignment(NSTextAlignment alignment);

  // 1 by default; 0 for as many as the text needs.
  NSInteger numberOfLines() const { return numberOfLines_; }
  void setNumberOfLines(NSInteger lines);
  // Truncating tail by default; it applies to the last line shown.
  NSLineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setLineBreakMode(NSLineBreakMode mode);
  // The width a multi-line label wraps at for its natural size; 0 (the default) means the width
  // layout gives it.
  CGFloat preferredMaxLayoutWidth() const { return preferredMaxLayoutWidth_; }
  void setPreferredMaxLayoutWidth(CGFloat width);
  // Stored for callers; the font keeps its size.
  bool adjustsFontSizeToFitWidth() const { return adjustsFontSizeToFitWidth_; }
  void setAdjustsFontSizeToFitWidth(bool adjusts) { adjustsFontSizeToFitWidth_ = adjusts; }

  // Empty text has no size: {0, 0}.
  CGSize intrinsicContentSize() const override;
  // The text's size when it may be size.width wide (not positive: unlimited); a one-line label
  // does not wrap. The height is never limited.
  CGSize sizeThatFits(CGSize size) const override;
  // Where the text goes in `bounds` with at most `numberOfLines` lines (0: no limit): at the
  // bounds' origin, as large as the text that fits, ceiled.
  virtual CGRect textRectForBounds(CGRect bounds, NSInteger numberOfLines) const;
  void layoutSubviews() override;

  // The rectangle the text is drawn in: across the bounds, centred vertically, as the platform's
  // label draws its text.
  CGRect textDrawingRect() const;
  // Draws the text laid out in the bounds, kept between frames until the text, the settings, the
  // bounds or the appearance change.
  void drawRect(CGRect rect) override;

 private:
  // The text laid out in the bounds as the label shows it.
  std::unique_ptr<TextLayout> textLayoutForDrawing() const;
  // The attributed text with the label's attributes filled in: what is measured and drawn.
  const std::shared_ptr<NSAttributedString>& effectiveText() const;
  CGSize measure(CGFloat width, CGFloat height, NSInteger lines) const;
  // The width a multi-line label wraps at for its natural size (0: unlimited).
  CGFloat intrinsicWrapWidth() const;
  void contentChanged(bool sizeMayChange);
  // Applies `change` to every run of the attributed text, if there is one.
  void changeAttributedText(const std::function<void(NSMutableAttributedString&)>& change);

  std::shared_ptr<NSString> text_;
  std::shared_ptr<NSAttributedString> attributedText_;
  std::shared_ptr<UIFont> font_;
  std::shared_ptr<UIColor> textColor_;
  NSTextAlignment textAlignment_ = NSTextAlignmentNatural;
  NSInteger numberOfLines_ = 1;
  NSLineBreakMode lineBreakMode_ = NSLineBreakByTruncatingTail;
  CGFloat preferredMaxLayoutWidth_ = 0;
  bool adjustsFontSizeToFitWidth_ = false;

  mutable std::shared_ptr<NSAttributedString> effectiveText_;
  // What drawRect: drew last, and for which bounds and appearance.
  std::unique_ptr<TextLayout> drawingLayout_;
  CGRect drawingBounds_;
  UIUserInterfaceStyle drawingStyle_ = UIUserInterfaceStyleUnspecified;
  CGPoint drawingOrigin_;
  // The natural size last reported, and the wrap width it was measured at.
  mutable CGSize reportedIntrinsicSize_{0, 0};
  mutable CGFloat reportedWrapWidth_ = 0;
};
