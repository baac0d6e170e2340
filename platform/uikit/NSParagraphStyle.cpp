#include "uikit/NSParagraphStyle.h"

#include <algorithm>
#include <functional>

#include "foundation/NSString.h"

OBJC_CLASS_IMPL(NSParagraphStyle) {
  c.method("lineSpacing", &NSParagraphStyle::lineSpacing)
      .method("alignment", &NSParagraphStyle::alignment)
      .method("lineBreakMode", &NSParagraphStyle::lineBreakMode);
}

OBJC_CLASS_IMPL(NSMutableParagraphStyle) {
  c.method("setLineSpacing:", &NSMutableParagraphStyle::setLineSpacing)
      .method("setAlignment:", &NSMutableParagraphStyle::setAlignment)
      .method("setLineBreakMode:", &NSMutableParagraphStyle::setLineBreakMode);
}

std::shared_ptr<NSParagraphStyle> NSParagraphStyle::defaultParagraphStyle() {
  static const auto style = NSParagraphStyle::alloc()->init();
  return style;
}

std::shared_ptr<NSParagraphStyle> NSParagraphStyle::copy() const {
  auto made = NSParagraphStyle::alloc();
  made->lineSpacing_ = lineSpacing_;
  made->alignment_ = alignment_;
  made->lineBreakMode_ = lineBreakMode_;
  return made;
}

std::shared_ptr<NSMutableParagraphStyle> NSParagraphStyle::mutableCopy() const {
  auto made = NSMutableParagraphStyle::alloc()->init();
  made->setParagraphStyle(*this);
  return made;
}

bool NSParagraphStyle::isEqual(const id& other) const {
  auto style = std::dynamic_pointer_cast<NSParagraphStyle>(other);
  return style && style->lineSpacing_ == lineSpacing_ && style->alignment_ == alignment_ &&
         style->lineBreakMode_ == lineBreakMode_;
}

size_t NSParagraphStyle::hash() const {
  return std::hash<double>()(lineSpacing_) ^ (static_cast<size_t>(alignment_) << 4) ^
         static_cast<size_t>(lineBreakMode_);
}

std::string NSParagraphStyle::description() const {
  return NSString::formatUTF8("%s Alignment %ld, LineSpacing %g, LineBreakMode %ld",
                              NSObject::description(), static_cast<long>(alignment_), lineSpacing_,
                              static_cast<long>(lineBreakMode_));
}

void NSMutableParagraphStyle::setLineSpacing(CGFloat spacing) {
  lineSpacing_ = std::max<CGFloat>(spacing, 0);
}

void NSMutableParagraphStyle::setParagraphStyle(const NSParagraphStyle& other) {
  lineSpacing_ = other.lineSpacing();
  alignment_ = other.alignment();
  lineBreakMode_ = other.lineBreakMode();
}
