#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quartz/CGGeometry.h"
#include "uikit/Forward.h"
#include "uikit/UIAlertAction.h"
#include "uikit/UIViewController.h"

enum UIAlertControllerStyle : long {
  UIAlertControllerStyleActionSheet = 0,
  UIAlertControllerStyleAlert = 1,
};

// An alert or action sheet, presented over the current content. Its view dims what is behind
// and shows a card of buttons, one per action: an alert's in the middle of the screen, an action
// sheet's at the bottom with the cancel action in a card of its own. A tap on a button dismisses
// the alert and then runs the action's handler.
//
// Order of the buttons, as on the platform: an alert with exactly two actions shows them side by
// side with a cancel action on the left; otherwise the actions are stacked in the order added,
// with the cancel action last. An action sheet lists the other actions in order and the cancel
// action apart, below them. A tap outside an action sheet counts as its cancel action.
class UIAlertController : public UIViewController {
  OBJC_CLASS(UIAlertController, UIViewController);

 public:
  using TextFieldConfiguration = std::function<void(const std::shared_ptr<UITextField>&)>;

  // An empty title or message shows none.
  static std::shared_ptr<UIAlertController> alertControllerWithTitle(const std::string& title,
                                                                     const std::string& message,
                                                                     UIAlertControllerStyle style);

  UIAlertControllerStyle preferredStyle() const { return preferredStyle_; }
  void setTitle(const std::string& title) override;
  const std::string& message() const { return message_; }
  void setMessage(const std::string& message);

  // A second action in the cancel style is a programming error and throws.
  void addAction(const std::shared_ptr<UIAlertAction>& action);
  const std::vector<std::shared_ptr<UIAlertAction>>& actions() const { return actions_; }
  // Shown in bold; must be one of the actions.
  std::shared_ptr<UIAlertAction> preferredAction() const { return preferredAction_; }
  void setPreferredAction(const std::shared_ptr<UIAlertAction>& action);

  // Alerts only (throws for an action sheet). The handler runs at once, with the new field.
  void addTextFieldWithConfigurationHandler(const TextFieldConfiguration& configuration);
  const std::vector<std::shared_ptr<UITextField>>& textFields() const { return textFields_; }

  void loadView() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  // Places the cards for the view's size; the view calls it on layout.
  void layoutCards();

 private:
  // The actions in the order their buttons are shown (for a sheet, the cancel action last).
  std::vector<std::shared_ptr<UIAlertAction>> displayOrder() const;
  std::shared_ptr<UIAlertAction> cancelAction() const;
  bool isAlert() const { return preferredStyle_ == UIAlertControllerStyleAlert; }

  void buildCards();
  std::shared_ptr<UIButton> makeButton(const std::shared_ptr<UIAlertAction>& action);
  // Lays out a card's header, fields and buttons from the top; returns its height.
  CGFloat layoutCardContents(CGFloat width);
  std::shared_ptr<UIView> separator(const std::shared_ptr<UIView>& card);

  void actionButtonTapped(std::shared_ptr<UIButton> button);
  void backgroundTapped();
  void finish(const std::shared_ptr<UIAlertAction>& action);

  UIAlertControllerStyle preferredStyle_ = UIAlertControllerStyleAlert;
  std::string message_;
  std::vector<std::shared_ptr<UIAlertAction>> actions_;
  std::shared_ptr<UIAlertAction> preferredAction_;
  std::vector<std::shared_ptr<UITextField>> textFields_;
  bool finishing_ = false;

  // The view tree, made in loadView.
  std::shared_ptr<UIControl> dimmingView_;
  std::shared_ptr<UIView> card_;
  std::shared_ptr<UIView> cancelCard_;  // action sheets with a cancel action
  std::shared_ptr<UILabel> titleLabel_;
  std::shared_ptr<UILabel> messageLabel_;
  std::vector<std::shared_ptr<UIView>> fieldRows_;
  std::vector<std::shared_ptr<UIButton>> buttons_;  // in display order
  std::vector<std::shared_ptr<UIView>> separators_;
};
