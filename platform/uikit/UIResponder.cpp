#include "uikit/UIResponder.h"

OBJC_CLASS_IMPL(UIResponder) {
  c.method("nextResponder", &UIResponder::nextResponder)
      .method("becomeFirstResponder", &UIResponder::becomeFirstResponder)
      .method("resignFirstResponder", &UIResponder::resignFirstResponder)
      .method("isFirstResponder", &UIResponder::isFirstResponder)
      .method("canBecomeFirstResponder", &UIResponder::canBecomeFirstResponder)
      .method("canResignFirstResponder", &UIResponder::canResignFirstResponder);
}

namespace {

std::weak_ptr<UIResponder>& firstResponderRecord() {
  static std::weak_ptr<UIResponder> record;
  return record;
}

}  // namespace

void UIResponder::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (auto next = nextResponder()) next->touchesBegan(touches, event);
}

void UIResponder::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (auto next = nextResponder()) next->touchesMoved(touches, event);
}

void UIResponder::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (auto next = nextResponder()) next->touchesEnded(touches, event);
}

void UIResponder::touchesCancelled(const UITouchSet& touches,
                                   const std::shared_ptr<UIEvent>& event) {
  if (auto next = nextResponder()) next->touchesCancelled(touches, event);
}

bool UIResponder::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!canBecomeFirstResponder()) return false;
  auto keep = selfAs<UIResponder>();
  if (auto current = currentFirstResponder()) {
    if (!current->resignFirstResponder()) return false;
  }
  firstResponderRecord() = keep;
  return true;
}

bool UIResponder::resignFirstResponder() {
  if (!canResignFirstResponder()) return false;
  if (isFirstResponder()) firstResponderRecord().reset();
  return true;
}

bool UIResponder::isFirstResponder() const {
  return firstResponderRecord().lock().get() == this;
}

std::shared_ptr<UIResponder> UIResponder::currentFirstResponder() {
  return firstResponderRecord().lock();
}

bool UIResponder::canPerformAction(SEL action, const id&) const {
  return respondsToSelector(action);
}

std::shared_ptr<UIResponder> UIResponder::targetForAction(SEL action, const id& sender) {
  for (auto responder = selfAs<UIResponder>(); responder; responder = responder->nextResponder()) {
    if (responder->canPerformAction(action, sender)) return responder;
  }
  return nullptr;
}
