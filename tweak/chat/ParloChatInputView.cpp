#include "chat/ParloChatInputView.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "BrisvaleKit/UIView+Layout.h"
#include "chat/UIColor+Appearance.h"
#include "foundation/UTF16.h"
#include "uikit/NSParagraphStyle.h"
#include "uikit/UIImage.h"
#include "uikit/UITapGestureRecognizer.h"

namespace {

constexpr const char* kCameraImagePath =
    "/var/LIY/Application Support/Parlo.bundle/Assets/entry-camera.png";
constexpr const char* kToolImagePath =
    "/var/LIY/Application Support/Parlo.bundle/Assets/entry-tool.png";

// Heights the layout takes are whole points, so a line never shows cut by a fraction.
CGFloat roundedUp(CGFloat value) {
  return std::ceil(value - 1e-9);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

ParloChatInputView::~ParloChatInputView() {
  if (textView_) textView_->setDelegate(nullptr);
}

std::shared_ptr<ParloChatInputView> ParloChatInputView::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  auto self = selfAs<ParloChatInputView>();
  setBackgroundColor(UIColor::systemBackgroundColor());
  setupDefaultConfigs();
  setupSubviews();
  setupLayout();
  return self;
}

void ParloChatInputView::setupDefaultConfigs() {
  // The fields directly: the setters would lay out views that do not exist yet.
  font_ = UIFont::systemFontOfSize(17, UIFontWeightRegular);
  lineSpacing_ = 2.0;
  numberOfLines_ = 4;
  maxCharacterCount_ = 1000;
  textContainerInset_ = UIEdgeInsetsMake(9, 47, 9, 60);
  placeholder_ = NSString::stringWithUTF8String("Message....");
  showPromptFlag_ = false;
}

void ParloChatInputView::setupSubviews() {
  auto self = selfAs<ParloChatInputView>();

  textView_ = UITextView::alloc()->initWithFrame(CGRectZero);
  textView_->setBackgroundColor(UIColor::systemBackgroundColor());
  textView_->layer()->setCornerRadius(20);
  textView_->layer()->setBorderWidth(0.7);
  textView_->setClipsToBounds(true);
  applyBorderColor();
  textView_->setTextColor(UIColor::labelColor());
  textView_->setTintColor(UIColor::colorWithRed(0.0, 0.6, 0.99, 1));
  textView_->setFont(font_);
  textView_->textContainer()->setLineFragmentPadding(0);
  textView_->setTextContainerInset(
      UIEdgeInsetsMake(0, textContainerInset_.left, 0, textContainerInset_.right));
  textView_->setContentInset(UIEdgeInsetsMake(textContainerInset_.top + lineSpacing_ / 2, 0,
                                              textContainerInset_.bottom + lineSpacing_ / 2, 0));
  textView_->setScrollIndicatorInsets(UIEdgeInsetsMake(2, 0, 2, 4));
  textView_->layoutManager()->setAllowsNonContiguousLayout(false);
  textView_->setDelegate(self);
  textView_->setScrollsToTop(false);
  addSubview(textView_);

  placeholderLabel_ = UILabel::alloc()->initWithFrame(CGRectZero);
  placeholderLabel_->setTextColor(Appearance::placeholder());
  placeholderLabel_->setFont(font_);
  placeholderLabel_->setText(placeholder_);
  addSubview(placeholderLabel_);

  cameraImage_ = UIImageView::alloc();
  cameraImage_->init();
  cameraImage_->layer()->setCornerRadius(18);
  cameraImage_->setImage(UIImage::imageWithContentsOfFile(kCameraImagePath));
  cameraImage_->setContentMode(UIViewContentModeScaleAspectFill);
  cameraImage_->setUserInteractionEnabled(true);
  addSubview(cameraImage_);
  Layout::size(cameraImage_, 36, 36);
  Layout::leading(cameraImage_, leadingAnchor(), 12.7);
  Layout::bottom(cameraImage_, bottomAnchor(), -10.7);
  cameraImage_->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(self, "submitMessageFromRecipient"));

  sendBtn_ = UIButton::alloc()->init();
  sendBtn_->addTarget(self, "submitMessageFromSender", UIControlEventTouchUpInside);
  sendBtn_->setTitle("Send", UIControlStateNormal);
  sendBtn_->titleLabel()->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
  sendBtn_->setTitleColor(colorWithHexString("0098FD"), UIControlStateNormal);
  sendBtn_->setAlpha(0);
  addSubview(sendBtn_);
  Layout::y(sendBtn_, cameraImage_->centerYAnchor());
  Layout::trailing(sendBtn_, trailingAnchor(), -20);

