#include "IGDirectThreadViewController.h"

#include <algorithm>
#include <cmath>

#include "IGProfilePictureView.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageSymbolConfiguration.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIScrollView.h"

namespace {

std::shared_ptr<UIColor> outgoingBubbleColor() {
  static auto color = UIColor::colorWithRed(0.216, 0.408, 0.965, 1);
  return color;
}

std::shared_ptr<UIColor> incomingBubbleColor() {
  static auto color = UIColor::colorWithDynamicProvider([](const auto& traits) {
    return traits->userInterfaceStyle() == UIUserInterfaceStyleDark
               ? UIColor::colorWithWhite(0.15, 1)
               : UIColor::colorWithWhite(0.937, 1);
  });
  return color;
}

// The back button: a chevron drawn in the label colour, so it follows the appearance.
class IGBackButton : public UIButton {
  OBJC_CLASS(IGBackButton, UIButton);

 public:
  void drawRect(CGRect) override {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    CGColor colour =
        UIColor::labelColor()->resolvedColorWithTraitCollection(traitCollection())->CGColor();
    CGFloat x = bounds().size.width / 2 + 4, y = bounds().size.height / 2;
    CGContextSetStrokeColorWithColor(context, colour);
    CGContextSetLineWidth(context, 2.5);
    CGContextSetLineCap(context, kCGLineCapRound);
    CGContextSetLineJoin(context, kCGLineJoinRound);
    CGContextMoveToPoint(context, x, y - 9);
    CGContextAddLineToPoint(context, x - 9, y);
    CGContextAddLineToPoint(context, x, y + 9);
    CGContextStrokePath(context);
  }

  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override {
    UIButton::traitCollectionDidChange(previous);
    setNeedsDisplay();
  }
};

// One message: its text in a rounded bubble, blue on the right for the user's own.
class IGDirectMessageBubble : public UIView {
  OBJC_CLASS(IGDirectMessageBubble, UIView);

 public:
  std::shared_ptr<IGDirectMessageBubble> initWithMessage(const DirectMessage& message) {
    initWithFrame(CGRectZero);
    outgoing = message.outgoing;
    setBackgroundColor(outgoing ? outgoingBubbleColor() : incomingBubbleColor());
    label_ = UILabel::alloc()->init();
    label_->setText(message.text);
    label_->setNumberOfLines(0);
    label_->setFont(UIFont::systemFontOfSize(16));
    label_->setTextColor(outgoing ? UIColor::whiteColor() : UIColor::labelColor());
    addSubview(label_);
    return selfAs<IGDirectMessageBubble>();
  }

  // The bubble's size for the widest text line allowed.
  CGSize sizeForMaximumWidth(CGFloat maxWidth) const {
    CGSize text = label_->sizeThatFits({maxWidth - 28, 10000});
    text.width = std::min(std::ceil(text.width), maxWidth - 28);
    return {text.width + 28, std::max<CGFloat>(std::ceil(text.height) + 20, 40)};
  }

  void layoutSubviews() override {
    UIView::layoutSubviews();
    CGRect b = bounds();
    label_->setFrame({{14, 10}, {b.size.width - 28, b.size.height - 20}});
    layer()->setCornerRadius(std::min<CGFloat>(20, b.size.height / 2));
  }

  bool outgoing = false;

 private:
  std::shared_ptr<UILabel> label_;
};

// The thread's root view: the header, the messages scrolling between it and the message bar,
// which sits at the bottom.
class IGDirectThreadView : public UIView {
  OBJC_CLASS(IGDirectThreadView, UIView);

 public:
  std::shared_ptr<IGBackButton> backButton;
  std::shared_ptr<IGProfilePictureView> headerAvatar;
  std::shared_ptr<IGDirectLeftAlignedTitleView> titleView;
  std::shared_ptr<UIImageView> videoIcon;
  std::shared_ptr<UIView> separator;
  std::shared_ptr<UIScrollView> messagesView;
  std::vector<std::shared_ptr<IGDirectMessageBubble>> bubbles;
  std::vector<std::shared_ptr<IGProfilePictureView>> bubbleAvatars;
  std::shared_ptr<UIView> messageBar;
  std::shared_ptr<UILabel> messagePlaceholder;

