#include "settings/FakeCallCell.h"

std::shared_ptr<FakeCallCell> FakeCallCell::initWithStyle(UITableViewCellStyle style,
                                                          const std::string& reuseIdentifier) {
  initWithCard(style, reuseIdentifier, std::nullopt);
  return selfAs<FakeCallCell>();
}

OBJC_CLASS_IMPL(FakeCallCell) {}
