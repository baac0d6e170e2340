#include "call/CallViewStyle.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "uikit/UIBlurEffect.h"

namespace CallViewStyle {

CGColor lightGreyBorder() {
  return UIColor::colorWithRed(0.86, 0.86, 0.86, 1.0)->CGColor();
}

std::shared_ptr<UIImageView> addCover(const std::shared_ptr<UIView>& parent,
                                      std::shared_ptr<UIImage> image) {
  auto cover = UIImageView::alloc();
  cover->init();
  cover->setContentMode(UIViewContentModeScaleAspectFill);
  cover->setImage(std::move(image));
  parent->addSubview(cover);
  Layout::size(cover, 375, 375);
  Layout::xy(cover, parent->centerXAnchor(), parent->centerYAnchor());
  return cover;
}

std::shared_ptr<UIVisualEffectView> addBlur(const std::shared_ptr<UIView>& parent) {
  auto blur = UIVisualEffectView::alloc()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemMaterialDark));
  parent->addSubview(blur);
  Layout::fill(blur);
  return blur;
}

std::shared_ptr<UIImageView> addRoundAvatar(const std::shared_ptr<UIView>& parent,
                                            std::shared_ptr<UIImage> image, CGFloat borderWidth) {
  auto avatar = UIImageView::alloc();
  avatar->init();
  avatar->layer()->setCornerRadius(48);
  avatar->setImage(std::move(image));
  avatar->setClipsToBounds(true);
  avatar->setContentMode(UIViewContentModeScaleAspectFill);
  avatar->layer()->setBorderWidth(borderWidth);
  avatar->layer()->setBorderColor(lightGreyBorder());
  parent->addSubview(avatar);
  Layout::size(avatar, 96, 96);
  Layout::x(avatar, parent->centerXAnchor());
  Layout::top(avatar, parent->topAnchor(), 160);
  return avatar;
}

std::shared_ptr<UILabel> addLabel(const std::shared_ptr<UIView>& parent, const char* text,
                                  CGFloat size, UIFontWeight weight) {
  auto label = UILabel::alloc()->init();
  label->setTextAlignment(NSTextAlignmentCenter);
  label->setTextColor(UIColor::whiteColor());
  label->setFont(UIFont::systemFontOfSize(size, weight));
  label->setText(text);
  parent->addSubview(label);
  return label;
}

}  // namespace CallViewStyle
