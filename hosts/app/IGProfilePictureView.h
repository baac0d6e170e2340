#pragma once

#include <memory>

#include "foundation/NSURL.h"
#include "uikit/UIImageView.h"

// A round profile picture loaded from the user's picture URL; a grey disc while there is none.
class IGProfilePictureView : public UIImageView {
  OBJC_CLASS(IGProfilePictureView, UIImageView);

 public:
  std::shared_ptr<IGProfilePictureView> initWithURL(const std::shared_ptr<NSURL>& url);
  void layoutSubviews() override;
};
