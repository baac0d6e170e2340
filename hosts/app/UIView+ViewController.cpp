#include "UIView+ViewController.h"

#include "uikit/UIView.h"
#include "uikit/UIViewController.h"

namespace {

id viewControllerImp(id self, SEL) {
  auto view = std::dynamic_pointer_cast<UIView>(self);
  return view ? UIViewViewController::viewController(view) : nullptr;
}

}  // namespace

std::shared_ptr<UIViewController> UIViewViewController::viewController(
    const std::shared_ptr<UIView>& view) {
  for (auto responder = view ? view->nextResponder() : nullptr; responder;
       responder = responder->nextResponder()) {
    if (auto controller = std::dynamic_pointer_cast<UIViewController>(responder)) {
      return controller;
    }
  }
  return nullptr;
}

void UIViewViewController::install() {
  // A second launch in the same process (tests) finds the method already there.
  IMP imp(&viewControllerImp);
  class_addMethod(UIView::classObject(), SEL("viewController"), imp, imp.types());
}
