#pragma once

// A settings row without a switch, for the rows that open a picker or an alert; its texts run to
// the card's edge.

#include <memory>
#include <string>

#include "settings/SettingCardCell.h"

class FakeCallCell : public SettingCardCell {
  OBJC_CLASS(FakeCallCell, SettingCardCell);

 public:
  std::shared_ptr<FakeCallCell> initWithStyle(UITableViewCellStyle style,
                                              const std::string& reuseIdentifier);
};
