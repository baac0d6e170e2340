#include "chat/IntroBannerView.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "chat/ChatBubbleLayout.h"
#include "chat/UIColor+Appearance.h"
#include "foundation/NSDictionary.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIFont.h"

namespace {

constexpr const char* kVerifiedBadgePath =
    "/var/LIY/Application Support/Parlo.bundle/Assets/verified.png";

}  // namespace

CGFloat IntroBannerView::usernameLabelWidth(const std::shared_ptr<NSString>& username) {
  if (!username) return 5;
  static const std::shared_ptr<NSDictionary> attributes = [] {
    auto made = NSMutableDictionary::dictionary();
    made->setObject(UIFont::systemFontOfSize(18, UIFontWeightSemibold), NSFontAttributeName);
    return std::shared_ptr<NSDictionary>(made);
  }();
  return NSStringDrawing::boundingRectWithSize(*username, CGSizeMake(250, 23),
                                               NSStringDrawingUsesLineFragmentOrigin, attributes)
             .size.width +
         5;
}

std::shared_ptr<IntroBannerView> IntroBannerView::initWithFrame(
    CGRect frame, std::shared_ptr<UIImage> avatar, const std::shared_ptr<NSString>& username,
    const std::shared_ptr<NSString>& followTitle, const std::shared_ptr<NSString>& followSubtitle,
    bool verified) {
  UIView::initWithFrame(frame);
  auto self = selfAs<IntroBannerView>();
  setBackgroundColor(UIColor::clearColor());
  setClipsToBounds(true);

  avatarImage_ = UIImageView::alloc();
  avatarImage_->initWithFrame(CGRectMake(0, 0, 85, 85));
  avatarImage_->layer()->setCornerRadius(48);
  avatarImage_->setImage(std::move(avatar));
  avatarImage_->setClipsToBounds(true);
  avatarImage_->setContentMode(UIViewContentModeScaleAspectFill);
  avatarImage_->layer()->setBorderWidth(1.0);
  addSubview(avatarImage_);
  Layout::size(avatarImage_, 96, 96);
  Layout::x(avatarImage_, centerXAnchor());
  Layout::top(avatarImage_, topAnchor(), 20);

  usernameLabel_ = UILabel::alloc()->init();
  usernameLabel_->setTextAlignment(NSTextAlignmentCenter);
  usernameLabel_->setTextColor(UIColor::labelColor());
  usernameLabel_->setFont(UIFont::systemFontOfSize(18, UIFontWeightSemibold));
  usernameLabel_->setText(username);
  addSubview(usernameLabel_);
  Layout::x(usernameLabel_, centerXAnchor(), verified ? -11 : 0);
  Layout::top(usernameLabel_, avatarImage_->bottomAnchor(), 10);
  Layout::size(usernameLabel_, usernameLabelWidth(username), 23);

  verifiedImage_ = UIImageView::alloc();
  verifiedImage_->init();
  verifiedImage_->setContentMode(UIViewContentModeScaleAspectFill);
  // A missing file leaves the badge empty; it keeps its place all the same.
  verifiedImage_->setImage(UIImage::imageWithContentsOfFile(kVerifiedBadgePath));
  verifiedImage_->setAlpha(0);
  addSubview(verifiedImage_);
  Layout::size(verifiedImage_, 18, 18);
  Layout::y(verifiedImage_, usernameLabel_->centerYAnchor());
  Layout::leading(verifiedImage_, usernameLabel_->trailingAnchor(), 2);

  parloLabel_ = addGreyLine(NSString::string("Instagram"), usernameLabel_);
  followTitleLabel_ = addGreyLine(followTitle, parloLabel_);
  followSubtitleLabel_ = addGreyLine(followSubtitle, followTitleLabel_);

  profileLabel_ = UILabel::alloc()->init();
  profileLabel_->setTextAlignment(NSTextAlignmentCenter);
  profileLabel_->setTextColor(UIColor::labelColor());
  profileLabel_->setFont(UIFont::systemFontOfSize(14, UIFontWeightSemibold));
  profileLabel_->setText("View Profile");
  profileLabel_->layer()->setCornerRadius(5);
  profileLabel_->layer()->setBorderWidth(1.2);
  addSubview(profileLabel_);
  Layout::size(profileLabel_, 96, 28);
  Layout::x(profileLabel_, centerXAnchor());
  Layout::top(profileLabel_, followSubtitleLabel_->bottomAnchor(), 15);

  applyBorderColors();
  updateVerificationStatus(verified);
  return self;
}

std::shared_ptr<UILabel> IntroBannerView::addGreyLine(const std::shared_ptr<NSString>& text,
                                                      const std::shared_ptr<UIView>& above) {
  auto label = UILabel::alloc()->init();
  label->setTextAlignment(NSTextAlignmentCenter);
  label->setTextColor(Appearance::callIconBackground());
  label->setFont(UIFont::systemFontOfSize(16, UIFontWeightRegular));
  label->setText(text);
  addSubview(label);
  Layout::x(label, centerXAnchor());
  Layout::top(label, above->bottomAnchor(), 5);
  Layout::leading(label, leadingAnchor(), 20);
  Layout::trailing(label, trailingAnchor(), -20);
  return label;
}

void IntroBannerView::updateVerificationStatus(bool verified) {
  verifiedImage_->setAlpha(verified ? 1.0 : 0.0);
}

void IntroBannerView::applyBorderColors() {
  ChatBubble::setBorderColor(*profileLabel_, Appearance::incomingBubbleBorder());
  ChatBubble::setBorderColor(*avatarImage_, Appearance::avatarBorder());
}

void IntroBannerView::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) {
  UIView::traitCollectionDidChange(previous);
  applyBorderColors();
}

OBJC_CLASS_IMPL(IntroBannerView) {
  c.method("updateVerificationStatus:", &IntroBannerView::updateVerificationStatus)
      .property("avatarImage", &IntroBannerView::avatarImage, &IntroBannerView::setAvatarImage)
      .property("usernameLabel", &IntroBannerView::usernameLabel,
                &IntroBannerView::setUsernameLabel)
      .property("verifiedImage", &IntroBannerView::verifiedImage,
                &IntroBannerView::setVerifiedImage)
      .property("parloLabel", &IntroBannerView::parloLabel, &IntroBannerView::setParloLabel)
      .property("followTitleLabel", &IntroBannerView::followTitleLabel,
                &IntroBannerView::setFollowTitleLabel)
      .property("followSubtitleLabel", &IntroBannerView::followSubtitleLabel,
                &IntroBannerView::setFollowSubtitleLabel)
      .property("profileLabel", &IntroBannerView::profileLabel, &IntroBannerView::setProfileLabel);
}
