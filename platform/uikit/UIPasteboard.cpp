#include "uikit/UIPasteboard.h"

OBJC_CLASS_IMPL(UIPasteboard) {}

std::shared_ptr<UIPasteboard> UIPasteboard::generalPasteboard() {
  static const std::shared_ptr<UIPasteboard> general = UIPasteboard::alloc();
  return general;
}

void UIPasteboard::setString(std::optional<std::string> string) {
  string_ = std::move(string);
  ++changeCount_;
}
