#include "uikit/UITextView.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/NSNotificationCenter.h"
#include "foundation/UTF16.h"
#include "uikit/TextLayout+Private.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIKeyboard.h"
#include "uikit/UITapGestureRecognizer.h"
#include "uikit/UITextAttributes.h"
#include "uikit/UITextInputDrawing+Private.h"
#include "uikit/UIWindow.h"

OBJC_CLASS_IMPL(NSTextContainer) {
  c.property("lineFragmentPadding", &NSTextContainer::lineFragmentPadding,
             &NSTextContainer::setLineFragmentPadding);
}

OBJC_CLASS_IMPL(NSLayoutManager) {
  c.property("allowsNonContiguousLayout", &NSLayoutManager::allowsNonContiguousLayout,
             &NSLayoutManager::setAllowsNonContiguousLayout);
}

OBJC_CLASS_IMPL(UITextView) {
  c.method("text", &UITextView::text)
      .property("attributedText", &UITextView::attributedText, &UITextView::setAttributedText)
      .property("font", &UITextView::font, &UITextView::setFont)
      .property("textColor", &UITextView::textColor, &UITextView::setTextColor)
      .property("isEditable", &UITextView::isEditable, &UITextView::setEditable)
      .method("paste:", &UITextView::paste)
      .method("tapped:", &UITextView::tapped);
}

namespace {

// Points where the layout engine sees no limit.
constexpr CGFloat kUnlimited = 1e6;

bool isLimited(CGFloat extent) {
  return std::isfinite(extent) && extent > 0 && extent < kUnlimited;
}

size_t utf8Offset(const std::u16string& text, size_t index) {
  return toUTF8(std::u16string_view(text).substr(0, std::min(index, text.size()))).size();
}

}  // namespace

void NSTextContainer::setLineFragmentPadding(CGFloat padding) {
  lineFragmentPadding_ = padding;
  if (auto view = textView_.lock()) view->textDidChange();
}

UITextView::UITextView()
    : storage_(NSMutableAttributedString::alloc()->initWithString("")),
      textContainer_(NSTextContainer::alloc()),
      layoutManager_(NSLayoutManager::alloc()) {}

UITextView::~UITextView() {
  // A text view that dies with focus takes the keyboard down with it.
  if (UIKeyboard::shared().isVisible()) UIKeyboard::shared().firstResponderDidChange();
}

std::shared_ptr<UITextView> UITextView::initWithFrame(CGRect frame) {
  UIScrollView::initWithFrame(frame);
  auto me = selfAs<UITextView>();
  textContainer_->textView_ = me;
  setBackgroundColor(UIColor::systemBackgroundColor());
  tap_ = UITapGestureRecognizer::alloc()->initWithTarget(me, "tapped:");
  addGestureRecognizer(tap_);
  return me;
}

// ---- Text and attributes ----

std::shared_ptr<NSString> UITextView::text() const {
  return NSString::stringWithCharacters(storage_->string()->characters());
}

void UITextView::setText(std::string_view utf8) {
  keptAttributes_ = nullptr;
  storage_ = NSMutableAttributedString::alloc()->initWithString(utf8, typingAttributes());
  resetEditingState(storage_->length());
  textDidChange();
}

void UITextView::setText(const std::shared_ptr<NSString>& text) {
  setText(text ? text->utf8() : std::string());
}

std::shared_ptr<NSAttributedString> UITextView::attributedText() const {
  return displayedText();
}

void UITextView::setAttributedText(const std::shared_ptr<NSAttributedString>& text) {
  keptAttributes_ = nullptr;
  storage_ = text ? text->mutableCopy() : NSMutableAttributedString::alloc()->initWithString("");
  resetEditingState(storage_->length());
  textDidChange();
}

std::shared_ptr<UIFont> UITextView::effectiveFont() const {
  return font_ ? font_ : UIFont::systemFontOfSize(12);
}

std::shared_ptr<NSDictionary> UITextView::typingAttributes() const {
  return UITextAttributesMake(effectiveFont(), textColor_ ? textColor_ : UIColor::labelColor(),
                              textAlignment_);
}

