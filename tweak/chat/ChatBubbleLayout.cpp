#include "chat/ChatBubbleLayout.h"

#include "chat/ChatRowHeights.h"
#include "chat/UIColor+Appearance.h"
#include "uikit/UIFont.h"

namespace ChatBubble {

void styleTextLabel(UILabel& label) {
  label.setFont(UIFont::systemFontOfSize(17));
  label.setLineBreakMode(NSLineBreakByWordWrapping);
  label.setNumberOfLines(0);
  label.setTextAlignment(NSTextAlignmentLeft);
  label.setTextColor(UIColor::labelColor());
}

void makeLikePill(UIView& contentView, std::shared_ptr<UIView>& likeView,
                  std::shared_ptr<UILabel>& likeLabel) {
  likeView = UIView::alloc()->init();
  likeView->setBackgroundColor(Appearance::outgoingBubble());
  likeView->layer()->setCornerRadius(14);
  likeView->layer()->setBorderWidth(1.8);
  setBorderColor(*likeView, UIColor::systemBackgroundColor());
  contentView.addSubview(likeView);

  likeLabel = UILabel::alloc()->init();
  likeLabel->setText("\u2665\uFE0F");
  likeLabel->setTextAlignment(NSTextAlignmentCenter);
  likeLabel->setFont(UIFont::systemFontOfSize(12));
  likeView->addSubview(likeLabel);
}

std::shared_ptr<UIImageView> makeAvatar(UIView& contentView) {
  auto avatar = UIImageView::alloc();
  avatar->init();
  avatar->layer()->setCornerRadius(15);
  avatar->setClipsToBounds(true);
  avatar->setContentMode(UIViewContentModeScaleAspectFill);
  avatar->layer()->setBorderWidth(0.8);
  setBorderColor(*avatar, Appearance::avatarBorder());
  contentView.addSubview(avatar);
  return avatar;
}

void setBorderColor(UIView& view, const std::shared_ptr<UIColor>& color) {
  view.layer()->setBorderColor(
      color->resolvedColorWithTraitCollection(view.traitCollection())->CGColor());
}

}  // namespace ChatBubble

bool ChatBubbleLayout::isActive() const {
  if (constraints_.empty()) return false;
  for (const auto& constraint : constraints_) {
    if (!constraint || !constraint->isActive()) return false;
  }
  return true;
}

void ChatBubbleLayout::layout(UITableViewCell& cell, const Parts& parts, bool incoming) {
  const CGFloat width = cell.frame().size.width;
  const CGFloat boundsWidth = cell.bounds().size.width;
  const CGSize text = ChatRowHeights::measureMessageText(parts.textLabel->text(), width - 120);

  const CGFloat textX = incoming ? 63 : boundsWidth - text.width - 35;
  const CGRect textFrame = CGRectMake(textX, 10, width - 120, text.height);
  if (!(parts.textLabel->frame() == textFrame)) parts.textLabel->setFrame(textFrame);

  // The bubble wraps the text with 12 points above and below and 15 on either side. It is tied
  // to the content view at the label's place rather than to the label: the inherited pass moves
  // the label every time, and a label in the layout engine would make every pass of the window
  // lay it out again, up to the bound on passes.
  const CGFloat bubbleX = textFrame.origin.x - 15;
  const CGFloat bubbleY = textFrame.origin.y - 12;
  const CGSize bubbleSize = CGSizeMake(text.width + 30, text.height + 24);
  if (isActive()) {
    bubbleLeading_->setConstant(bubbleX);
    bubbleWidth_->setConstant(bubbleSize.width);
    bubbleHeight_->setConstant(bubbleSize.height);
    return;
  }
  // Whatever survives of an earlier set (the cell's own reuse removes all of it) goes first.
  NSLayoutConstraint::deactivateConstraints(constraints_);
  constraints_.clear();
  auto keep = [this](const Layout::Constraint& constraint) {
    constraints_.push_back(constraint);
    return constraint;
  };
  auto keepAll = [this](const Layout::Constraints& list) {
    constraints_.insert(constraints_.end(), list.begin(), list.end());
  };

  const auto& content = cell.contentView();
  const auto& bubble = parts.baseView;
  keep(Layout::top(bubble, content->topAnchor(), bubbleY));
  bubbleLeading_ = keep(Layout::leading(bubble, content->leadingAnchor(), bubbleX));
  bubbleWidth_ = keep(Layout::width(bubble, bubbleSize.width));
  bubbleHeight_ = keep(Layout::height(bubble, bubbleSize.height));

  if (parts.avatarImage) {
    keepAll(Layout::size(parts.avatarImage, 30, 30));
    keep(Layout::trailing(parts.avatarImage, bubble->leadingAnchor(), -10));
    keep(Layout::bottom(parts.avatarImage, bubble->bottomAnchor(), 0));
  }

  // The pill hangs 16 points below the bubble and overlaps its lower left corner by 12.
  keepAll(Layout::size(parts.likeView, 34, 28));
  keep(Layout::top(parts.likeView, bubble->bottomAnchor(), -12));
  keep(Layout::leading(parts.likeView, bubble->leadingAnchor(), 4));
  keepAll(Layout::xy(parts.likeLabel, parts.likeView->centerXAnchor(),
                     parts.likeView->centerYAnchor()));
}
