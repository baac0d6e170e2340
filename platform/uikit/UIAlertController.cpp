#include "uikit/UIAlertController.h"

#include <algorithm>
#include <cmath>

#include "runtime/RuntimeError.h"
#include "uikit/UIButton.h"
#include "uikit/UILabel.h"
#include "uikit/UIScreen.h"
#include "uikit/UITextField.h"

namespace {

// The alert's root view: it places the cards whenever its size changes.
class UIAlertControllerView : public UIView {
  OBJC_CLASS(UIAlertControllerView, UIView);

 public:
  void layoutSubviews() override {
    UIView::layoutSubviews();
    if (auto alert = std::dynamic_pointer_cast<UIAlertController>(viewDelegate())) {
      alert->layoutCards();
    }
  }
};

// An action's button: it greys its background while touched.
class UIAlertActionButton : public UIButton {
  OBJC_CLASS(UIAlertActionButton, UIButton);

 public:
  void setHighlighted(bool highlighted) override {
    UIButton::setHighlighted(highlighted);
    setBackgroundColor(highlighted ? UIColor::systemFillColor() : nullptr);
  }
};

constexpr CGFloat kAlertWidth = 270;
constexpr CGFloat kAlertCornerRadius = 14;
constexpr CGFloat kSheetCornerRadius = 13;
constexpr CGFloat kSheetInset = 8;
constexpr CGFloat kTextInset = 16;
constexpr CGFloat kAlertButtonHeight = 44;
constexpr CGFloat kSheetButtonHeight = 57;
constexpr CGFloat kFieldHeight = 30;

std::shared_ptr<UIColor> cardColor() {
  return UIColor::colorWithDynamicProvider([](const std::shared_ptr<UITraitCollection>& traits) {
    return traits->userInterfaceStyle() == UIUserInterfaceStyleDark
               ? UIColor::colorWithWhite(0.17, 1)
               : UIColor::colorWithWhite(0.97, 1);
  });
}

std::shared_ptr<UIView> makeCard(CGFloat cornerRadius) {
  auto card = UIView::alloc()->initWithFrame(CGRectZero);
  card->setBackgroundColor(cardColor());
  card->layer()->setCornerRadius(cornerRadius);
  card->layer()->setCornerCurve(kCACornerCurveContinuous);
  card->setClipsToBounds(true);
  return card;
}

std::shared_ptr<UILabel> makeLabel(const std::string& text, std::shared_ptr<UIFont> font,
                                   std::shared_ptr<UIColor> color) {
  auto label = UILabel::alloc()->initWithFrame(CGRectZero);
  label->setText(text);
  label->setFont(font);
  label->setTextColor(color);
  label->setTextAlignment(NSTextAlignmentCenter);
  label->setNumberOfLines(0);
  return label;
}

CGFloat hairline() {
  return 1 / UIScreen::mainScreen()->scale();
}

}  // namespace

OBJC_CLASS_IMPL(UIAlertControllerView) {}
OBJC_CLASS_IMPL(UIAlertActionButton) {}

OBJC_CLASS_IMPL(UIAlertController) {
  c.method("actionButtonTapped:", &UIAlertController::actionButtonTapped)
      .method("backgroundTapped", &UIAlertController::backgroundTapped);
}

std::shared_ptr<UIAlertController> UIAlertController::alertControllerWithTitle(
    const std::string& title, const std::string& message, UIAlertControllerStyle style) {
  auto alert = alloc();
  alert->init();
  alert->UIViewController::setTitle(title);
  alert->message_ = message;
  alert->preferredStyle_ = style;
  // Shown over what presents it, which stays in place and keeps appearing.
  alert->setModalPresentationStyle(UIModalPresentationCustom);
  return alert;
}

void UIAlertController::setTitle(const std::string& title) {
  UIViewController::setTitle(title);
  if (isViewLoaded()) buildCards();
}

void UIAlertController::setMessage(const std::string& message) {
  message_ = message;
  if (isViewLoaded()) buildCards();
}

