#pragma once

#include <memory>
#include <string>

#include "runtime/NSObject.h"

// One entry of a tutorial (BVTutorialViewController): a text and the name of the system symbol
// shown beside it.
class BVTutorialData : public NSObject {
  OBJC_CLASS(BVTutorialData, NSObject);

 public:
  std::shared_ptr<BVTutorialData> initWithDescription(std::string text, std::string icon) {
    text_ = std::move(text);
    icon_ = std::move(icon);
    return selfAs<BVTutorialData>();
  }

  // The text as given, spaces and all.
  const std::string& text() const { return text_; }
  const std::string& icon() const { return icon_; }

 private:
  std::string text_;
  std::string icon_;
};