  toolView_ = UIView::alloc()->init();
  addSubview(toolView_);
  Layout::y(toolView_, cameraImage_->centerYAnchor());
  Layout::trailing(toolView_, textView_->trailingAnchor(), -15);
  Layout::size(toolView_, 102, 30);

  toolImage_ = UIImageView::alloc();
  toolImage_->init();
  toolImage_->setTintColor(UIColor::labelColor());
  toolImage_->setContentMode(UIViewContentModeScaleAspectFill);
  if (auto image = UIImage::imageWithContentsOfFile(kToolImagePath)) {
    toolImage_->setImage(image->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate));
  }
  toolView_->addSubview(toolImage_);
  Layout::size(toolImage_, 94, 24);
  Layout::xy(toolImage_, toolView_->centerXAnchor(), toolView_->centerYAnchor());
}

void ParloChatInputView::setupLayout() {
  if (!textView_) return;
  const CGFloat width = bounds().size.width;
  const CGFloat lineHeight = font_->lineHeight();
  const auto lines = static_cast<CGFloat>(numberOfLines_);
  textViewMinContentHeight_ = roundedUp(lineHeight);
  textViewMaxContentHeight_ = roundedUp(lineHeight * lines + lineSpacing_ * (lines - 1));

  const UIEdgeInsets inset = textView_->contentInset();
  const CGFloat oneLine = inset.top + textViewMinContentHeight_ + inset.bottom;
  textView_->setFrame(CGRectMake(10, 8, width - 20, oneLine));
  placeholderLabel_->setFrame(
      CGRectMake(textContainerInset_.left + 10, 8,
                 width - 96 - textContainerInset_.left - textContainerInset_.right, oneLine));
  laidOutWidth_ = width;

  applyContentHeight(fittingContentHeight());
}

CGFloat ParloChatInputView::fittingContentHeight() const {
  const CGSize fitting =
      textView_->sizeThatFits(CGSizeMake(textView_->bounds().size.width, CGFLOAT_MAX));
  return std::clamp(roundedUp(fitting.height), textViewMinContentHeight_,
                    std::max(textViewMinContentHeight_, textViewMaxContentHeight_));
}

void ParloChatInputView::applyContentHeight(CGFloat contentHeight) {
  const UIEdgeInsets inset = textView_->contentInset();
  CGRect field = textView_->frame();
  field.size.height = inset.top + contentHeight + inset.bottom;
  textView_->setFrame(field);

  const CGRect old = frame();
  const CGFloat height = field.size.height + 16;
  setFrame(CGRectMake(old.origin.x, CGRectGetMaxY(old) - height, old.size.width, height));
}

void ParloChatInputView::updateWithTextView(const std::shared_ptr<UITextView>& textView) {
  if (!textView) return;
  auto keep = selfAs<ParloChatInputView>();
  const NSRange selection = textView->selectedRange();

  const bool empty = textView->text()->length() == 0;
  placeholderLabel_->setAlpha(empty ? 1 : 0);
  sendBtn_->setAlpha(empty ? 0 : 1);
  toolView_->setAlpha(empty ? 1 : 0);

  if (!textView->markedTextRange()) {
    std::u16string units = textView->text()->characters();
    const auto limit = static_cast<size_t>(std::max<long>(maxCharacterCount_, 0));
    if (units.size() > limit) {
      // Never between the halves of a surrogate pair, which would leave half a character.
      units.resize(utf16SafeCutIndex(units, limit));
      showPrompt();
    }
    auto style = NSMutableParagraphStyle::alloc()->init();
    style->setLineSpacing(lineSpacing_);
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(UIColor::labelColor(), NSForegroundColorAttributeName);
    attributes->setObject(font_, NSFontAttributeName);
    attributes->setObject(style->copy(), NSParagraphStyleAttributeName);
    textView->setAttributedText(NSAttributedString::alloc()->initWithString(
        NSString::stringWithCharacters(units), attributes->copy()));
  }

  const CGFloat contentHeight = fittingContentHeight();
  UIView::animateWithDuration(0.0, [&] { applyContentHeight(contentHeight); });

  const std::u16string units = textView->text()->characters();
  if (contentHeight < textViewMaxContentHeight_ || units.empty()) {
    textView->scrollRangeToVisible(NSMakeRange(0, 0));
  } else {
    // At full height the end of the text stays in view. The last character may be a pair.
    const size_t last = UITextPreviousCharacterBoundary(units, units.size());
    textView->scrollRangeToVisible(NSMakeRange(last, units.size() - last));
  }

  textView->setSelectedRange(selection);
  textView->setNeedsDisplay();
}

