#include "settings/SettingCardCell.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "settings/SettingManager.h"
#include "uikit/UIFont.h"

namespace {

std::shared_ptr<UILabel> makeLabel(CGFloat size, std::shared_ptr<UIColor> colour) {
  auto label = UILabel::alloc()->init();
  label->setTextAlignment(NSTextAlignmentLeft);
  label->setFont(UIFont::systemFontOfSize(size, UIFontWeightRegular));
  label->setTextColor(std::move(colour));
  return label;
}

}  // namespace

void SettingCardCell::initWithCard(UITableViewCellStyle style, const std::string& reuseIdentifier,
                                   const std::optional<std::string>& switchKey) {
  UITableViewCell::initWithStyle(style, reuseIdentifier);
  const bool stored = switchKey && SettingManager::sharedInstance()->boolForKey(*switchKey, true);
  auto cell = selfAs<SettingCardCell>();

  baseView_ = UIView::alloc()->init();
  baseView_->setBackgroundColor(UIColor::secondarySystemBackgroundColor());
  baseView_->layer()->setCornerRadius(15);
  baseView_->layer()->setCornerCurve(kCACornerCurveContinuous);
  baseView_->setClipsToBounds(true);
  addSubview(baseView_);
  Layout::top(baseView_, topAnchor(), 5);
  Layout::leading(baseView_, leadingAnchor(), 5);
  Layout::trailing(baseView_, trailingAnchor(), -5);
  Layout::bottom(baseView_, bottomAnchor(), -5);

  iconView_ = UIView::alloc()->init();
  iconView_->layer()->setCornerRadius(10);
  iconView_->layer()->setCornerCurve(kCACornerCurveContinuous);
  iconView_->setClipsToBounds(true);
  baseView_->addSubview(iconView_);
  Layout::size(iconView_, 40, 40);
  Layout::y(iconView_, baseView_->centerYAnchor());
  Layout::leading(iconView_, baseView_->leadingAnchor(), 10);

  iconImage_ = UIImageView::alloc();
  iconImage_->init();
  iconView_->addSubview(iconImage_);
  Layout::size(iconImage_, 30, 30);
  Layout::xy(iconImage_, iconView_->centerXAnchor(), iconView_->centerYAnchor());

  // What the texts end against: the switch, or the card's edge on a row without one.
  NSLayoutXAxisAnchor textEnd = baseView_->trailingAnchor();
  if (switchKey) {
    switchKey_ = *switchKey;
    toggleSwitch_ = UISwitch::alloc()->init();
    toggleSwitch_->setOnTintColor(UIColor::systemBlueColor());
    toggleSwitch_->setThumbTintColor(UIColor::secondarySystemBackgroundColor());
    toggleSwitch_->setOn(stored, false);
    toggleSwitch_->addTarget(cell, "switchChangedState:", UIControlEventValueChanged);
    contentView()->addSubview(toggleSwitch_);
    Layout::y(toggleSwitch_, baseView_->centerYAnchor());
    Layout::trailing(toggleSwitch_, baseView_->trailingAnchor(), -10);
    textEnd = toggleSwitch_->leadingAnchor();
  }

  titleLabel_ = makeLabel(16, UIColor::labelColor());
  baseView_->addSubview(titleLabel_);
  Layout::leading(titleLabel_, iconView_->trailingAnchor(), 10);
  Layout::top(titleLabel_, iconView_->topAnchor(), 2);
  Layout::trailing(titleLabel_, textEnd, -10);

  subtitleLabel_ = makeLabel(13, UIColor::tertiaryLabelColor());
  baseView_->addSubview(subtitleLabel_);
  Layout::leading(subtitleLabel_, iconView_->trailingAnchor(), 10);
  Layout::bottom(subtitleLabel_, iconView_->bottomAnchor(), -2);
  Layout::trailing(subtitleLabel_, textEnd, -10);
}

void SettingCardCell::prepareForReuse() {
  UITableViewCell::prepareForReuse();
  iconImage_->setImage(nullptr);
  titleLabel_->setText(nullptr);
  subtitleLabel_->setText(nullptr);
}

void SettingCardCell::switchChangedState(std::shared_ptr<UISwitch> toggle) {
  if (toggle) SettingManager::sharedInstance()->setBool(toggle->isOn(), switchKey_);
}

OBJC_CLASS_IMPL(SettingCardCell) {
  c.method("switchChangedState:", &SettingCardCell::switchChangedState)
      .property("baseView", &SettingCardCell::baseView, &SettingCardCell::setBaseView)
      .property("iconView", &SettingCardCell::iconView, &SettingCardCell::setIconView)
      .property("iconImage", &SettingCardCell::iconImage, &SettingCardCell::setIconImage)
      .property("titleLabel", &SettingCardCell::titleLabel, &SettingCardCell::setTitleLabel)
      .property("subtitleLabel", &SettingCardCell::subtitleLabel,
                &SettingCardCell::setSubtitleLabel);
}