std::shared_ptr<NSAttributedString> UITextView::displayedText() const {
  return UITextFillingMissingAttributes(*storage_, effectiveFont(),
                                        textColor_ ? textColor_ : UIColor::labelColor());
}

void UITextView::applyToWholeText(NSAttributedStringKey name, const id& value) {
  if (storage_->length() > 0)
    storage_->addAttribute(name, value, NSMakeRange(0, storage_->length()));
  textDidChange();
}

void UITextView::setFont(const std::shared_ptr<UIFont>& font) {
  font_ = font;
  applyToWholeText(NSFontAttributeName, effectiveFont());
}

void UITextView::setTextColor(const std::shared_ptr<UIColor>& color) {
  textColor_ = color;
  applyToWholeText(NSForegroundColorAttributeName, color ? color : UIColor::labelColor());
}

void UITextView::setTextAlignment(NSTextAlignment alignment) {
  textAlignment_ = alignment;
  std::shared_ptr<NSParagraphStyle> current;
  if (storage_->length() > 0) {
    current = std::dynamic_pointer_cast<NSParagraphStyle>(
        storage_->attribute(NSParagraphStyleAttributeName, 0));
  }
  auto style = (current ? current : NSParagraphStyle::defaultParagraphStyle())->mutableCopy();
  style->setAlignment(alignment);
  applyToWholeText(NSParagraphStyleAttributeName, style->copy());
}

void UITextView::setTextContainerInset(UIEdgeInsets insets) {
  textContainerInset_ = insets;
  textDidChange();
}

void UITextView::setEditable(bool editable) {
  if (editable_ == editable) return;
  editable_ = editable;
  // The keyboard follows whether the focused view takes typing.
  if (isFirstResponder()) UIKeyboard::shared().firstResponderDidChange();
}

void UITextView::setDelegate(const std::shared_ptr<UITextViewDelegate>& delegate) {
  delegate_ = delegate;
  UIScrollView::setDelegate(delegate);
}

// ---- Layout ----

CGFloat UITextView::lineWidthFor(CGFloat width) const {
  if (!isLimited(width)) return 0;
  CGFloat padding = textContainer_->lineFragmentPadding();
  return std::max<CGFloat>(
      width - textContainerInset_.left - textContainerInset_.right - 2 * padding, 1);
}

CGPoint UITextView::textOrigin() const {
  return CGPointMake(textContainerInset_.left + textContainer_->lineFragmentPadding(),
                     textContainerInset_.top);
}

namespace {

// The text laid out in lines `width` wide (0: unlimited).
TextLayout layoutText(const NSAttributedString& text, CGFloat width) {
  TextLayout layout;
  layout.setAttributedText(text);
  layout.setSize(CGSizeMake(width, 0));
  return layout;
}

}  // namespace

CGSize UITextView::sizeThatFits(CGSize size) const {
  CGFloat lineWidth = lineWidthFor(size.width);
  CGSize text{0, 0};
  if (storage_->length() > 0) {
    TextLayout layout = layoutText(*displayedText(), lineWidth);
    text = layout.size();
  }
  // An empty text still has the line the caret stands on.
  if (text.height <= 0) text.height = effectiveFont()->lineHeight();
  CGFloat horizontal = textContainerInset_.left + textContainerInset_.right +
                       2 * textContainer_->lineFragmentPadding();
  CGFloat width = isLimited(size.width) ? size.width : text.width + horizontal;
  return CGSizeMake(width, text.height + textContainerInset_.top + textContainerInset_.bottom);
}

void UITextView::layoutSubviews() {
  UIScrollView::layoutSubviews();
  updateContentSize();
}

CGSize UITextView::intrinsicContentSize() const {
  if (isScrollEnabled()) return CGSizeMake(UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric);
  return CGSizeMake(UIViewNoIntrinsicMetric,
                    sizeThatFits(CGSizeMake(bounds().size.width, 0)).height);
}

void UITextView::updateContentSize() {
  CGFloat width = bounds().size.width;
  CGSize fitting = sizeThatFits(CGSizeMake(width, 0));
  CGSize size = CGSizeMake(width, fitting.height);
  if (!CGSizeEqualToSize(size, contentSize())) setContentSize(size);
}

