#include "uikit/UITextInput.h"

#include <pango/pango.h>

#include <algorithm>

#include "foundation/UTF16.h"
#include "uikit/UIKeyboard.h"
#include "uikit/UIPasteboard.h"
#include "uikit/UITapGestureRecognizer.h"
#include "uikit/UIView.h"

namespace {

// Byte offsets in `utf8` (well-formed) where a user-perceived character starts, plus the end.
std::vector<size_t> characterBoundaries(const std::string& utf8) {
  std::vector<size_t> boundaries;
  if (utf8.empty()) return {0};
  glong characters = g_utf8_strlen(utf8.data(), static_cast<gssize>(utf8.size()));
  std::vector<PangoLogAttr> attributes(static_cast<size_t>(characters) + 1);
  pango_get_log_attrs(utf8.data(), static_cast<int>(utf8.size()), -1, pango_language_get_default(),
                      attributes.data(), static_cast<int>(attributes.size()));
  const char* start = utf8.data();
  const char* at = start;
  for (glong i = 0; i <= characters; ++i) {
    if (attributes[static_cast<size_t>(i)].is_cursor_position || i == 0 || i == characters) {
      boundaries.push_back(static_cast<size_t>(at - start));
    }
    if (i < characters) at = g_utf8_next_char(at);
  }
  return boundaries;
}

}  // namespace

std::vector<std::string> UITextGraphemes(std::string_view utf8) {
  // Round-tripping replaces malformed sequences, which Pango must not see.
  std::string text = toUTF8(toUTF16(utf8));
  std::vector<size_t> boundaries = characterBoundaries(text);
  std::vector<std::string> graphemes;
  for (size_t i = 0; i + 1 < boundaries.size(); ++i) {
    graphemes.push_back(text.substr(boundaries[i], boundaries[i + 1] - boundaries[i]));
  }
  return graphemes;
}

size_t UITextPreviousCharacterBoundary(std::u16string_view text, size_t index) {
  index = std::min(index, text.size());
  if (index == 0) return 0;
  std::string prefix = toUTF8(text.substr(0, index));
  std::vector<size_t> boundaries = characterBoundaries(prefix);
  // The boundary before the end of the prefix; boundaries always hold 0 and the end.
  size_t start = boundaries.size() >= 2 ? boundaries[boundaries.size() - 2] : 0;
  size_t units = utf16Length(std::string_view(prefix).substr(0, start));
  // A lone surrogate became U+FFFD (one unit): never step back further than the text allows.
  return std::min(units, index - 1);
}

// ---- Edits ----

void UITextInput::insertText(std::string_view utf8) {
  replace(markedRange_ ? *markedRange_ : selectedRange_, utf8, false, {});
}

void UITextInput::deleteBackward() {
  std::u16string text = editingText();
  if (markedRange_) {
    NSRange marked = clampedToText(*markedRange_);
    std::u16string_view composing =
        std::u16string_view(text).substr(marked.location, marked.length);
    size_t keep = UITextPreviousCharacterBoundary(composing, composing.size());
    std::string shorter = toUTF8(composing.substr(0, keep));
    setMarkedText(shorter, NSMakeRange(keep, 0));
    return;
  }
  NSRange range = clampedToText(selectedRange_);
  if (range.length == 0) {
    if (range.location == 0) return;
    size_t start = UITextPreviousCharacterBoundary(text, range.location);
    range = NSMakeRange(start, range.location - start);
  }
  replace(range, "", false, {});
}

void UITextInput::setMarkedText(std::string_view utf8, NSRange selectedRange) {
  replace(markedRange_ ? *markedRange_ : selectedRange_, utf8, true, selectedRange);
}

std::string UITextInput::markedText() const {
  if (!markedRange_) return "";
  NSRange marked = clampedToText(*markedRange_);
  return toUTF8(std::u16string_view(editingText()).substr(marked.location, marked.length));
}

void UITextInput::unmarkText() {
  markedRange_.reset();
}

void UITextInput::pasteFromPasteboard() {
  auto string = UIPasteboard::generalPasteboard()->string();
  if (!string || string->empty()) return;
  insertText(*string);
}

bool UITextInput::replace(NSRange range, std::string_view utf8, bool marked,
                          NSRange selectionInside) {
  auto keep = retainForEditing();
  range = clampedToText(range);
  std::string replacement(utf8);
  if (!shouldReplaceText(range, replacement)) return false;
  // The delegate may have changed the text while it was asked.
  range = clampedToText(range);
  std::u16string units = toUTF16(replacement);
  replaceText(range, units);
  if (marked && !units.empty()) {
    markedRange_ = NSMakeRange(range.location, units.size());
    size_t start = std::min<size_t>(selectionInside.location, units.size());
    size_t length = std::min<size_t>(selectionInside.length, units.size() - start);
    selectedRange_ = NSMakeRange(range.location + start, length);
  } else {
    markedRange_.reset();
    selectedRange_ = NSMakeRange(range.location + units.size(), 0);
  }
  editingDidChangeSelection();
  editingDidChangeText();
  return true;
}

// ---- Focus ----

bool UITextInput::takeFocus(UIView& owner, const std::function<bool()>& becomeResponder) {
  if (owner.isFirstResponder()) return true;
  if (!owner.canBecomeFirstResponder() || !owner.window()) return false;
  auto keep = retainForEditing();
  if (!shouldBeginEditing()) return false;
  {
    // The keyboard comes up (or stays) once the delegate has heard that editing began.
    UIKeyboard::FocusTransfer transfer;
    if (!becomeResponder()) return false;
    owner.setNeedsDisplay();
    didBeginEditing();
  }
  return true;
}

bool UITextInput::giveUpFocus(UIView& owner, const std::function<bool()>& resignResponder) {
  if (!owner.isFirstResponder()) return resignResponder();
  auto keep = retainForEditing();
  if (!shouldEndEditing()) return false;
  if (!resignResponder()) return false;
  // What was being composed stays as typed.
  unmarkText();
  owner.setNeedsDisplay();
  didEndEditing();
  UIKeyboard::shared().firstResponderDidChange();
  return true;
}

void UITextInput::resignOutsideWindow(UIView& owner) {
  if (!owner.window() && owner.isFirstResponder()) owner.resignFirstResponder();
}

bool UITextInput::keepsTapFrom(const UIView& owner,
                               const std::shared_ptr<UIGestureRecognizer>& recognizer,
                               bool takesTaps) {
  auto tap = std::dynamic_pointer_cast<UITapGestureRecognizer>(recognizer);
  return tap && recognizer->view().get() != &owner && tap->numberOfTapsRequired() == 1 && takesTaps;
}

// ---- Selection ----

void UITextInput::setSelectedRange(NSRange range) {
  selectedRange_ = clampedToText(range);
}

void UITextInput::resetEditingState(size_t length) {
  markedRange_.reset();
  selectedRange_ = NSMakeRange(length, 0);
}

NSRange UITextInput::clampedToText(NSRange range) const {
  std::u16string text = editingText();
  size_t start = utf16SafeCutIndex(text, std::min<size_t>(range.location, text.size()));
  size_t requestedEnd = range.location + std::min<size_t>(range.length, text.size());
  size_t end = utf16SafeCutIndex(text, std::min<size_t>(requestedEnd, text.size()));
  return NSMakeRange(start, std::max(end, start) - start);
}
