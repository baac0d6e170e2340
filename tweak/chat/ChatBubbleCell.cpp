#include "chat/ChatBubbleCell.h"

#include "chat/UIView+RemoveAllConstraints.h"

void ChatBubbleCell::initBubble(UITableViewCellStyle style, const std::string& reuseIdentifier,
                                bool incoming) {
  UITableViewCell::initWithStyle(style, reuseIdentifier);
  incoming_ = incoming;
  setBackgroundColor(UIColor::clearColor());
  const auto label = textLabel();
  ChatBubble::styleTextLabel(*label);

  baseView_ = UIView::alloc()->init();
  baseView_->layer()->setCornerRadius(22);
  contentView()->insertSubviewBelowSubview(baseView_, label);
}

void ChatBubbleCell::addLikePill() {
  ChatBubble::makeLikePill(*contentView(), likeView_, likeLabel_);
}

void ChatBubbleCell::layoutSubviews() {
  UITableViewCell::layoutSubviews();
  bubbleLayout_.layout(*this, {textLabel(), baseView_, likeView_, likeLabel_, bubbleAvatar()},
                       incoming_);
}

void ChatBubbleCell::prepareForReuse() {
  UITableViewCell::prepareForReuse();
  textLabel()->setText(nullptr);
  removeAllConstraints(baseView_);
  removeAllConstraints(likeView_);
  removeAllConstraints(likeLabel_);
}

void ChatBubbleCell::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) {
  UITableViewCell::traitCollectionDidChange(previous);
  ChatBubble::setBorderColor(*likeView_, UIColor::systemBackgroundColor());
}

OBJC_CLASS_IMPL(ChatBubbleCell) {
  c.property("baseView", &ChatBubbleCell::baseView, &ChatBubbleCell::setBaseView)
      .property("likeView", &ChatBubbleCell::likeView, &ChatBubbleCell::setLikeView)
      .property("likeLabel", &ChatBubbleCell::likeLabel, &ChatBubbleCell::setLikeLabel);
}