void UITextView::textDidChange() {
  updateContentSize();
  if (!isScrollEnabled()) invalidateIntrinsicContentSize();
  setNeedsDisplay();
}

CGRect UITextView::caretRectForIndex(size_t index) const {
  const std::u16string& units = storage_->string()->characters();
  CGPoint origin = textOrigin();
  CGFloat lineHeight = effectiveFont()->lineHeight();
  CGRect caret = CGRectMake(0, 0, 0, lineHeight);
  if (!units.empty()) {
    TextLayout layout = layoutText(*displayedText(), lineWidthFor(bounds().size.width));
    caret = layout.caretRect(utf8Offset(units, index));
    if (caret.size.height <= 0) caret.size.height = lineHeight;
  }
  return CGRectMake(origin.x + caret.origin.x - 1, origin.y + caret.origin.y, 2, caret.size.height);
}

size_t UITextView::closestIndexToPoint(CGPoint point) const {
  const std::u16string& units = storage_->string()->characters();
  if (units.empty()) return 0;
  TextLayout layout = layoutText(*displayedText(), lineWidthFor(bounds().size.width));
  CGPoint origin = textOrigin();
  size_t byte = layout.caretIndexAtPoint(CGPointMake(point.x - origin.x, point.y - origin.y));
  return utf16Length(std::string_view(storage_->string()->utf8()).substr(0, byte));
}

void UITextView::scrollRangeToVisible(NSRange range) {
  updateContentSize();
  CGRect target = caretRectForIndex(std::min<size_t>(range.location, storage_->length()));
  target.origin.x = std::max<CGFloat>(target.origin.x, 0);
  // The first and last lines bring the inset beside them into view with them.
  CGFloat lineHeight = target.size.height;
  if (target.origin.y <= textContainerInset_.top + lineHeight / 2) {
    target.size.height += target.origin.y;
    target.origin.y = 0;
  }
  if (CGRectGetMaxY(target) + lineHeight / 2 >= contentSize().height - textContainerInset_.bottom) {
    target.size.height = contentSize().height - target.origin.y;
  }
  scrollRectToVisible(target, false);
}

// ---- Focus ----

bool UITextView::becomeFirstResponder() {
  return takeFocus(*this, [this] { return UIScrollView::becomeFirstResponder(); });
}

bool UITextView::resignFirstResponder() {
  return giveUpFocus(*this, [this] { return UIScrollView::resignFirstResponder(); });
}

// A text view that is only selectable takes focus quietly: its delegate hears of editing only.
bool UITextView::shouldBeginEditing() {
  auto delegate = this->delegate();
  return !editable_ || !delegate || delegate->textViewShouldBeginEditing(selfAs<UITextView>());
}

bool UITextView::shouldEndEditing() {
  auto delegate = this->delegate();
  return !editable_ || !delegate || delegate->textViewShouldEndEditing(selfAs<UITextView>());
}

void UITextView::didBeginEditing() {
  if (!editable_) return;
  auto me = selfAs<UITextView>();
  if (auto delegate = this->delegate()) delegate->textViewDidBeginEditing(me);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextViewTextDidBeginEditingNotification, me);
}

void UITextView::didEndEditing() {
  if (!editable_) return;
  auto me = selfAs<UITextView>();
  if (auto delegate = this->delegate()) delegate->textViewDidEndEditing(me);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextViewTextDidEndEditingNotification, me);
}

void UITextView::didMoveToWindow() {
  UIScrollView::didMoveToWindow();
  resignOutsideWindow(*this);
}

bool UITextView::gestureRecognizerShouldBegin(
    const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  // A single tap on the text places the caret; it is not a tap on the views around it.
  if (keepsTapFrom(*this, recognizer, editable_ || selectable_)) return false;
  return UIScrollView::gestureRecognizerShouldBegin(recognizer);
}

void UITextView::tapped(std::shared_ptr<UIGestureRecognizer> recognizer) {
  if (!recognizer || recognizer->state() != UIGestureRecognizerStateEnded) return;
  auto keep = selfAs<UITextView>();
  size_t index = closestIndexToPoint(recognizer->locationInView(keep));
  if (!isFirstResponder() && !becomeFirstResponder()) return;
  unmarkText();
  setSelectedRange(NSMakeRange(index, 0));
  editingDidChangeSelection();
}

