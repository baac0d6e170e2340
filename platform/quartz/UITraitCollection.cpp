#include "quartz/UITraitCollection.h"

#include <utility>

OBJC_CLASS_IMPL(UITraitCollection) {}

namespace {

std::shared_ptr<UITraitCollection>& current() {
  static std::shared_ptr<UITraitCollection> collection = std::make_shared<UITraitCollection>();
  return collection;
}

}  // namespace

UITraitCollection::UITraitCollection(UIUserInterfaceStyle style) : userInterfaceStyle_(style) {}

std::shared_ptr<UITraitCollection> UITraitCollection::traitCollectionWithUserInterfaceStyle(
    UIUserInterfaceStyle style) {
  return std::make_shared<UITraitCollection>(style);
}

std::shared_ptr<UITraitCollection> UITraitCollection::currentTraitCollection() {
  return current();
}

void UITraitCollection::setCurrentTraitCollection(
    std::shared_ptr<UITraitCollection> traitCollection) {
  current() = traitCollection ? std::move(traitCollection) : std::make_shared<UITraitCollection>();
}

void UITraitCollection::performAsCurrentTraitCollection(const std::function<void()>& body) {
  struct Restore {
    std::shared_ptr<UITraitCollection> previous;
    ~Restore() { setCurrentTraitCollection(std::move(previous)); }
  } restore{current()};
  setCurrentTraitCollection(selfAs<UITraitCollection>());
  body();
}

bool UITraitCollection::hasDifferentColorAppearanceComparedToTraitCollection(
    const std::shared_ptr<UITraitCollection>& other) const {
  // Unspecified resolves as light, but a colour provider may tell them apart.
  UIUserInterfaceStyle otherStyle =
      other ? other->userInterfaceStyle() : UIUserInterfaceStyleUnspecified;
  return otherStyle != userInterfaceStyle_;
}

bool UITraitCollection::isEqual(const id& other) const {
  auto collection = std::dynamic_pointer_cast<UITraitCollection>(other);
  return collection && collection->userInterfaceStyle_ == userInterfaceStyle_;
}
