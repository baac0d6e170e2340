#pragma once

#include <functional>
#include <memory>
#include <string>

#include "runtime/NSObject.h"

enum UIAlertActionStyle : long {
  UIAlertActionStyleDefault = 0,
  UIAlertActionStyleCancel = 1,
  UIAlertActionStyleDestructive = 2,
};

// One button of an alert or action sheet. Its handler runs once the alert has been dismissed.
class UIAlertAction : public NSObject {
  OBJC_CLASS(UIAlertAction, NSObject);

 public:
  using Handler = std::function<void(const std::shared_ptr<UIAlertAction>&)>;

  static std::shared_ptr<UIAlertAction> actionWithTitle(const std::string& title,
                                                        UIAlertActionStyle style, Handler handler);

  const std::string& title() const { return title_; }
  UIAlertActionStyle style() const { return style_; }
  const Handler& handler() const { return handler_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }

  std::string description() const override;

 private:
  std::string title_;
  UIAlertActionStyle style_ = UIAlertActionStyleDefault;
  Handler handler_;
  bool enabled_ = true;
};
