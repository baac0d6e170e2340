#include "uikit/UITextField.h"

#include <algorithm>
#include <cmath>

#include "foundation/NSDictionary.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/UTF16.h"
#include "uikit/NSAttributedString.h"
#include "uikit/TextLayout+Private.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIKeyboard.h"
#include "uikit/UITapGestureRecognizer.h"
#include "uikit/UITextAttributes.h"
#include "uikit/UITextInputDrawing+Private.h"

OBJC_CLASS_IMPL(UITextField) {
  c.method("paste:", &UITextField::paste);
}

namespace {

// The rounded-rect field keeps its text off the rounded ends; line and bezel borders need less.
CGFloat horizontalPadding(UITextBorderStyle style) {
  switch (style) {
    case UITextBorderStyleRoundedRect:
      return 7;
    case UITextBorderStyleLine:
    case UITextBorderStyleBezel:
      return 2;
    case UITextBorderStyleNone:
      break;
  }
  return 0;
}

}  // namespace

UITextField::~UITextField() {
  // A field that dies with focus takes the keyboard down with it.
  if (UIKeyboard::shared().isVisible()) UIKeyboard::shared().firstResponderDidChange();
}

std::shared_ptr<UITextField> UITextField::initWithFrame(CGRect frame) {
  UIControl::initWithFrame(frame);
  setContentVerticalAlignment(UIControlContentVerticalAlignmentCenter);
  return selfAs<UITextField>();
}

// ---- Properties ----

void UITextField::setText(const std::string& text) {
  if (text_ == text) return;
  text_ = toUTF8(toUTF16(text));
  resetEditingState(utf16Length(text_));
  invalidateIntrinsicContentSize();
  setNeedsDisplay();
}

void UITextField::setPlaceholder(const std::string& placeholder) {
  placeholder_ = placeholder;
  setNeedsDisplay();
}

void UITextField::setSecureTextEntry(bool secure) {
  secureTextEntry_ = secure;
  setNeedsDisplay();
}

void UITextField::setBorderStyle(UITextBorderStyle style) {
  borderStyle_ = style;
  invalidateIntrinsicContentSize();
  setNeedsDisplay();
}

std::shared_ptr<UIFont> UITextField::font() const {
  return font_ ? font_ : UIFont::systemFontOfSize(17);
}

void UITextField::setFont(std::shared_ptr<UIFont> font) {
  font_ = std::move(font);
  invalidateIntrinsicContentSize();
  setNeedsDisplay();
}

std::shared_ptr<UIColor> UITextField::textColor() const {
  return textColor_ ? textColor_ : UIColor::labelColor();
}

void UITextField::setTextColor(std::shared_ptr<UIColor> color) {
  textColor_ = std::move(color);
  setNeedsDisplay();
}

CGSize UITextField::intrinsicContentSize() const {
  CGFloat line = std::ceil(font()->lineHeight());
  CGFloat padding = borderStyle_ == UITextBorderStyleRoundedRect ? 14 : 0;
  return CGSizeMake(UIViewNoIntrinsicMetric, line + padding);
}

CGRect UITextField::textRectForBounds(CGRect bounds) const {
  CGFloat padding = horizontalPadding(borderStyle_);
  return CGRectInset(bounds, padding, 0);
}

// ---- Focus ----

bool UITextField::becomeFirstResponder() {
  return takeFocus(*this, [this] { return UIControl::becomeFirstResponder(); });
}

bool UITextField::resignFirstResponder() {
  return giveUpFocus(*this, [this] { return UIControl::resignFirstResponder(); });
}

bool UITextField::shouldBeginEditing() {
  auto delegate = this->delegate();
  return !delegate || delegate->textFieldShouldBeginEditing(selfAs<UITextField>());
}

bool UITextField::shouldEndEditing() {
  auto delegate = this->delegate();
  return !delegate || delegate->textFieldShouldEndEditing(selfAs<UITextField>());
}

void UITextField::didBeginEditing() {
  auto me = selfAs<UITextField>();
  if (auto delegate = this->delegate()) delegate->textFieldDidBeginEditing(me);
  sendActionsForControlEvents(UIControlEventEditingDidBegin);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextFieldTextDidBeginEditingNotification, me);
}

void UITextField::didEndEditing() {
  auto me = selfAs<UITextField>();
  if (auto delegate = this->delegate()) delegate->textFieldDidEndEditing(me);
  sendActionsForControlEvents(UIControlEventEditingDidEnd);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextFieldTextDidEndEditingNotification, me);
}

void UITextField::didMoveToWindow() {
  UIControl::didMoveToWindow();
  resignOutsideWindow(*this);
}

