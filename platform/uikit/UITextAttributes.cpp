#include "uikit/UITextAttributes.h"

#include <vector>

std::shared_ptr<NSDictionary> UITextAttributesMake(const std::shared_ptr<UIFont>& font,
                                                   const std::shared_ptr<UIColor>& color,
                                                   std::optional<NSTextAlignment> alignment) {
  auto attributes = NSMutableDictionary::dictionary();
  attributes->setObject(font, NSFontAttributeName);
  attributes->setObject(color, NSForegroundColorAttributeName);
  if (alignment) {
    auto style = NSMutableParagraphStyle::alloc()->init();
    style->setAlignment(*alignment);
    attributes->setObject(style->copy(), NSParagraphStyleAttributeName);
  }
  return attributes->copy();
}

std::shared_ptr<NSAttributedString> UITextFillingMissingAttributes(
    const NSAttributedString& text, const std::shared_ptr<UIFont>& font,
    const std::shared_ptr<UIColor>& color) {
  auto filled = text.mutableCopy();
  // Gathered first: adding attributes while enumerating would split the runs being visited.
  std::vector<NSRange> withoutFont, withoutColor;
  filled->enumerateAttributesInRange(
      NSMakeRange(0, filled->length()), 0,
      [&](const std::shared_ptr<NSDictionary>& attributes, NSRange range, bool*) {
        if (!attributes->objectForKey(NSFontAttributeName)) withoutFont.push_back(range);
        if (!attributes->objectForKey(NSForegroundColorAttributeName)) {
          withoutColor.push_back(range);
        }
      });
  for (NSRange range : withoutFont) filled->addAttribute(NSFontAttributeName, font, range);
  for (NSRange range : withoutColor) {
    filled->addAttribute(NSForegroundColorAttributeName, color, range);
  }
  return filled->copy();
}
