#include "chat/OutgoingChatCell.h"

#include "chat/UIColor+Appearance.h"
#include "chat/UIView+RemoveAllConstraints.h"

std::shared_ptr<OutgoingChatCell> OutgoingChatCell::initWithStyle(
    UITableViewCellStyle style, const std::string& reuseIdentifier) {
  UITableViewCell::initWithStyle(style, reuseIdentifier);
  auto self = selfAs<OutgoingChatCell>();
  setBackgroundColor(UIColor::clearColor());
  const auto label = textLabel();
  ChatBubble::styleTextLabel(*label);

  baseView_ = UIView::alloc()->init();
  baseView_->setBackgroundColor(Appearance::outgoingBubble());
  baseView_->layer()->setCornerRadius(22);
  contentView()->insertSubviewBelowSubview(baseView_, label);

  ChatBubble::makeLikePill(*contentView(), likeView_, likeLabel_);
  return self;
}

void OutgoingChatCell::layoutSubviews() {
  UITableViewCell::layoutSubviews();
  bubbleLayout_.layout(*this, {textLabel(), baseView_, likeView_, likeLabel_, nullptr}, false);
}

void OutgoingChatCell::prepareForReuse() {
  UITableViewCell::prepareForReuse();
  textLabel()->setText(nullptr);
  removeAllConstraints(baseView_);
  removeAllConstraints(likeView_);
  removeAllConstraints(likeLabel_);
}

void OutgoingChatCell::traitCollectionDidChange(
    const std::shared_ptr<UITraitCollection>& previous) {
  UITableViewCell::traitCollectionDidChange(previous);
  ChatBubble::setBorderColor(*likeView_, UIColor::systemBackgroundColor());
}

OBJC_CLASS_IMPL(OutgoingChatCell) {
  c.property("baseView", &OutgoingChatCell::baseView, &OutgoingChatCell::setBaseView)
      .property("likeView", &OutgoingChatCell::likeView, &OutgoingChatCell::setLikeView)
      .property("likeLabel", &OutgoingChatCell::likeLabel, &OutgoingChatCell::setLikeLabel);
}
