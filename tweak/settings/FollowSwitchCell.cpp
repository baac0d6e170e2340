#include "settings/FollowSwitchCell.h"

std::shared_ptr<FollowSwitchCell> FollowSwitchCell::initWithStyle(
    UITableViewCellStyle style, const std::string& reuseIdentifier) {
  initWithCard(style, reuseIdentifier, "followEachOther");
  return selfAs<FollowSwitchCell>();
}

OBJC_CLASS_IMPL(FollowSwitchCell) {
  c.property("toggleSwitch", &FollowSwitchCell::toggleSwitch, &FollowSwitchCell::setToggleSwitch);
}
