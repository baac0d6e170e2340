#include "uikit/UIAlertAction.h"

#include <cstdio>

OBJC_CLASS_IMPL(UIAlertAction) {
  c.property("isEnabled", &UIAlertAction::isEnabled, &UIAlertAction::setEnabled);
}

std::shared_ptr<UIAlertAction> UIAlertAction::actionWithTitle(const std::string& title,
                                                              UIAlertActionStyle style,
                                                              Handler handler) {
  auto action = alloc();
  action->title_ = title;
  action->style_ = style;
  action->handler_ = std::move(handler);
  return action;
}

std::string UIAlertAction::description() const {
  char text[64];
  std::snprintf(text, sizeof text, "<UIAlertAction: %p Title = \"", static_cast<const void*>(this));
  return text + title_ + "\">";
}
