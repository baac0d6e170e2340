// The chat's own navigation bar and the profile block in the table's header.

#include "BrisvaleKit/UIView+Layout.h"
#include "chat/ChatBubbleLayout.h"
#include "chat/ParloFakeChatViewController.h"
#include "chat/UIColor+Appearance.h"
#include "foundation/NSDictionary.h"
#include "settings/SettingKeys.h"
#include "settings/SettingManager.h"
#include "uikit/NSAttributedString.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIFont.h"
#include "uikit/UITapGestureRecognizer.h"

namespace {

constexpr const char* kAssets = "/var/LIY/Application Support/Parlo.bundle/Assets/";

std::shared_ptr<UIImage> asset(const char* name) {
  return UIImage::imageWithContentsOfFile(std::string(kAssets) + name);
}

// The bar's name is measured within 155 × 22 points, so a long one is cut at about 160.
CGFloat navbarNameWidth(const std::shared_ptr<NSString>& name) {
  if (!name) return 5;
  static const std::shared_ptr<NSDictionary> attributes = [] {
    auto made = NSMutableDictionary::dictionary();
    made->setObject(UIFont::systemFontOfSize(17, UIFontWeightSemibold), NSFontAttributeName);
    return std::shared_ptr<NSDictionary>(made);
  }();
  return NSStringDrawing::boundingRectWithSize(*name, CGSizeMake(155, 22),
                                               NSStringDrawingUsesLineFragmentOrigin, attributes)
             .size.width +
         5;
}

}  // namespace

void ParloFakeChatViewController::layoutIntroBannerView() {
  followEachOther_ = SettingManager::sharedInstance()->boolForKey("followEachOther", true);
  introFollowSubtitle_ =
      NSString::string(followEachOther_ ? "You follow each other on Instagram"
                                        : "You don't follow each other on Instagram");
  introBannerView_ = IntroBannerView::alloc()->initWithFrame(
      CGRectZero, avatar_, recipientUsernameString_, NSString::string(""), introFollowSubtitle_,
      isVerified_);
  bannerView_->addSubview(introBannerView_);
  Layout::fill(introBannerView_);
  updateIntroBannerDetails();
}

void ParloFakeChatViewController::updateIntroBannerDetails() {
  // From the store, not the strings read at load: a count saved since then must show.
  const std::string name = recipientKeyName();
  followersCountString_ = storedString(SettingKeys::followersCount(name), "35.5K");
  postCountString_ = storedString(SettingKeys::postCount(name), "5.3K");
  if (!introBannerView_) return;
  const std::string followers = followersCountString_ ? followersCountString_->UTF8String() : "";
  const std::string posts = postCountString_ ? postCountString_->UTF8String() : "";
  introBannerView_->followTitleLabel()->setText(followers + " followers \u2022 " + posts +
                                                " posts");
}

void ParloFakeChatViewController::updateVerificationStatus(bool verified) {
  if (verifiedImage_) verifiedImage_->setAlpha(verified ? 1 : 0);
  if (introBannerView_) introBannerView_->updateVerificationStatus(verified);
}

