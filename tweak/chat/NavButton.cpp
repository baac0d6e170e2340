#include "chat/NavButton.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "uikit/UIImage.h"

std::shared_ptr<NavButton> NavButton::initWithIcon(const std::string& iconName, CGFloat size,
                                                   SEL action) {
  UIControl::init();
  auto self = selfAs<NavButton>();

  icon_ = UIImageView::alloc();
  icon_->init();
  icon_->setContentMode(UIViewContentModeScaleAspectFit);
  icon_->setTintColor(UIColor::labelColor());
  const std::string path = "/var/LIY/Application Support/Parlo.bundle/Assets/" + iconName;
  if (auto image = UIImage::imageWithContentsOfFile(path)) {
    icon_->setImage(image->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate));
  }

  addSubview(icon_);
  Layout::size(icon_, size, size);
  Layout::xy(icon_, centerXAnchor(), centerYAnchor());

  // The superview, which a new button does not have yet: a nil target sends the action up the
  // responder chain to whichever controller implements it.
  addTarget(superview(), action, UIControlEventTouchUpInside);
  return self;
}

void NavButton::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  UIControl::touchesBegan(touches, event);
  touchAnimateWithHighlighted(true);
}

void NavButton::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  UIControl::touchesEnded(touches, event);
  touchAnimateWithHighlighted(false);
}

void NavButton::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  UIControl::touchesCancelled(touches, event);
  touchAnimateWithHighlighted(false);
}

void NavButton::touchAnimateWithHighlighted(bool highlighted) {
  // Hold the button: the action sent before this may already have released its owner.
  auto self = selfAs<NavButton>();
  UIView::animateWithDuration(0.3,
                              [self, highlighted] { self->setAlpha(highlighted ? 0.8 : 1.0); });
}

OBJC_CLASS_IMPL(NavButton) {
  c.method("touchAnimateWithHighlighted:", &NavButton::touchAnimateWithHighlighted)
      .property("icon", &NavButton::icon, &NavButton::setIcon);
}