void UIAlertController::addAction(const std::shared_ptr<UIAlertAction>& action) {
  if (!action) return;
  if (action->style() == UIAlertActionStyleCancel && cancelAction()) {
    throw objc::RuntimeError(
        "UIAlertController can only have one action with a style of UIAlertActionStyleCancel");
  }
  actions_.push_back(action);
  if (isViewLoaded()) buildCards();
}

void UIAlertController::setPreferredAction(const std::shared_ptr<UIAlertAction>& action) {
  if (action && std::find(actions_.begin(), actions_.end(), action) == actions_.end()) {
    throw objc::RuntimeError(
        "The -preferredAction of an alert controller must be one of its actions");
  }
  preferredAction_ = action;
  if (isViewLoaded()) buildCards();
}

void UIAlertController::addTextFieldWithConfigurationHandler(
    const TextFieldConfiguration& configuration) {
  if (!isAlert()) {
    throw objc::RuntimeError(
        "Text fields can only be added to an alert controller of style "
        "UIAlertControllerStyleAlert");
  }
  auto field = UITextField::alloc()->initWithFrame(CGRectZero);
  field->setFont(UIFont::systemFontOfSize(13));
  textFields_.push_back(field);
  if (configuration) configuration(field);
  if (isViewLoaded()) buildCards();
}

std::shared_ptr<UIAlertAction> UIAlertController::cancelAction() const {
  for (auto& action : actions_) {
    if (action->style() == UIAlertActionStyleCancel) return action;
  }
  return nullptr;
}

std::vector<std::shared_ptr<UIAlertAction>> UIAlertController::displayOrder() const {
  auto cancel = cancelAction();
  if (isAlert() && actions_.size() == 2 && cancel) {
    return {cancel, actions_[0] == cancel ? actions_[1] : actions_[0]};
  }
  std::vector<std::shared_ptr<UIAlertAction>> order;
  for (auto& action : actions_) {
    if (action != cancel) order.push_back(action);
  }
  if (cancel) order.push_back(cancel);
  return order;
}

// ---- Views ----

void UIAlertController::loadView() {
  auto root = UIAlertControllerView::alloc()->initWithFrame(UIScreen::mainScreen()->bounds());
  setView(root);
  dimmingView_ = UIControl::alloc()->initWithFrame(root->bounds());
  dimmingView_->setBackgroundColor(UIColor::colorWithWhite(0, isAlert() ? 0.2 : 0.4));
  if (!isAlert()) {
    dimmingView_->addTarget(self(), "backgroundTapped", UIControlEventTouchUpInside);
  }
  root->addSubview(dimmingView_);
  buildCards();
}

std::shared_ptr<UIView> UIAlertController::separator(const std::shared_ptr<UIView>& card) {
  auto line = UIView::alloc()->initWithFrame(CGRectZero);
  line->setBackgroundColor(UIColor::separatorColor());
  card->addSubview(line);
  separators_.push_back(line);
  return line;
}

std::shared_ptr<UIButton> UIAlertController::makeButton(
    const std::shared_ptr<UIAlertAction>& action) {
  auto button = UIAlertActionButton::alloc()->initWithFrame(CGRectZero);
  button->setTitle(action->title(), UIControlStateNormal);
  auto color = action->style() == UIAlertActionStyleDestructive ? UIColor::systemRedColor()
                                                                : UIColor::systemBlueColor();
  button->setTitleColor(color, UIControlStateNormal);
  button->setTitleColor(UIColor::secondaryLabelColor(), UIControlStateDisabled);
  // The preferred action is bold; without one, the cancel action is.
  auto bold = preferredAction_ ? preferredAction_ : cancelAction();
  UIFontWeight weight = action == bold ? UIFontWeightSemibold : UIFontWeightRegular;
  button->titleLabel()->setFont(UIFont::systemFontOfSize(isAlert() ? 17 : 20, weight));
  button->setEnabled(action->isEnabled());
  auto index = std::find(actions_.begin(), actions_.end(), action) - actions_.begin();
  button->setTag(static_cast<long>(index));
  button->addTarget(self(), "actionButtonTapped:", UIControlEventTouchUpInside);
  return button;
}

