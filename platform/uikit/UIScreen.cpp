#include "uikit/UIScreen.h"

OBJC_CLASS_IMPL(UIScreen) {}

std::shared_ptr<UIScreen> UIScreen::mainScreen() {
  static const auto screen = UIScreen::alloc();
  return screen;
}

std::shared_ptr<UITraitCollection> UIScreen::traitCollection() const {
  return UITraitCollection::traitCollectionWithUserInterfaceStyle(style_);
}
