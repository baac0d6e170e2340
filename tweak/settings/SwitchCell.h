#pragma once

// The settings row with a switch for saving the chat when it closes ("autoSaveMessage").

#include <memory>
#include <string>

#include "settings/SettingCardCell.h"

class SwitchCell : public SettingCardCell {
  OBJC_CLASS(SwitchCell, SettingCardCell);

 public:
  std::shared_ptr<SwitchCell> initWithStyle(UITableViewCellStyle style,
                                            const std::string& reuseIdentifier);

  std::shared_ptr<UISwitch> toggleSwitch() const { return toggleSwitch_; }
  void setToggleSwitch(std::shared_ptr<UISwitch> toggle) { toggleSwitch_ = std::move(toggle); }
};
