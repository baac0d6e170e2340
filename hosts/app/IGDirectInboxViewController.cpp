#include "IGDirectInboxViewController.h"

#include "IGDirectThreadViewController.h"
#include "IGProfilePictureView.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UINavigationController.h"

namespace {

// One thread in the list: the avatar, the names and the latest message.
class IGDirectInboxCell : public UITableViewCell {
  OBJC_CLASS(IGDirectInboxCell, UITableViewCell);

 public:
  std::shared_ptr<IGDirectInboxCell> initWithStyle(UITableViewCellStyle style,
                                                   const std::string& reuseIdentifier) {
    UITableViewCell::initWithStyle(style, reuseIdentifier);
    nameLabel_ = UILabel::alloc()->init();
    nameLabel_->setFont(UIFont::systemFontOfSize(15));
    contentView()->addSubview(nameLabel_);
    previewLabel_ = UILabel::alloc()->init();
    previewLabel_->setFont(UIFont::systemFontOfSize(14));
    previewLabel_->setTextColor(UIColor::secondaryLabelColor());
    contentView()->addSubview(previewLabel_);
    return selfAs<IGDirectInboxCell>();
  }

  void showThread(const DirectThread& thread) {
    const auto& user = thread.users.front();
    if (avatar_) avatar_->removeFromSuperview();
    avatar_ = IGProfilePictureView::alloc()->initWithURL(user->profilePicURL());
    contentView()->addSubview(avatar_);

    std::string name = user->fullName();
    for (size_t i = 1; i < thread.users.size(); ++i) name += ", " + thread.users[i]->fullName();
    nameLabel_->setText(name);

    std::string preview;
    if (!thread.messages.empty()) {
      const DirectMessage& last = thread.messages.back();
      preview = (last.outgoing ? "You: " : "") + last.text;
    }
    if (!thread.lastActivity.empty()) preview += " · " + thread.lastActivity;
    previewLabel_->setText(preview);
    setNeedsLayout();
  }

  void layoutSubviews() override {
    UITableViewCell::layoutSubviews();
    CGFloat width = contentView()->bounds().size.width;
    if (avatar_) avatar_->setFrame({{16, 8}, {56, 56}});
    nameLabel_->setFrame({{84, 16}, {width - 100, 20}});
    previewLabel_->setFrame({{84, 38}, {width - 100, 18}});
  }

 private:
  std::shared_ptr<IGProfilePictureView> avatar_;
  std::shared_ptr<UILabel> nameLabel_;
  std::shared_ptr<UILabel> previewLabel_;
};

// The inbox's root view: the account header, the section title and the rows, top to bottom.
class IGDirectInboxView : public UIView {
  OBJC_CLASS(IGDirectInboxView, UIView);

 public:
  std::shared_ptr<UILabel> accountLabel;
  std::shared_ptr<UILabel> sectionLabel;
  std::shared_ptr<UILabel> emptyLabel;
  std::shared_ptr<UITableView> tableView;

  void layoutSubviews() override {
    UIView::layoutSubviews();
    CGFloat width = bounds().size.width;
    CGFloat top = safeAreaInsets().top;
    accountLabel->setFrame({{16, top + 8}, {width - 32, 28}});
    sectionLabel->setFrame({{16, top + 52}, {width - 32, 20}});
    CGFloat y = top + 80;
    tableView->setFrame({{0, y}, {width, bounds().size.height - y}});
    emptyLabel->setFrame({{16, y + 40}, {width - 32, 20}});
  }
};

}  // namespace

OBJC_CLASS_IMPL(IGDirectInboxCell) {}
OBJC_CLASS_IMPL(IGDirectInboxView) {}

OBJC_CLASS_IMPL(IGDirectInboxViewController) {}

std::shared_ptr<IGDirectInboxViewController> IGDirectInboxViewController::initWithHomeDirectory(
    const std::string& homeDirectory) {
  init();
  threads_ = DirectInbox::load(homeDirectory);
  return selfAs<IGDirectInboxViewController>();
}

void IGDirectInboxViewController::loadView() {
  auto root = IGDirectInboxView::alloc();
  root->initWithFrame(CGRectZero);
  root->setBackgroundColor(UIColor::systemBackgroundColor());

  root->accountLabel = UILabel::alloc()->init();
  root->accountLabel->setText("parlo.sample");
  root->accountLabel->setFont(UIFont::systemFontOfSize(22, UIFontWeightBold));
  root->addSubview(root->accountLabel);

  root->sectionLabel = UILabel::alloc()->init();
  root->sectionLabel->setText("Messages");
  root->sectionLabel->setFont(UIFont::systemFontOfSize(16, UIFontWeightSemibold));
  root->addSubview(root->sectionLabel);

  root->tableView = UITableView::alloc()->initWithFrame(CGRectZero, UITableViewStylePlain);
  root->tableView->setRowHeight(72);
  root->tableView->setSeparatorStyle(UITableViewCellSeparatorStyleNone);
  root->tableView->registerClass<IGDirectInboxCell>("IGDirectInboxCell");
  auto controller = selfAs<IGDirectInboxViewController>();
  root->tableView->setDataSource(controller);
  root->tableView->setDelegate(controller);
  root->addSubview(root->tableView);

  root->emptyLabel = UILabel::alloc()->init();
  root->emptyLabel->setText("No messages yet");
  root->emptyLabel->setTextAlignment(NSTextAlignmentCenter);
  root->emptyLabel->setTextColor(UIColor::secondaryLabelColor());
  root->emptyLabel->setHidden(!threads_.empty());
  root->addSubview(root->emptyLabel);
  setView(root);
}

long IGDirectInboxViewController::numberOfRowsInSection(const std::shared_ptr<UITableView>&, long) {
  return static_cast<long>(threads_.size());
}

std::shared_ptr<UITableViewCell> IGDirectInboxViewController::cellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const IndexPath& indexPath) {
  auto cell = std::static_pointer_cast<IGDirectInboxCell>(
      tableView->dequeueReusableCellWithIdentifier("IGDirectInboxCell", indexPath));
  cell->showThread(threads_.at(static_cast<size_t>(indexPath->row())));
  return cell;
}

void IGDirectInboxViewController::didSelectRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const IndexPath& indexPath) {
  // The row does not stay selected once its thread is open.
  tableView->deselectRowAtIndexPath(indexPath, false);
  openThreadAtIndex(static_cast<size_t>(indexPath->row()));
}

void IGDirectInboxViewController::openThreadAtIndex(size_t index) {
  if (index >= threads_.size()) return;
  auto thread = IGDirectThreadViewController::alloc()->initWithThread(threads_[index]);
  if (auto navigation = navigationController()) navigation->pushViewController(thread, true);
}
