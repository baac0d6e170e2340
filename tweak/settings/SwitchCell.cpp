#include "settings/SwitchCell.h"

std::shared_ptr<SwitchCell> SwitchCell::initWithStyle(UITableViewCellStyle style,
                                                      const std::string& reuseIdentifier) {
  initWithCard(style, reuseIdentifier, "autoSaveMessage");
  return selfAs<SwitchCell>();
}

OBJC_CLASS_IMPL(SwitchCell) {
  c.property("toggleSwitch", &SwitchCell::toggleSwitch, &SwitchCell::setToggleSwitch);
}