void ParloChatInputView::clear() {
  textView_->setText("");
  updateWithTextView(textView_);
}

bool ParloChatInputView::isActive() const {
  return textView_->isFirstResponder();
}

bool ParloChatInputView::becomeActive() {
  return textView_->becomeFirstResponder();
}

bool ParloChatInputView::resignActive() {
  return textView_->resignFirstResponder();
}

void ParloChatInputView::submitMessageFromSender() {
  submitMessage(true);
}

void ParloChatInputView::submitMessageFromRecipient() {
  submitMessage(false);
}

void ParloChatInputView::submitMessage(bool fromSender) {
  auto keep = selfAs<ParloChatInputView>();
  const auto text = textView_->text();
  clear();
  placeholderLabel_->setAlpha(1);
  sendBtn_->setAlpha(0);
  toolView_->setAlpha(1);
  if (text->length() == 0) return;
  auto delegate = this->delegate();
  if (!delegate) return;
  if (fromSender) {
    delegate->sendTextMessageFromSender(text);
  } else {
    delegate->sendTextMessageFromRecipient(text);
  }
}

std::shared_ptr<UIColor> ParloChatInputView::colorWithHexString(std::string_view string) {
  const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!string.empty() && isSpace(string.front())) string.remove_prefix(1);
  while (!string.empty() && isSpace(string.back())) string.remove_suffix(1);
  std::string hex(string);
  for (char& c : hex) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  if (hex.size() < 6) return UIColor::systemGrayColor();
  if (hex.starts_with("0X")) hex.erase(0, 2);
  if (hex.size() != 6) return UIColor::systemGrayColor();

  CGFloat components[3];
  for (size_t i = 0; i < 3; ++i) {
    const int high = hexDigit(hex[2 * i]), low = hexDigit(hex[2 * i + 1]);
    // A pair that is not hexadecimal makes the whole string unreadable, not a zero component.
    if (high < 0 || low < 0) return UIColor::systemGrayColor();
    components[i] = static_cast<CGFloat>(high * 16 + low) / 255.0;
  }
  return UIColor::colorWithRed(components[0], components[1], components[2], 1);
}

// ---- Setters ----

void ParloChatInputView::setFont(std::shared_ptr<UIFont> font) {
  font_ = font ? std::move(font) : UIFont::systemFontOfSize(14, UIFontWeightRegular);
  textView_->setFont(font_);
  placeholderLabel_->setFont(font_);
  setupLayout();
}

void ParloChatInputView::setLineSpacing(CGFloat spacing) {
  lineSpacing_ = spacing < 0 ? 3.0 : spacing;
  textView_->setContentInset(UIEdgeInsetsMake(textContainerInset_.top + lineSpacing_ / 2, 0,
                                              textContainerInset_.bottom + lineSpacing_ / 2, 0));
  setupLayout();
}

void ParloChatInputView::setNumberOfLines(long lines) {
  numberOfLines_ = lines < 1 ? 4 : lines;
  setupLayout();
}

void ParloChatInputView::setMaxCharacterCount(long count) {
  maxCharacterCount_ = count < 0 ? 1000 : count;
}

void ParloChatInputView::setTextContainerInset(UIEdgeInsets insets) {
  if (insets.top < 0 || insets.left < 0 || insets.bottom < 0 || insets.right < 0) {
    insets = UIEdgeInsetsMake(6, 16, 6, 16);
  }
  textContainerInset_ = insets;
  textView_->setTextContainerInset(UIEdgeInsetsMake(0, insets.left, 0, insets.right));
  textView_->setContentInset(
      UIEdgeInsetsMake(insets.top + lineSpacing_ / 2, 0, insets.bottom + lineSpacing_ / 2, 0));
  setupLayout();
}

void ParloChatInputView::setPlaceholder(const std::shared_ptr<NSString>& placeholder) {
  placeholder_ = placeholder ? NSString::stringWithString(*placeholder)
                             : NSString::stringWithUTF8String("Message...");
  placeholderLabel_->setText(placeholder_);
}

// ---- UIView ----

void ParloChatInputView::layoutSubviews() {
  UIView::layoutSubviews();
  if (bounds().size.width != laidOutWidth_) setupLayout();
}

void ParloChatInputView::traitCollectionDidChange(
    const std::shared_ptr<UITraitCollection>& previous) {
  UIView::traitCollectionDidChange(previous);
  applyBorderColor();
}

