#include "call/ActionButton.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "foundation/NSString.h"
#include "uikit/UIImage.h"

std::shared_ptr<ActionButton> ActionButton::initWithIcon(const std::string& iconName, CGFloat size,
                                                         SEL action) {
  UIControl::init();
  auto self = selfAs<ActionButton>();

  icon_ = UIImageView::alloc();
  icon_->init();
  icon_->setContentMode(UIViewContentModeScaleAspectFit);
  icon_->setTintColor(UIColor::whiteColor());
  icon_->setImage(UIImage::imageWithContentsOfFile(
      NSString::stringWithFormat("/var/LIY/Application Support/Parlo.bundle/Assets/%@",
                                 NSString::string(iconName))
          ->UTF8String()));
  addSubview(icon_);
  Layout::size(icon_, size, size);
  Layout::xy(icon_, centerXAnchor(), centerYAnchor());

  // The superview, which a new button does not have: the empty target sends the action up the
  // responder chain.
  addTarget(superview(), action, UIControlEventTouchUpInside);
  return self;
}

void ActionButton::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  UIControl::touchesBegan(touches, event);
  touchAnimateWithHighlighted(true);
}

void ActionButton::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  UIControl::touchesEnded(touches, event);
  touchAnimateWithHighlighted(false);
}

void ActionButton::touchesCancelled(const UITouchSet& touches,
                                    const std::shared_ptr<UIEvent>& event) {
  UIControl::touchesCancelled(touches, event);
  touchAnimateWithHighlighted(false);
}

void ActionButton::touchAnimateWithHighlighted(bool highlighted) {
  // Held: the action sent just before may have released the button's owner.
  auto self = selfAs<ActionButton>();
  UIView::animateWithDuration(0.3,
                              [self, highlighted] { self->setAlpha(highlighted ? 0.8 : 1.0); });
}

OBJC_CLASS_IMPL(ActionButton) {
  c.method("touchAnimateWithHighlighted:", &ActionButton::touchAnimateWithHighlighted)
      .property("icon", &ActionButton::icon, &ActionButton::setIcon);
}