void UIAlertController::buildCards() {
  for (auto& card : {card_, cancelCard_}) {
    if (card) card->removeFromSuperview();
  }
  card_ = makeCard(isAlert() ? kAlertCornerRadius : kSheetCornerRadius);
  cancelCard_ = nullptr;
  titleLabel_ = nullptr;
  messageLabel_ = nullptr;
  fieldRows_.clear();
  buttons_.clear();
  separators_.clear();

  if (!title().empty()) {
    titleLabel_ =
        makeLabel(title(), UIFont::systemFontOfSize(isAlert() ? 17 : 13, UIFontWeightSemibold),
                  isAlert() ? UIColor::labelColor() : UIColor::secondaryLabelColor());
    card_->addSubview(titleLabel_);
  }
  if (!message_.empty()) {
    messageLabel_ = makeLabel(message_, UIFont::systemFontOfSize(13),
                              isAlert() ? UIColor::labelColor() : UIColor::secondaryLabelColor());
    card_->addSubview(messageLabel_);
  }
  for (auto& field : textFields_) {
    auto row = UIView::alloc()->initWithFrame(CGRectZero);
    row->setBackgroundColor(UIColor::systemBackgroundColor());
    row->layer()->setCornerRadius(6);
    row->addSubview(field);
    card_->addSubview(row);
    fieldRows_.push_back(row);
  }

  auto cancel = cancelAction();
  for (auto& action : displayOrder()) {
    auto button = makeButton(action);
    buttons_.push_back(button);
    if (!isAlert() && action == cancel) {
      cancelCard_ = makeCard(kSheetCornerRadius);
      cancelCard_->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
      cancelCard_->addSubview(button);
    } else {
      separator(card_);
      card_->addSubview(button);
    }
  }

  view()->addSubview(card_);
  if (cancelCard_) view()->addSubview(cancelCard_);
  layoutCards();
}

void UIAlertController::layoutCards() {
  if (!card_) return;
  CGRect bounds = view()->bounds();
  dimmingView_->setFrame(bounds);
  // Cards are placed by bounds and centre, so that an entrance transform can stay on them.
  if (isAlert()) {
    CGFloat height = layoutCardContents(kAlertWidth);
    card_->setBounds(CGRectMake(0, 0, kAlertWidth, height));
    card_->setCenter(CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds)));
    return;
  }
  CGFloat width = bounds.size.width - 2 * kSheetInset;
  CGFloat bottom = bounds.size.height - std::max(view()->safeAreaInsets().bottom, kSheetInset);
  if (cancelCard_) {
    cancelCard_->setBounds(CGRectMake(0, 0, width, kSheetButtonHeight));
    cancelCard_->setCenter(CGPointMake(CGRectGetMidX(bounds), bottom - kSheetButtonHeight / 2));
    buttons_.back()->setFrame(CGRectMake(0, 0, width, kSheetButtonHeight));
    bottom -= kSheetButtonHeight + kSheetInset;
  }
  CGFloat height = layoutCardContents(width);
  card_->setBounds(CGRectMake(0, 0, width, height));
  card_->setCenter(CGPointMake(CGRectGetMidX(bounds), bottom - height / 2));
}