bool UITextField::gestureRecognizerShouldBegin(
    const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  // A single tap on the field focuses it; it is not a tap on the views around it.
  if (keepsTapFrom(*this, recognizer, isEnabled())) return false;
  return UIControl::gestureRecognizerShouldBegin(recognizer);
}

void UITextField::touchUpInside(const std::shared_ptr<UIEvent>& event) {
  auto keep = selfAs<UITextField>();
  UIControl::touchUpInside(event);
  becomeFirstResponder();
}

void UITextField::paste(const id&) {
  pasteFromPasteboard();
}

void UITextField::returnKeyPressed() {
  auto me = selfAs<UITextField>();
  auto delegate = this->delegate();
  if (delegate && !delegate->textFieldShouldReturn(me)) return;
  if (!(allControlEvents() & UIControlEventEditingDidEndOnExit)) return;
  sendActionsForControlEvents(UIControlEventEditingDidEndOnExit);
  resignFirstResponder();
}

// ---- Editing ----

std::u16string UITextField::editingText() const {
  return toUTF16(text_);
}

bool UITextField::shouldReplaceText(NSRange range, const std::string& replacement) {
  auto delegate = this->delegate();
  return !delegate ||
         delegate->shouldChangeCharactersInRange(selfAs<UITextField>(), range, replacement);
}

void UITextField::replaceText(NSRange range, std::u16string_view replacement) {
  std::u16string units = toUTF16(text_);
  std::u16string oneLine(replacement);
  // One line: a break becomes a space, unit for unit, so the caret lands where it would have.
  std::replace(oneLine.begin(), oneLine.end(), u'\n', u' ');
  std::replace(oneLine.begin(), oneLine.end(), u'\r', u' ');
  units.replace(range.location, range.length, oneLine);
  text_ = toUTF8(units);
}

void UITextField::editingDidChangeText() {
  auto me = selfAs<UITextField>();
  invalidateIntrinsicContentSize();
  setNeedsDisplay();
  sendActionsForControlEvents(UIControlEventEditingChanged);
  NSNotificationCenter::defaultCenter()->postNotificationName(UITextFieldTextDidChangeNotification,
                                                              me);
}

// ---- Drawing ----

std::string UITextField::displayedText() const {
  if (!secureTextEntry_) return text_;
  std::string bullets;
  for (size_t i = UITextGraphemes(text_).size(); i > 0; --i) bullets += "\u2022";
  return bullets;
}

std::shared_ptr<NSDictionary> UITextField::attributes(const std::shared_ptr<UIColor>& color) const {
  return UITextAttributesMake(font(), color);
}

void UITextField::drawRect(CGRect) {
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (!context) return;
  CGRect area = bounds();
  if (borderStyle_ != UITextBorderStyleNone) {
    CGRect edge = CGRectInset(area, 0.5, 0.5);
    if (borderStyle_ == UITextBorderStyleRoundedRect) {
      UITextInputAddRoundedRect(context, edge, 5);
      CGContextSetStrokeColorWithColor(context, UITextInputColor(UIColor::systemGray4Color()));
    } else {
      CGContextAddRect(context, edge);
      CGContextSetStrokeColorWithColor(context, UITextInputColor(UIColor::labelColor()));
    }
    CGContextSetLineWidth(context, borderStyle_ == UITextBorderStyleBezel ? 2 : 1);
    CGContextStrokePath(context);
  }

  CGRect textRect = textRectForBounds(area);
  bool showsPlaceholder = text_.empty();
  TextLayout layout;
  layout.setSingleLine(true);
  layout.setLineBreakMode(NSLineBreakByTruncatingTail);
  layout.setSize(CGSizeMake(textRect.size.width, 0));
  layout.setText(
      showsPlaceholder ? placeholder_ : displayedText(),
      attributes(showsPlaceholder ? UIColor::placeholderTextColor() : textColor()).get());
  CGFloat lineHeight = font()->lineHeight();
  CGFloat top = CGRectGetMidY(textRect) - lineHeight / 2;
  if (!showsPlaceholder || !placeholder_.empty()) {
    layout.draw(context, CGPointMake(textRect.origin.x, top));
  }

  if (isFirstResponder() && selectedRange().length == 0) {
    CGFloat x = textRect.origin.x;
    if (!showsPlaceholder) {
      // Bullets stand one for each character, so the caret counts characters there.
      std::string before =
          toUTF8(std::u16string_view(toUTF16(text_)).substr(0, selectedRange().location));
      if (secureTextEntry_) before = std::string(UITextGraphemes(before).size() * 3, '\0');
      x += layout.caretRect(before.size()).origin.x;
    }
    CGContextSetFillColorWithColor(context, UITextInputColor(tintColor()));
    CGContextAddRect(context, CGRectMake(std::max(x - 1, 0.0), top, 2, lineHeight));
    CGContextFillPath(context);
  }
}