void UITextView::paste(const id&) {
  pasteFromPasteboard();
}

// ---- Editing ----

std::u16string UITextView::editingText() const {
  return storage_->string()->characters();
}

bool UITextView::shouldReplaceText(NSRange range, const std::string& replacement) {
  if (!editable_) return false;
  auto delegate = this->delegate();
  return !delegate || delegate->shouldChangeTextInRange(selfAs<UITextView>(), range, replacement);
}

void UITextView::replaceText(NSRange range, std::u16string_view replacement) {
  auto string = NSString::stringWithCharacters(replacement);
  if (storage_->length() == 0) {
    // Nothing to take attributes from: new text takes the view's.
    storage_ = NSMutableAttributedString::alloc()->initWithString(
        string, keptAttributes_ ? keptAttributes_ : typingAttributes());
    keptAttributes_ = nullptr;
  } else if (range.length == storage_->length() && replacement.empty()) {
    // Emptied: the next text takes the attributes the text had, as typing attributes do.
    keptAttributes_ = storage_->attributesAtIndex(0);
    storage_ = NSMutableAttributedString::alloc()->initWithString("");
  } else {
    storage_->replaceCharactersInRange(range, *string);
  }
}

void UITextView::editingDidChangeText() {
  auto me = selfAs<UITextView>();
  textDidChange();
  if (isScrollEnabled() && contentSize().height > bounds().size.height) {
    scrollRangeToVisible(selectedRange());
  }
  if (auto delegate = this->delegate()) delegate->textViewDidChange(me);
  NSNotificationCenter::defaultCenter()->postNotificationName(UITextViewTextDidChangeNotification,
                                                              me);
}

void UITextView::editingDidChangeSelection() {
  setNeedsDisplay();
  if (auto delegate = this->delegate()) delegate->textViewDidChangeSelection(selfAs<UITextView>());
}

// ---- Drawing ----

void UITextView::drawRect(CGRect) {
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (!context) return;
  CGPoint origin = textOrigin();
  bool focused = isFirstResponder();
  auto tint = tintColor();
  NSRange selection = selectedRange();

  // Selection and marked text lie under the glyphs; on one line they are one band, across lines
  // a band from the start to the line's end, whole lines, and the last line up to the end.
  auto band = [&](NSRange range, bool underline) {
    CGRect start = caretRectForIndex(range.location);
    CGRect end = caretRectForIndex(NSMaxRange(range));
    CGFloat right = bounds().size.width - textContainerInset_.right;
    auto fill = [&](CGFloat x0, CGFloat top, CGFloat x1, CGFloat height) {
      if (underline) {
        CGContextAddRect(context, CGRectMake(x0, top + height - 1, x1 - x0, 1));
      } else {
        CGContextAddRect(context, CGRectMake(x0, top, x1 - x0, height));
      }
    };
    if (start.origin.y == end.origin.y) {
      fill(start.origin.x + 1, start.origin.y, end.origin.x + 1, start.size.height);
    } else {
      fill(start.origin.x + 1, start.origin.y, right, start.size.height);
      CGFloat top = CGRectGetMaxY(start);
      if (end.origin.y > top) fill(origin.x, top, right, end.origin.y - top);
      fill(origin.x, end.origin.y, end.origin.x + 1, end.size.height);
    }
    CGContextFillPath(context);
  };
  if (focused && selection.length > 0) {
    CGContextSetFillColorWithColor(context, UITextInputColor(tint, 0.2));
    band(selection, false);
  }
  if (auto marked = markedTextRange()) {
    CGContextSetFillColorWithColor(context, UITextInputColor(tint));
    band(*marked, true);
  }

  if (storage_->length() > 0) {
    TextLayout layout = layoutText(*displayedText(), lineWidthFor(bounds().size.width));
    layout.draw(context, origin);
  }

  if (focused && editable_ && selection.length == 0) {
    CGRect caret = caretRectForIndex(selection.location);
    CGContextSetFillColorWithColor(context, UITextInputColor(tint));
    CGContextAddRect(context, caret);
    CGContextFillPath(context);
  }
}