CGFloat UIAlertController::layoutCardContents(CGFloat width) {
  CGFloat textWidth = width - 2 * kTextInset;
  auto textHeight = [textWidth](const std::shared_ptr<UILabel>& label) {
    return std::ceil(label->sizeThatFits(CGSizeMake(textWidth, 0)).height);
  };
  bool header = titleLabel_ || messageLabel_;
  CGFloat y = header ? (isAlert() ? 20 : 14) : 0;
  if (titleLabel_) {
    CGFloat height = textHeight(titleLabel_);
    titleLabel_->setFrame(CGRectMake(kTextInset, y, textWidth, height));
    y += height;
  }
  if (messageLabel_) {
    if (titleLabel_) y += 2;
    CGFloat height = textHeight(messageLabel_);
    messageLabel_->setFrame(CGRectMake(kTextInset, y, textWidth, height));
    y += height;
  }
  if (header) y += isAlert() && fieldRows_.empty() ? 20 : 14;
  if (!fieldRows_.empty()) {
    if (!header) y += kTextInset;
    for (size_t i = 0; i < fieldRows_.size(); ++i) {
      fieldRows_[i]->setFrame(CGRectMake(kTextInset, y, textWidth, kFieldHeight));
      textFields_[i]->setFrame(CGRectMake(6, 0, textWidth - 12, kFieldHeight));
      y += kFieldHeight + 4;
    }
    y += kTextInset - 4;
  }

  // The buttons of this card: all of an alert's, an action sheet's but the cancel one.
  size_t count = cancelCard_ ? buttons_.size() - 1 : buttons_.size();
  CGFloat line = hairline();
  if (isAlert() && count == 2) {
    CGFloat half = width / 2;
    separators_[0]->setFrame(CGRectMake(0, y, width, line));
    separators_[1]->setFrame(CGRectMake(half, y, line, kAlertButtonHeight));
    buttons_[0]->setFrame(CGRectMake(0, y, half, kAlertButtonHeight));
    buttons_[1]->setFrame(CGRectMake(half, y, width - half, kAlertButtonHeight));
    // The vertical line lies over the buttons.
    card_->bringSubviewToFront(separators_[1]);
    return y + kAlertButtonHeight;
  }
  CGFloat buttonHeight = isAlert() ? kAlertButtonHeight : kSheetButtonHeight;
  for (size_t i = 0; i < count; ++i) {
    // No line above a first button with nothing over it.
    separators_[i]->setHidden(y == 0);
    separators_[i]->setFrame(CGRectMake(0, y, width, line));
    buttons_[i]->setFrame(CGRectMake(0, y, width, buttonHeight));
    card_->bringSubviewToFront(separators_[i]);
    y += buttonHeight;
  }
  return y;
}

// ---- Appearance ----

void UIAlertController::viewWillAppear(bool animated) {
  UIViewController::viewWillAppear(animated);
  finishing_ = false;
  layoutCards();
  if (!animated) return;
  // Alerts grow into place, action sheets rise from the bottom edge.
  std::vector<std::shared_ptr<UIView>> cards{card_};
  if (cancelCard_) cards.push_back(cancelCard_);
  CGFloat rise = view()->bounds().size.height - CGRectGetMinY(card_->frame());
  for (auto& card : cards) {
    card->setTransform(isAlert() ? CGAffineTransformMakeScale(1.2, 1.2)
                                 : CGAffineTransformMakeTranslation(0, rise));
  }
  UIView::animateWithDuration(isAlert() ? 0.25 : 0.4, [cards] {
    for (auto& card : cards) card->setTransform(CGAffineTransformIdentity);
  });
}

void UIAlertController::viewDidAppear(bool animated) {
  UIViewController::viewDidAppear(animated);
  if (!textFields_.empty()) textFields_.front()->becomeFirstResponder();
}

void UIAlertController::viewWillDisappear(bool animated) {
  UIViewController::viewWillDisappear(animated);
  for (auto& field : textFields_) {
    if (field->isFirstResponder()) field->resignFirstResponder();
  }
}

// ---- Taps ----

void UIAlertController::actionButtonTapped(std::shared_ptr<UIButton> button) {
  if (!button || button->tag() < 0 || static_cast<size_t>(button->tag()) >= actions_.size()) {
    return;
  }
  auto action = actions_[static_cast<size_t>(button->tag())];
  if (action->isEnabled()) finish(action);
}

void UIAlertController::backgroundTapped() {
  if (auto cancel = cancelAction()) finish(cancel);
}

void UIAlertController::finish(const std::shared_ptr<UIAlertAction>& action) {
  // One tap ends the alert; more taps while it leaves change nothing.
  if (finishing_) return;
  finishing_ = true;
  auto keep = selfAs<UIAlertController>();
  dismissViewControllerAnimated(true, [keep, action] {
    if (action->handler()) action->handler()(action);
  });
}
