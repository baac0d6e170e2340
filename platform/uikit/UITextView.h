#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "foundation/NSNotification.h"
#include "foundation/NSString.h"
#include "uikit/Forward.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSParagraphStyle.h"
#include "uikit/UIFont.h"
#include "uikit/UIScrollView.h"
#include "uikit/UITextInput.h"

inline const NSNotificationName UITextViewTextDidBeginEditingNotification =
    "UITextViewTextDidBeginEditingNotification";
inline const NSNotificationName UITextViewTextDidChangeNotification =
    "UITextViewTextDidChangeNotification";
inline const NSNotificationName UITextViewTextDidEndEditingNotification =
    "UITextViewTextDidEndEditingNotification";

// What a text view tells its delegate, besides scrolling. Every method is optional.
class UITextViewDelegate : public UIScrollViewDelegate {
 public:
  virtual bool textViewShouldBeginEditing(const std::shared_ptr<UITextView>&) { return true; }
  virtual void textViewDidBeginEditing(const std::shared_ptr<UITextView>&) {}
  virtual bool textViewShouldEndEditing(const std::shared_ptr<UITextView>&) { return true; }
  virtual void textViewDidEndEditing(const std::shared_ptr<UITextView>&) {}
  // Asked before every edit by the user (a typed character, a deletion, a paste as a whole, a
  // change of the marked text), with the range it replaces in UTF-16 units. Answering NO drops
  // the edit; the delegate may make another change itself.
  virtual bool shouldChangeTextInRange(const std::shared_ptr<UITextView>&, NSRange range,
                                       const std::string& replacementText) {
    (void)range;
    (void)replacementText;
    return true;
  }
  // After an edit by the user, not after the text is set in code.
  virtual void textViewDidChange(const std::shared_ptr<UITextView>&) {}
  virtual void textViewDidChangeSelection(const std::shared_ptr<UITextView>&) {}
};

// Where a text view lays its lines out: the padding at both ends of every line.
class NSTextContainer : public NSObject {
  OBJC_CLASS(NSTextContainer, NSObject);

 public:
  // 5 points by default.
  CGFloat lineFragmentPadding() const { return lineFragmentPadding_; }
  void setLineFragmentPadding(CGFloat padding);

 private:
  friend class UITextView;
  CGFloat lineFragmentPadding_ = 5;
  std::weak_ptr<UITextView> textView_;
};

// Kept for callers that set its flag; text is always laid out whole.
class NSLayoutManager : public NSObject {
  OBJC_CLASS(NSLayoutManager, NSObject);

 public:
  bool allowsNonContiguousLayout() const { return allowsNonContiguousLayout_; }
  void setAllowsNonContiguousLayout(bool allows) { allowsNonContiguousLayout_ = allows; }

 private:
  bool allowsNonContiguousLayout_ = false;
};

// Scrollable, editable multi-line text. Its content is the text laid out at the view's width
// inside textContainerInset, with the container's line padding at both ends of each line; the
// content size follows the text, so a text taller than the view scrolls.
//
// Editing: a tap (or becomeFirstResponder) makes it first responder, which brings the keyboard
// up; it needs to be in a window for that. Keys edit the text at the selection through
// UITextInput, asking the delegate first. A tap on the text view belongs to it: single-tap
// recognisers of the views around it do not fire for it.
class UITextView : public UIScrollView, public UITextInput {
  OBJC_CLASS(UITextView, UIScrollView);

 public:
  UITextView();
  ~UITextView() override;

  std::shared_ptr<UITextView> init() { return initWithFrame(CGRectZero); }
  std::shared_ptr<UITextView> initWithFrame(CGRect frame);

  // ---- Text ----
  // Never nil. Setting the text in code drops the marked text, puts the caret at the end and
  // tells no delegate.
  std::shared_ptr<NSString> text() const;
  void setText(std::string_view utf8);
  void setText(const std::shared_ptr<NSString>& text);
  // The text with its attributes; a run without a font or colour shows in the view's.
  std::shared_ptr<NSAttributedString> attributedText() const;
  void setAttributedText(const std::shared_ptr<NSAttributedString>& text);

  // nil (the default) shows the system font at 12 points, as the platform does. Setting either
  // applies it to the whole text.
  std::shared_ptr<UIFont> font() const { return font_; }
  void setFont(const std::shared_ptr<UIFont>& font);
  // nil means the label colour.
  std::shared_ptr<UIColor> textColor() const { return textColor_; }
  void setTextColor(const std::shared_ptr<UIColor>& color);
  NSTextAlignment textAlignment() const { return textAlignment_; }
  void setTextAlignment(NSTextAlignment alignment);