  void layoutSubviews() override {
    UIView::layoutSubviews();
    CGFloat width = bounds().size.width;
    CGFloat top = safeAreaInsets().top;
    CGFloat bottom = bounds().size.height - safeAreaInsets().bottom;

    backButton->setFrame({{4, top + 6}, {40, 44}});
    headerAvatar->setFrame({{46, top + 12}, {32, 32}});
    titleView->setFrame({{88, top + 6}, {width - 88 - 56, 44}});
    videoIcon->setFrame({{width - 44, top + 15}, {26, 26}});
    separator->setFrame({{0, top + 56}, {width, 0.5}});

    CGFloat messagesTop = top + 56.5;
    CGFloat messagesHeight = bottom - 60 - messagesTop;
    messagesView->setFrame({{0, messagesTop}, {width, messagesHeight}});
    CGFloat y = 16;
    size_t avatarIndex = 0;
    for (size_t i = 0; i < bubbles.size(); ++i) {
      const auto& bubble = bubbles[i];
      CGSize size = bubble->sizeForMaximumWidth(width * 0.7);
      CGFloat x = bubble->outgoing ? width - 16 - size.width : 52;
      bubble->setFrame({{x, y}, size});
      // The other person's avatar sits beside the last bubble of each of their runs.
      bool endsRun = !bubble->outgoing && (i + 1 == bubbles.size() || bubbles[i + 1]->outgoing);
      if (endsRun && avatarIndex < bubbleAvatars.size()) {
        bubbleAvatars[avatarIndex++]->setFrame({{16, y + size.height - 28}, {28, 28}});
      }
      y += size.height + 4;
    }
    CGSize contentSize{width, y + 12};
    if (contentSize.height != messagesView->contentSize().height) {
      messagesView->setContentSize(contentSize);
      // A thread opens on its latest messages.
      messagesView->setContentOffset(
          {0, std::max<CGFloat>(0, contentSize.height - messagesHeight)});
    }

    messageBar->setFrame({{12, bottom - 52}, {width - 24, 44}});
    messagePlaceholder->setFrame({{18, 12}, {width - 60, 20}});
  }
};

}  // namespace

OBJC_CLASS_IMPL(IGBackButton) {}
OBJC_CLASS_IMPL(IGDirectMessageBubble) {}
OBJC_CLASS_IMPL(IGDirectThreadView) {}

OBJC_CLASS_IMPL(IGDirectThreadViewController) {
  c.method("backPressed", &IGDirectThreadViewController::backPressed)
      .ivar("_users", &IGDirectThreadViewController::users_);
}

std::shared_ptr<IGDirectThreadViewController> IGDirectThreadViewController::initWithThread(
    const DirectThread& thread) {
  init();
  thread_ = thread;
  std::vector<id> users(thread.users.begin(), thread.users.end());
  users_ = NSArray::arrayWithObjects(std::move(users));
  return selfAs<IGDirectThreadViewController>();
}

void IGDirectThreadViewController::loadView() {
  auto root = IGDirectThreadView::alloc();
  root->initWithFrame(CGRectZero);
  root->setBackgroundColor(UIColor::systemBackgroundColor());
  std::shared_ptr<IGUser> recipient = thread_.users.empty() ? nullptr : thread_.users.front();

  root->backButton = IGBackButton::alloc();
  root->backButton->initWithFrame(CGRectZero);
  root->backButton->addTarget(self(), SEL("backPressed"), UIControlEventTouchUpInside);
  root->addSubview(root->backButton);

  root->headerAvatar =
      IGProfilePictureView::alloc()->initWithURL(recipient ? recipient->profilePicURL() : nullptr);
  root->addSubview(root->headerAvatar);

  std::string title, subtitle;
  if (recipient) {
    title = recipient->fullName();
    subtitle = recipient->username()->utf8();
  }
  titleView_ = IGDirectLeftAlignedTitleView::alloc()->initWithTitle(title, subtitle);
  root->titleView = titleView_;
  root->addSubview(titleView_);

  root->videoIcon = UIImageView::alloc()->initWithImage(UIImage::systemImageNamed(
      "video.fill", UIImageSymbolConfiguration::configurationWithPointSize(24)));
  root->videoIcon->setTintColor(UIColor::labelColor());
  root->videoIcon->setContentMode(UIViewContentModeScaleAspectFit);
  root->addSubview(root->videoIcon);

  root->separator = UIView::alloc()->init();
  root->separator->setBackgroundColor(UIColor::separatorColor());
  root->addSubview(root->separator);

  root->messagesView = UIScrollView::alloc()->initWithFrame(CGRectZero);
  root->messagesView->setAlwaysBounceVertical(true);
  root->addSubview(root->messagesView);
  for (size_t i = 0; i < thread_.messages.size(); ++i) {
    const DirectMessage& message = thread_.messages[i];
    auto bubble = IGDirectMessageBubble::alloc()->initWithMessage(message);
    root->messagesView->addSubview(bubble);
    root->bubbles.push_back(bubble);
    bool endsRun =
        !message.outgoing && (i + 1 == thread_.messages.size() || thread_.messages[i + 1].outgoing);
    if (endsRun && recipient) {
      auto avatar = IGProfilePictureView::alloc()->initWithURL(recipient->profilePicURL());
      root->messagesView->addSubview(avatar);
      root->bubbleAvatars.push_back(avatar);
    }
  }

  root->messageBar = UIView::alloc()->init();
  root->messageBar->layer()->setCornerRadius(22);
  root->messageBar->setBackgroundColor(incomingBubbleColor());
  root->messagePlaceholder = UILabel::alloc()->init();
  root->messagePlaceholder->setText("Message...");
  root->messagePlaceholder->setTextColor(UIColor::secondaryLabelColor());
  root->messageBar->addSubview(root->messagePlaceholder);
  root->addSubview(root->messageBar);
  setView(root);
}

void IGDirectThreadViewController::backPressed() {
  if (auto navigation = navigationController()) navigation->popViewControllerAnimated(true);
}
