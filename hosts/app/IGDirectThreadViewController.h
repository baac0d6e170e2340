#pragma once

#include <memory>

#include "DirectInbox.h"
#include "IGDirectLeftAlignedTitleView.h"
#include "foundation/NSArray.h"
#include "uikit/UIViewController.h"

// A Direct thread: a header with the back button, the other person's avatar and the title view,
// the messages as bubbles, and the message bar. `_users` (the other people, first the one the
// thread is named after) is an instance variable that injected code reads by name.
class IGDirectThreadViewController : public UIViewController {
  OBJC_CLASS(IGDirectThreadViewController, UIViewController);

 public:
  std::shared_ptr<IGDirectThreadViewController> initWithThread(const DirectThread& thread);

  std::shared_ptr<NSArray> users() const { return users_; }
  std::shared_ptr<IGDirectLeftAlignedTitleView> titleView() const { return titleView_; }

  void loadView() override;

 private:
  void backPressed();

  std::shared_ptr<NSArray> users_;
  DirectThread thread_;
  std::shared_ptr<IGDirectLeftAlignedTitleView> titleView_;
};
