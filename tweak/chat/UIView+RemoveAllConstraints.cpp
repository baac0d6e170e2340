#include "chat/UIView+RemoveAllConstraints.h"

#include <vector>

void removeAllConstraints(const std::shared_ptr<UIView>& view) {
  const NSObject* self = view.get();
  for (auto ancestor = view->superview(); ancestor; ancestor = ancestor->superview()) {
    std::vector<std::shared_ptr<NSLayoutConstraint>> involving;
    for (const auto& constraint : ancestor->constraints()) {
      if (constraint->firstItem().get() == self || constraint->secondItem().get() == self) {
        involving.push_back(constraint);
      }
    }
    ancestor->removeConstraints(involving);
  }
  // A copy: removing changes the list being walked.
  const std::vector<std::shared_ptr<NSLayoutConstraint>> own = view->constraints();
  view->removeConstraints(own);
  view->setTranslatesAutoresizingMaskIntoConstraints(true);
}
