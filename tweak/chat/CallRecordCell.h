#pragma once

// The family of call record cards: a rounded card 64 points tall at the top of its row, holding a
// round icon plate with a white phone mark, a bold title and a grey second line (the record's
// time, or "Tap to join" while its call runs). Outgoing cards sit 20 points from the right on a
// grey fill; incoming ones 50 from the left with a thin border and the other user's avatar.
// The four record cells differ only in the card each builds.

#include <memory>
#include <string>

#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UITableViewCell.h"

class CallRecordCell : public UITableViewCell {
  OBJC_CLASS(CallRecordCell, UITableViewCell);

 public:
  struct Card {
    bool incoming = false;
    CGFloat width = 196;
    // A file of the asset directory; a missing one leaves the plate empty.
    std::string iconFile;
    std::string title;
  };

  std::shared_ptr<UIView> baseView() const { return baseView_; }
  void setBaseView(std::shared_ptr<UIView> view) { baseView_ = std::move(view); }
  std::shared_ptr<UIView> iconView() const { return iconView_; }
  void setIconView(std::shared_ptr<UIView> view) { iconView_ = std::move(view); }
  std::shared_ptr<UIImageView> iconImage() const { return iconImage_; }
  void setIconImage(std::shared_ptr<UIImageView> view) { iconImage_ = std::move(view); }
  std::shared_ptr<UILabel> titleLabel() const { return titleLabel_; }
  void setTitleLabel(std::shared_ptr<UILabel> label) { titleLabel_ = std::move(label); }
  std::shared_ptr<UILabel> timeLabel() const { return timeLabel_; }
  void setTimeLabel(std::shared_ptr<UILabel> label) { timeLabel_ = std::move(label); }

  // Empties the second line, so a reused card never shows the previous record's.
  void prepareForReuse() override;
  // An incoming card's border and avatar ring are layer colours; paint them again.
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

 protected:
  // Builds the card; the subclasses' initWithStyle call it.
  void initWithCard(UITableViewCellStyle style, const std::string& reuseIdentifier,
                    const Card& card);

  // Incoming cards only; nil on outgoing ones.
  std::shared_ptr<UIImageView> avatarImage_;

 private:
  std::shared_ptr<UIView> baseView_;
  std::shared_ptr<UIView> iconView_;
  std::shared_ptr<UIImageView> iconImage_;
  std::shared_ptr<UILabel> titleLabel_;
  std::shared_ptr<UILabel> timeLabel_;
};
