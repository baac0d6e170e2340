#pragma once

// The settings row with a switch for the profile block's follow line ("followEachOther").

#include <memory>
#include <string>

#include "settings/SettingCardCell.h"

class FollowSwitchCell : public SettingCardCell {
  OBJC_CLASS(FollowSwitchCell, SettingCardCell);

 public:
  std::shared_ptr<FollowSwitchCell> initWithStyle(UITableViewCellStyle style,
                                                  const std::string& reuseIdentifier);

  std::shared_ptr<UISwitch> toggleSwitch() const { return toggleSwitch_; }
  void setToggleSwitch(std::shared_ptr<UISwitch> toggle) { toggleSwitch_ = std::move(toggle); }
};
