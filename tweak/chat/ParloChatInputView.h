#pragma once

// The message entry bar at the foot of the fake chat: a rounded field with a round camera icon
// inside its left end and a strip of tool icons inside its right end, which a blue "Send"
// replaces as soon as there is text. The field grows upwards a line at a time up to
// `numberOfLines` and then scrolls; the bar keeps its bottom edge, with 8 points above and below
// the field.
//
// "Send" hands the text to the delegate as the user's message, a tap on the camera icon as the
// other user's. The bar stores nothing. The text is kept to `maxCharacterCount` UTF-16 units,
// for typing and for pasting alike; text being composed by an input method is let through and
// cut to the limit once it is committed.

#include <memory>
#include <string_view>

#include "chat/ParloChatInputViewDelegate.h"
#include "uikit/UIButton.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UITextView.h"

class ParloChatInputView : public UIView, public UITextViewDelegate {
  OBJC_CLASS(ParloChatInputView, UIView);

 public:
  ~ParloChatInputView() override;

  // The chat screen makes it with the screen's width and a height of 52; the height is then
  // corrected to one line of text, keeping the bottom edge.
  std::shared_ptr<ParloChatInputView> initWithFrame(CGRect frame);

  void setupDefaultConfigs();
  void setupSubviews();
  // Works out the height limits from the font and places the field, the placeholder and the bar.
  void setupLayout();
  // After every change of the text: the placeholder, "Send" or the tools, the limit, the
  // attributes, and the height of the field and the bar.
  void updateWithTextView(const std::shared_ptr<UITextView>& textView);
  // Empties the field, which shrinks back to one line.
  void clear();

  bool isActive() const;
  bool becomeActive();
  bool resignActive();

  // The two send actions: each empties the field and, when there was text, hands it on.
  void submitMessageFromSender();
  void submitMessageFromRecipient();

  // "RRGGBB", with or without a leading "0x", any case, surrounding white space ignored.
  // Anything else, a leading "#" included, gives the system grey.
  static std::shared_ptr<UIColor> colorWithHexString(std::string_view string);

  // Called when typing runs into the character limit, once per run of overflowing input.
  virtual void showPrompt() {}

  // ---- Properties ----
  std::shared_ptr<UITextView> textView() const { return textView_; }
  // Weak: the chat screen owns the bar.
  std::shared_ptr<ParloChatInputViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<ParloChatInputViewDelegate>& delegate) {
    delegate_ = delegate;
  }
  std::shared_ptr<NSString> text() const { return textView_->text(); }

  std::shared_ptr<UIFont> font() const { return font_; }
  // nil gives the system font at 14.
  void setFont(std::shared_ptr<UIFont> font);
  CGFloat lineSpacing() const { return lineSpacing_; }
  // A negative spacing gives 3.
  void setLineSpacing(CGFloat spacing);
  long numberOfLines() const { return numberOfLines_; }
  // Below 1 gives 4.
  void setNumberOfLines(long lines);
  long maxCharacterCount() const { return maxCharacterCount_; }
  // Negative gives 1000.
  void setMaxCharacterCount(long count);
  UIEdgeInsets textContainerInset() const { return textContainerInset_; }
  // Any negative side gives (6, 16, 6, 16).
  void setTextContainerInset(UIEdgeInsets insets);
  std::shared_ptr<NSString> placeholder() const { return placeholder_; }
  // nil gives "Message...".
  void setPlaceholder(const std::shared_ptr<NSString>& placeholder);

  std::shared_ptr<UILabel> placeholderLabel() const { return placeholderLabel_; }
  std::shared_ptr<UIImageView> cameraImage() const { return cameraImage_; }
  std::shared_ptr<UIButton> sendBtn() const { return sendBtn_; }
  std::shared_ptr<UIView> toolView() const { return toolView_; }
  std::shared_ptr<UIImageView> toolImage() const { return toolImage_; }
  CGFloat textViewMinContentHeight() const { return textViewMinContentHeight_; }
  CGFloat textViewMaxContentHeight() const { return textViewMaxContentHeight_; }
  bool showPromptFlag() const { return showPromptFlag_; }

  // ---- UIView ----
  // A change of width places the field again.
  void layoutSubviews() override;
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

  // ---- UITextViewDelegate ----
  bool textViewShouldBeginEditing(const std::shared_ptr<UITextView>&) override { return true; }
  void textViewDidBeginEditing(const std::shared_ptr<UITextView>&) override {}
  bool textViewShouldEndEditing(const std::shared_ptr<UITextView>&) override { return true; }
  // Losing focus commits composed text without asking: it is held to the limit here.
  void textViewDidEndEditing(const std::shared_ptr<UITextView>& textView) override;
  bool shouldChangeTextInRange(const std::shared_ptr<UITextView>& textView, NSRange range,
                               const std::string& replacementText) override;
  void textViewDidChange(const std::shared_ptr<UITextView>& textView) override;

 private:
  // Both send actions; `fromSender` picks the delegate call.
  void submitMessage(bool fromSender);
  // The text's height at the field's width, rounded up and kept within the two limits.
  CGFloat fittingContentHeight() const;
  // The field `contentHeight` tall (plus its insets), and the bar 16 taller, bottom kept.
  void applyContentHeight(CGFloat contentHeight);
  void applyBorderColor();
  void tellDelegateTextChanged();

  std::shared_ptr<UITextView> textView_;
  std::weak_ptr<ParloChatInputViewDelegate> delegate_;
  std::shared_ptr<UIFont> font_;
  CGFloat lineSpacing_ = 2.0;
  long numberOfLines_ = 4;
  long maxCharacterCount_ = 1000;
  UIEdgeInsets textContainerInset_{9, 47, 9, 60};
  std::shared_ptr<NSString> placeholder_;
  std::shared_ptr<UILabel> placeholderLabel_;
  std::shared_ptr<UIImageView> cameraImage_;
  std::shared_ptr<UIButton> sendBtn_;
  std::shared_ptr<UIView> toolView_;
  std::shared_ptr<UIImageView> toolImage_;
  CGFloat textViewMinContentHeight_ = 0;
  CGFloat textViewMaxContentHeight_ = 0;
  bool showPromptFlag_ = false;
  // The width setupLayout last placed the field for.
  CGFloat laidOutWidth_ = -1;
};