void ParloFakeChatViewController::layoutNavbarView() {
  const auto root = view();
  const CGFloat width = root->bounds().size.width;

  navbarView_ = UIView::alloc()->init();
  navbarView_->setBackgroundColor(UIColor::systemBackgroundColor());
  root->addSubview(navbarView_);
  Layout::top(navbarView_, root->topAnchor(), 0);
  Layout::x(navbarView_, root->centerXAnchor());
  Layout::size(navbarView_, width, 100);

  auto line = UIView::alloc()->init();
  line->setBackgroundColor(::Appearance::line());
  root->addSubview(line);
  Layout::top(line, navbarView_->bottomAnchor(), 0);
  Layout::x(line, root->centerXAnchor());
  Layout::size(line, width, 0.2);

  backBtn_ = NavButton::alloc()->initWithIcon("navbar-back.png", 25, "dismissVC");
  backBtn_->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(self(), "dismissVC"));
  navbarView_->addSubview(backBtn_);
  Layout::leading(backBtn_, navbarView_->leadingAnchor(), 5);
  Layout::bottom(backBtn_, navbarView_->bottomAnchor(), -7);
  Layout::size(backBtn_, 40, 40);

  avatarImage_ = UIImageView::alloc();
  avatarImage_->init();
  avatarImage_->setImage(avatar_);
  avatarImage_->setContentMode(UIViewContentModeScaleAspectFill);
  avatarImage_->layer()->setCornerRadius(16);
  avatarImage_->setClipsToBounds(true);
  avatarImage_->layer()->setBorderWidth(0.8);
  avatarImage_->setUserInteractionEnabled(true);
  navbarView_->addSubview(avatarImage_);
  ChatBubble::setBorderColor(*avatarImage_, ::Appearance::avatarBorder());
  Layout::y(avatarImage_, backBtn_->centerYAnchor());
  Layout::leading(avatarImage_, backBtn_->trailingAnchor(), 12);
  Layout::size(avatarImage_, 32, 32);

  usernameLabel_ = UILabel::alloc()->init();
  usernameLabel_->setText(recipientUsernameString_);
  usernameLabel_->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
  usernameLabel_->setTextColor(UIColor::labelColor());
  usernameLabel_->setTextAlignment(NSTextAlignmentLeft);
  usernameLabel_->setNumberOfLines(1);
  usernameLabel_->setUserInteractionEnabled(true);
  usernameLabel_->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(self(), "presentOptionsVC"));
  navbarView_->addSubview(usernameLabel_);
  Layout::y(usernameLabel_, avatarImage_->centerYAnchor());
  Layout::leading(usernameLabel_, avatarImage_->trailingAnchor(), 10);
  Layout::size(usernameLabel_, navbarNameWidth(recipientUsernameString_), 22);

  verifiedImage_ = UIImageView::alloc();
  verifiedImage_->init();
  verifiedImage_->setImage(asset("verified.png"));
  verifiedImage_->setContentMode(UIViewContentModeScaleAspectFill);
  verifiedImage_->setAlpha(0);
  navbarView_->addSubview(verifiedImage_);
  Layout::y(verifiedImage_, usernameLabel_->centerYAnchor());
  Layout::leading(verifiedImage_, usernameLabel_->trailingAnchor(), 2);
  Layout::size(verifiedImage_, 14, 14);

  // No call of its own: the video button closes the chat like the back arrow.
  videoBtn_ = NavButton::alloc()->initWithIcon("navbar-video.png", 25, "dismissVC");
  navbarView_->addSubview(videoBtn_);
  Layout::trailing(videoBtn_, navbarView_->trailingAnchor(), -10);
  Layout::y(videoBtn_, usernameLabel_->centerYAnchor());
  Layout::size(videoBtn_, 40, 40);

  audioBtn_ = NavButton::alloc()->initWithIcon("navbar-audio.png", 25, "beginAudioCall");
  audioBtn_->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(self(), "beginAudioCall"));
  navbarView_->addSubview(audioBtn_);
  Layout::trailing(audioBtn_, videoBtn_->leadingAnchor(), -7);
  Layout::y(audioBtn_, videoBtn_->centerYAnchor());
  Layout::size(audioBtn_, 40, 40);

  joinCallView_ = UIView::alloc()->init();
  joinCallView_->setBackgroundColor(::Appearance::activeCall());
  joinCallView_->layer()->setCornerRadius(14.5);
  joinCallView_->setAlpha(0);
  joinCallView_->addGestureRecognizer(
      UITapGestureRecognizer::alloc()->initWithTarget(self(), "joinCallTapped"));
  navbarView_->addSubview(joinCallView_);
  Layout::y(joinCallView_, avatarImage_->centerYAnchor());
  Layout::trailing(joinCallView_, navbarView_->trailingAnchor(), -15);
  Layout::size(joinCallView_, 56, 29);

  joinIconImage_ = UIImageView::alloc();
  joinIconImage_->init();
  if (auto icon = asset("call.png")) {
    joinIconImage_->setImage(icon->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate));
  }
  joinIconImage_->setTintColor(UIColor::whiteColor());
  joinIconImage_->setContentMode(UIViewContentModeScaleAspectFill);
  joinCallView_->addSubview(joinIconImage_);
  Layout::y(joinIconImage_, joinCallView_->centerYAnchor());
  Layout::leading(joinIconImage_, joinCallView_->leadingAnchor(), 7);
  Layout::size(joinIconImage_, 12, 12);

  joinIconLabel_ = UILabel::alloc()->init();
  joinIconLabel_->setText("JOIN");
  joinIconLabel_->setFont(UIFont::systemFontOfSize(10, UIFontWeightSemibold));
  joinIconLabel_->setTextColor(UIColor::whiteColor());
  joinIconLabel_->setTextAlignment(NSTextAlignmentLeft);
  joinCallView_->addSubview(joinIconLabel_);
  Layout::y(joinIconLabel_, joinCallView_->centerYAnchor());
  Layout::leading(joinIconLabel_, joinIconImage_->trailingAnchor(), 4);

  updateVerificationStatus(isVerified_);
}
