#include "uikit/UIGraphics.h"

#include <vector>

#include "uikit/UIView.h"

namespace {
std::vector<CGContextRef>& contextStack() {
  static std::vector<CGContextRef> stack;
  return stack;
}
UIDisplayDamageObserver& damageObserver() {
  static UIDisplayDamageObserver observer;
  return observer;
}
}  // namespace

CGContextRef UIGraphicsGetCurrentContext() {
  auto& stack = contextStack();
  return stack.empty() ? nullptr : stack.back();
}

void UIGraphicsPushContext(CGContextRef context) {
  contextStack().push_back(context);
}

void UIGraphicsPopContext() {
  auto& stack = contextStack();
  if (!stack.empty()) stack.pop_back();
}

void UIGraphicsSetDamageObserver(UIDisplayDamageObserver observer) {
  damageObserver() = std::move(observer);
}

void UIGraphicsReportDamage(const std::shared_ptr<UIView>& view, CGRect rect) {
  if (damageObserver()) damageObserver()(view, rect);
}

void UIView::setNeedsDisplay() {
  setNeedsDisplayInRect(bounds());
}

void UIView::setNeedsDisplayInRect(CGRect rect) {
  // A view still being made (not yet owned) has never been drawn, so there is nothing to redo.
  auto self = weak_from_this().lock();
  if (!self) return;
  UIGraphicsReportDamage(std::static_pointer_cast<UIView>(self), rect);
}