  // {8, 0, 8, 0} by default.
  UIEdgeInsets textContainerInset() const { return textContainerInset_; }
  void setTextContainerInset(UIEdgeInsets insets);
  const std::shared_ptr<NSTextContainer>& textContainer() const { return textContainer_; }
  const std::shared_ptr<NSLayoutManager>& layoutManager() const { return layoutManager_; }

  bool isEditable() const { return editable_; }
  void setEditable(bool editable);
  bool isSelectable() const { return selectable_; }
  void setSelectable(bool selectable) { selectable_ = selectable; }
  bool acceptsTyping() const override { return editable_; }

  // Weak; it is also the scroll view's delegate.
  std::shared_ptr<UITextViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<UITextViewDelegate>& delegate);

  // ---- Size and scrolling ----
  // The width given (or, when it is not positive, the text's own plus the insets) and the height
  // of the text laid out at that width plus the vertical insets. An empty text, or an empty last
  // line after a line break, counts as a line of the font. Not rounded.
  CGSize sizeThatFits(CGSize size) const override;
  void layoutSubviews() override;
  // With scrolling off the view is as tall as its text at its width, for Auto Layout.
  CGSize intrinsicContentSize() const override;
  // Scrolls the least distance that shows the range's first character (its caret position for an
  // empty range), when the content is taller than the view.
  void scrollRangeToVisible(NSRange range);
  // Where a caret before the UTF-16 index stands, 2 points wide, in the view's content.
  CGRect caretRectForIndex(size_t index) const;
  // The caret position (UTF-16 index) nearest to a point in the view's content.
  size_t closestIndexToPoint(CGPoint point) const;

  // ---- Focus ----
  bool canBecomeFirstResponder() const override { return editable_ || selectable_; }
  // Asks the delegate, needs a window; the keyboard comes up (or stays, when focus comes from
  // another text input).
  bool becomeFirstResponder() override;
  // Asks the delegate; commits marked text; the keyboard goes down unless another text input
  // takes focus.
  bool resignFirstResponder() override;
  void didMoveToWindow() override;
  bool gestureRecognizerShouldBegin(
      const std::shared_ptr<UIGestureRecognizer>& recognizer) override;

  // UIResponderStandardEditActions.
  void paste(const id& sender);
  // The return key inserts a line break, asking the delegate like any typed character.
  void returnKeyPressed() override { insertText("\n"); }

  // Draws the text and, while first responder, the caret (2 points, tint colour) or the
  // selection, and a line under the marked text.
  void drawRect(CGRect rect) override;

 protected:
  std::u16string editingText() const override;
  bool shouldReplaceText(NSRange range, const std::string& replacement) override;
  void replaceText(NSRange range, std::u16string_view replacement) override;
  void editingDidChangeText() override;
  void editingDidChangeSelection() override;
  std::shared_ptr<void> retainForEditing() override { return shared_from_this(); }
  bool shouldBeginEditing() override;
  bool shouldEndEditing() override;
  void didBeginEditing() override;
  void didEndEditing() override;

 private:
  friend class NSTextContainer;

  void tapped(std::shared_ptr<UIGestureRecognizer> recognizer);
  // The attributes new text takes: the view's font, colour and alignment.
  std::shared_ptr<NSDictionary> typingAttributes() const;
  // Fills in the view's font and colour where a run has none.
  std::shared_ptr<NSAttributedString> displayedText() const;
  std::shared_ptr<UIFont> effectiveFont() const;
  // The width lines wrap at for a view `width` wide (not positive: unlimited).
  CGFloat lineWidthFor(CGFloat width) const;
  CGPoint textOrigin() const;
  void textDidChange();
  void updateContentSize();
  // Applies an attribute to every character, keeping the other attributes.
  void applyToWholeText(NSAttributedStringKey name, const id& value);

  std::shared_ptr<NSMutableAttributedString> storage_;
  // What the text had when the user deleted all of it: the next typed text takes it.
  std::shared_ptr<NSDictionary> keptAttributes_;
  std::shared_ptr<UIFont> font_;
  std::shared_ptr<UIColor> textColor_;
  NSTextAlignment textAlignment_ = NSTextAlignmentNatural;
  UIEdgeInsets textContainerInset_{8, 0, 8, 0};
  std::shared_ptr<NSTextContainer> textContainer_;
  std::shared_ptr<NSLayoutManager> layoutManager_;
  bool editable_ = true;
  bool selectable_ = true;
  std::weak_ptr<UITextViewDelegate> delegate_;
  std::shared_ptr<UITapGestureRecognizer> tap_;
};
