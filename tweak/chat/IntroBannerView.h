#pragma once

// The other user's profile block at the head of the fake chat: the large round avatar, the user
// name with an optional verified badge, "Instagram", the counts line, the follow line and a
// "View Profile" pill, centred and stacked from the top. It takes no touches; the chat screen
// builds it once and fills the counts line and the badge later.

#include <memory>

#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"

class IntroBannerView : public UIView {
  OBJC_CLASS(IntroBannerView, UIView);

 public:
  // The name is centred 11 points left of the middle when `verified`, so that the name and its
  // badge together sit about the middle; that choice is kept for the banner's life.
  std::shared_ptr<IntroBannerView> initWithFrame(CGRect frame, std::shared_ptr<UIImage> avatar,
                                                 const std::shared_ptr<NSString>& username,
                                                 const std::shared_ptr<NSString>& followTitle,
                                                 const std::shared_ptr<NSString>& followSubtitle,
                                                 bool verified);

  // Shows or hides the badge; nothing moves.
  void updateVerificationStatus(bool verified);

  // Layer borders hold fixed colours; paint them again for the new appearance.
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

  // The width of the name label for `username`: measured within 250 × 23 points, plus 5.
  static CGFloat usernameLabelWidth(const std::shared_ptr<NSString>& username);

  // ---- Properties ----
  std::shared_ptr<UIImageView> avatarImage() const { return avatarImage_; }
  void setAvatarImage(std::shared_ptr<UIImageView> view) { avatarImage_ = std::move(view); }
  std::shared_ptr<UILabel> usernameLabel() const { return usernameLabel_; }
  void setUsernameLabel(std::shared_ptr<UILabel> label) { usernameLabel_ = std::move(label); }
  std::shared_ptr<UIImageView> verifiedImage() const { return verifiedImage_; }
  void setVerifiedImage(std::shared_ptr<UIImageView> view) { verifiedImage_ = std::move(view); }
  std::shared_ptr<UILabel> parloLabel() const { return parloLabel_; }
  void setParloLabel(std::shared_ptr<UILabel> label) { parloLabel_ = std::move(label); }
  std::shared_ptr<UILabel> followTitleLabel() const { return followTitleLabel_; }
  void setFollowTitleLabel(std::shared_ptr<UILabel> label) { followTitleLabel_ = std::move(label); }
  std::shared_ptr<UILabel> followSubtitleLabel() const { return followSubtitleLabel_; }
  void setFollowSubtitleLabel(std::shared_ptr<UILabel> label) {
    followSubtitleLabel_ = std::move(label);
  }
  std::shared_ptr<UILabel> profileLabel() const { return profileLabel_; }
  void setProfileLabel(std::shared_ptr<UILabel> label) { profileLabel_ = std::move(label); }

 private:
  // One of the three grey lines, 5 below `above`, 20 in from both sides.
  std::shared_ptr<UILabel> addGreyLine(const std::shared_ptr<NSString>& text,
                                       const std::shared_ptr<UIView>& above);
  void applyBorderColors();

  std::shared_ptr<UIImageView> avatarImage_;
  std::shared_ptr<UILabel> usernameLabel_;
  std::shared_ptr<UIImageView> verifiedImage_;
  std::shared_ptr<UILabel> parloLabel_;
  std::shared_ptr<UILabel> followTitleLabel_;
  std::shared_ptr<UILabel> followSubtitleLabel_;
  std::shared_ptr<UILabel> profileLabel_;
};
