#pragma once

// The settings list's card: a rounded card 5 points inside the cell holding a 40-point icon tile
// with its symbol, a title and a grey subtitle, and for the switch rows a switch bound to one
// stored setting. The screen sets the icon, the tint and the texts; a switch cell reads its
// setting once, when it is made, and writes it at every flip.
//
// The card lies on the cell itself and the switch in the content view, which stays in front, so
// the switch takes its touches and the card shows through the clear content view.

#include <memory>
#include <optional>
#include <string>

#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UISwitch.h"
#include "uikit/UITableViewCell.h"

class SettingCardCell : public UITableViewCell {
  OBJC_CLASS(SettingCardCell, UITableViewCell);

 public:
  std::shared_ptr<UIView> baseView() const { return baseView_; }
  void setBaseView(std::shared_ptr<UIView> view) { baseView_ = std::move(view); }
  std::shared_ptr<UIView> iconView() const { return iconView_; }
  void setIconView(std::shared_ptr<UIView> view) { iconView_ = std::move(view); }
  std::shared_ptr<UIImageView> iconImage() const { return iconImage_; }
  void setIconImage(std::shared_ptr<UIImageView> view) { iconImage_ = std::move(view); }
  std::shared_ptr<UILabel> titleLabel() const { return titleLabel_; }
  void setTitleLabel(std::shared_ptr<UILabel> label) { titleLabel_ = std::move(label); }
  std::shared_ptr<UILabel> subtitleLabel() const { return subtitleLabel_; }
  void setSubtitleLabel(std::shared_ptr<UILabel> label) { subtitleLabel_ = std::move(label); }

  // Clears what the screen set for a row: the symbol and both texts. A switch keeps its state.
  void prepareForReuse() override;

 protected:
  // Builds the card; the subclasses' initWithStyle call it. With a key the cell gets a switch
  // that starts in the stored state (on when nothing is stored) and writes the key.
  void initWithCard(UITableViewCellStyle style, const std::string& reuseIdentifier,
                    const std::optional<std::string>& switchKey);

  // The switch rows only; nil on the others.
  std::shared_ptr<UISwitch> toggleSwitch_;

 private:
  void switchChangedState(std::shared_ptr<UISwitch> toggle);

  std::shared_ptr<UIView> baseView_;
  std::shared_ptr<UIView> iconView_;
  std::shared_ptr<UIImageView> iconImage_;
  std::shared_ptr<UILabel> titleLabel_;
  std::shared_ptr<UILabel> subtitleLabel_;
  std::string switchKey_;
};