void ParloChatInputView::applyBorderColor() {
  // A layer keeps a fixed colour: resolve the dynamic one for the appearance the field is in.
  textView_->layer()->setBorderColor(
      Appearance::entryBorder()
          ->resolvedColorWithTraitCollection(textView_->traitCollection())
          ->CGColor());
}

// ---- UITextViewDelegate ----

bool ParloChatInputView::shouldChangeTextInRange(const std::shared_ptr<UITextView>& textView,
                                                 NSRange range,
                                                 const std::string& replacementText) {
  // What an input method composes is let through; the limit applies once it is committed.
  if (textView->markedTextRange()) return true;

  std::u16string units = textView->text()->characters();
  const std::u16string replacement = toUTF16(replacementText);
  const long remaining =
      maxCharacterCount_ - static_cast<long>(units.size() - range.length + replacement.size());
  if (remaining >= 0) {
    showPromptFlag_ = false;
    return true;
  }

  auto keep = selfAs<ParloChatInputView>();
  if (!showPromptFlag_) {
    showPromptFlag_ = true;
    showPrompt();
  }
  const long fits = std::max<long>(static_cast<long>(replacement.size()) + remaining, 0);
  // The part that fits, cut where it does not split a character outside the BMP.
  const size_t inserted = utf16SafeCutIndex(replacement, static_cast<size_t>(fits));
  const std::u16string before = units;
  units.replace(range.location, range.length, replacement.substr(0, inserted));
  textView->setText(NSString::stringWithCharacters(units));
  textView->setSelectedRange(NSMakeRange(range.location + inserted, 0));
  updateWithTextView(textView);
  // The text changed and the bar may have grown: the screen hears it as it does for any edit.
  if (textView->text()->characters() != before) tellDelegateTextChanged();
  return false;
}

void ParloChatInputView::textViewDidChange(const std::shared_ptr<UITextView>& textView) {
  auto keep = selfAs<ParloChatInputView>();
  updateWithTextView(textView);
  tellDelegateTextChanged();
}

void ParloChatInputView::textViewDidEndEditing(const std::shared_ptr<UITextView>& textView) {
  if (textView->text()->length() <= static_cast<size_t>(std::max<long>(maxCharacterCount_, 0))) {
    return;
  }
  auto keep = selfAs<ParloChatInputView>();
  updateWithTextView(textView);
  tellDelegateTextChanged();
}

void ParloChatInputView::tellDelegateTextChanged() {
  if (auto delegate = this->delegate()) delegate->chatInputViewDidChanged(textView_->text());
}

OBJC_CLASS_IMPL(ParloChatInputView) {
  c.method("textView", &ParloChatInputView::textView)
      .method("text", &ParloChatInputView::text)
      .method("setupDefaultConfigs", &ParloChatInputView::setupDefaultConfigs)
      .method("setupSubviews", &ParloChatInputView::setupSubviews)
      .method("setupLayout", &ParloChatInputView::setupLayout)
      .method("updateWithTextView:", &ParloChatInputView::updateWithTextView)
      .method("clear", &ParloChatInputView::clear)
      .method("isActive", &ParloChatInputView::isActive)
      .method("becomeActive", &ParloChatInputView::becomeActive)
      .method("resignActive", &ParloChatInputView::resignActive)
      .method("submitMessageFromSender", &ParloChatInputView::submitMessageFromSender)
      .method("submitMessageFromRecipient", &ParloChatInputView::submitMessageFromRecipient)
      .method("showPrompt", &ParloChatInputView::showPrompt)
      .property("font", &ParloChatInputView::font, &ParloChatInputView::setFont)
      .property("lineSpacing", &ParloChatInputView::lineSpacing,
                &ParloChatInputView::setLineSpacing)
      .property("numberOfLines", &ParloChatInputView::numberOfLines,
                &ParloChatInputView::setNumberOfLines)
      .property("maxCharacterCount", &ParloChatInputView::maxCharacterCount,
                &ParloChatInputView::setMaxCharacterCount)
      .property("placeholder", &ParloChatInputView::placeholder,
                &ParloChatInputView::setPlaceholder)
      .method("placeholderLabel", &ParloChatInputView::placeholderLabel)
      .method("cameraImage", &ParloChatInputView::cameraImage)
      .method("sendBtn", &ParloChatInputView::sendBtn)
      .method("toolView", &ParloChatInputView::toolView)
      .method("toolImage", &ParloChatInputView::toolImage);
}
