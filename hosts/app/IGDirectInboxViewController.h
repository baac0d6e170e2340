#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DirectInbox.h"
#include "uikit/UIViewController.h"

// The Direct inbox: one row per thread; tapping a row opens the thread.
class IGDirectInboxViewController : public UIViewController {
  OBJC_CLASS(IGDirectInboxViewController, UIViewController);

 public:
  std::shared_ptr<IGDirectInboxViewController> initWithHomeDirectory(
      const std::string& homeDirectory);

  const std::vector<DirectThread>& threads() const { return threads_; }
  void openThreadAtIndex(size_t index);

  void loadView() override;

 private:
  void rowTapped(id sender);

  std::vector<DirectThread> threads_;
};
