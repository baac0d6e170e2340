#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DirectInbox.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"

// The Direct inbox: a table with one row per thread; selecting a row opens the thread.
class IGDirectInboxViewController : public UIViewController,
                                    public UITableViewDataSource,
                                    public UITableViewDelegate {
  OBJC_CLASS(IGDirectInboxViewController, UIViewController);

 public:
  std::shared_ptr<IGDirectInboxViewController> initWithHomeDirectory(
      const std::string& homeDirectory);

  const std::vector<DirectThread>& threads() const { return threads_; }
  void openThreadAtIndex(size_t index);

  void loadView() override;

  long numberOfRowsInSection(const std::shared_ptr<UITableView>& tableView, long section) override;
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const IndexPath& indexPath) override;
  void didSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                               const IndexPath& indexPath) override;

 private:
  std::vector<DirectThread> threads_;
};
