#include "IGDirectInboxViewController.h"

#include "IGDirectThreadViewController.h"
#include "IGProfilePictureView.h"
#include "uikit/UIControl.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UINavigationController.h"

namespace {

// One thread in the list: the avatar, the name and the latest message.
class IGDirectInboxRow : public UIControl {
  OBJC_CLASS(IGDirectInboxRow, UIControl);

 public:
  std::shared_ptr<IGDirectInboxRow> initWithThread(const DirectThread& thread) {
    initWithFrame(CGRectZero);
    const auto& user = thread.users.front();
    avatar_ = IGProfilePictureView::alloc()->initWithURL(user->profilePicURL());
    avatar_->setUserInteractionEnabled(false);
    addSubview(avatar_);

    std::string name = user->fullName();
    for (size_t i = 1; i < thread.users.size(); ++i) name += ", " + thread.users[i]->fullName();
    nameLabel_ = UILabel::alloc()->init();
    nameLabel_->setText(name);
    nameLabel_->setFont(UIFont::systemFontOfSize(15));
    addSubview(nameLabel_);

    std::string preview;
    if (!thread.messages.empty()) {
      const DirectMessage& last = thread.messages.back();
      preview = (last.outgoing ? "You: " : "") + last.text;
    }
    if (!thread.lastActivity.empty()) preview += " · " + thread.lastActivity;
    previewLabel_ = UILabel::alloc()->init();
    previewLabel_->setText(preview);
    previewLabel_->setFont(UIFont::systemFontOfSize(14));
    previewLabel_->setTextColor(UIColor::secondaryLabelColor());
    addSubview(previewLabel_);
    return selfAs<IGDirectInboxRow>();
  }

  void layoutSubviews() override {
    UIControl::layoutSubviews();
    CGFloat width = bounds().size.width;
    avatar_->setFrame({{16, 8}, {56, 56}});
    nameLabel_->setFrame({{84, 16}, {width - 100, 20}});
    previewLabel_->setFrame({{84, 38}, {width - 100, 18}});
  }

  void setHighlighted(bool highlighted) override {
    UIControl::setHighlighted(highlighted);
    setBackgroundColor(highlighted ? UIColor::systemGray6Color() : nullptr);
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
  std::vector<std::shared_ptr<IGDirectInboxRow>> rows;

  void layoutSubviews() override {
    UIView::layoutSubviews();
    CGFloat width = bounds().size.width;
    CGFloat top = safeAreaInsets().top;
    accountLabel->setFrame({{16, top + 8}, {width - 32, 28}});
    sectionLabel->setFrame({{16, top + 52}, {width - 32, 20}});
    CGFloat y = top + 80;
    for (const auto& row : rows) {
      row->setFrame({{0, y}, {width, 72}});
      y += 72;
    }
    emptyLabel->setFrame({{16, y + 40}, {width - 32, 20}});
  }
};

}  // namespace

OBJC_CLASS_IMPL(IGDirectInboxRow) {}
OBJC_CLASS_IMPL(IGDirectInboxView) {}

OBJC_CLASS_IMPL(IGDirectInboxViewController) {
  c.method("rowTapped:", &IGDirectInboxViewController::rowTapped);
}

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

  for (size_t i = 0; i < threads_.size(); ++i) {
    auto row = IGDirectInboxRow::alloc()->initWithThread(threads_[i]);
    row->setTag(static_cast<long>(i));
    row->addTarget(self(), SEL("rowTapped:"), UIControlEventTouchUpInside);
    root->addSubview(row);
    root->rows.push_back(row);
  }

  root->emptyLabel = UILabel::alloc()->init();
  root->emptyLabel->setText("No messages yet");
  root->emptyLabel->setTextAlignment(NSTextAlignmentCenter);
  root->emptyLabel->setTextColor(UIColor::secondaryLabelColor());
  root->emptyLabel->setHidden(!threads_.empty());
  root->addSubview(root->emptyLabel);
  setView(root);
}

void IGDirectInboxViewController::rowTapped(id sender) {
  if (auto row = std::dynamic_pointer_cast<UIView>(sender)) {
    openThreadAtIndex(static_cast<size_t>(row->tag()));
  }
}

void IGDirectInboxViewController::openThreadAtIndex(size_t index) {
  if (index >= threads_.size()) return;
  auto thread = IGDirectThreadViewController::alloc()->initWithThread(threads_[index]);
  if (auto navigation = navigationController()) navigation->pushViewController(thread, true);
}
