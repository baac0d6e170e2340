#include "BrisvaleKit/BVPaidPrefsHomeViewController.h"

#include "BrisvaleKit/UIView+Layout.h"
#include "uikit/UIFont.h"

namespace {

// One row of the page's card: a title and a disclosure mark; grey while the finger is on it.
class BVHomeRow : public UIControl {
  OBJC_CLASS(BVHomeRow, UIControl);

 public:
  std::shared_ptr<BVHomeRow> initWithTitle(const char* title) {
    initWithFrame(CGRectZero);
    setBackgroundColor(UIColor::clearColor());
    titleLabel_ = UILabel::alloc()->init();
    titleLabel_->setText(title);
    titleLabel_->setFont(UIFont::systemFontOfSize(17));
    titleLabel_->setTextColor(UIColor::labelColor());
    titleLabel_->setUserInteractionEnabled(false);
    disclosure_ = UILabel::alloc()->init();
    disclosure_->setText("›");
    disclosure_->setFont(UIFont::systemFontOfSize(22));
    disclosure_->setTextColor(UIColor::tertiaryLabelColor());
    disclosure_->setUserInteractionEnabled(false);
    return selfAs<BVHomeRow>();
  }

  // Called once the row is in the card, since the layout methods need a superview.
  void layoutContents() {
    addSubview(titleLabel_);
    Layout::leading(titleLabel_, leadingAnchor(), 16);
    Layout::y(titleLabel_, centerYAnchor());
    addSubview(disclosure_);
    Layout::trailing(disclosure_, trailingAnchor(), -16);
    Layout::y(disclosure_, centerYAnchor(), -1);
  }

  void setHighlighted(bool highlighted) override {
    UIControl::setHighlighted(highlighted);
    setBackgroundColor(highlighted ? UIColor::systemGray4Color() : UIColor::clearColor());
  }

 private:
  std::shared_ptr<UILabel> titleLabel_;
  std::shared_ptr<UILabel> disclosure_;
};

}  // namespace

OBJC_CLASS_IMPL(BVHomeRow) {}

OBJC_CLASS_IMPL(BVPaidPrefsHomeViewController) {
  c.method("presentTutorialVC", &BVPaidPrefsHomeViewController::presentTutorialVC)
      .method("pushPrefsVC", &BVPaidPrefsHomeViewController::pushPrefsVC);
}

void BVPaidPrefsHomeViewController::viewDidLoad() {
  UIViewController::viewDidLoad();
  view()->setBackgroundColor(UIColor::systemGroupedBackgroundColor());
  layoutHero();
  layoutTitles();
  layoutRows();
}

void BVPaidPrefsHomeViewController::layoutHero() {
  const auto root = view();
  heroView_ = UIImageView::alloc()->initWithImage(nullptr);
  heroView_->setContentMode(UIViewContentModeScaleAspectFill);
  heroView_->setClipsToBounds(true);
  heroView_->setBackgroundColor(UIColor::systemGray5Color());
  root->addSubview(heroView_);
  Layout::top(heroView_, root->topAnchor(), 0);
  Layout::leading(heroView_, root->leadingAnchor(), 0);
  Layout::trailing(heroView_, root->trailingAnchor(), 0);
  Layout::height(heroView_, 180);

  iconView_ = UIImageView::alloc()->initWithImage(nullptr);
  iconView_->setContentMode(UIViewContentModeScaleAspectFill);
  iconView_->setClipsToBounds(true);
  iconView_->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
  iconView_->layer()->setCornerRadius(18);
  iconView_->layer()->setBorderWidth(4);
  applyIconRingColor();
  root->addSubview(iconView_);
  Layout::size(iconView_, 80, 80);
  Layout::x(iconView_, root->centerXAnchor());
  Layout::y(iconView_, heroView_->bottomAnchor());
}

void BVPaidPrefsHomeViewController::layoutTitles() {
  const auto root = view();
  nameLabel_ = UILabel::alloc()->init();
  nameLabel_->setFont(UIFont::systemFontOfSize(28, UIFontWeightBold));
  nameLabel_->setTextColor(UIColor::labelColor());
  nameLabel_->setTextAlignment(NSTextAlignmentCenter);
  root->addSubview(nameLabel_);
  Layout::top(nameLabel_, iconView_->bottomAnchor(), 12);
  Layout::x(nameLabel_, root->centerXAnchor());

  versionLabel_ = UILabel::alloc()->init();
  versionLabel_->setFont(UIFont::systemFontOfSize(15));
  versionLabel_->setTextColor(UIColor::secondaryLabelColor());
  versionLabel_->setTextAlignment(NSTextAlignmentCenter);
  root->addSubview(versionLabel_);
  Layout::top(versionLabel_, nameLabel_->bottomAnchor(), 2);
  Layout::x(versionLabel_, root->centerXAnchor());

  toggleContainerView_ = UIView::alloc()->init();
  root->addSubview(toggleContainerView_);
  Layout::top(toggleContainerView_, versionLabel_->bottomAnchor(), 28);
  Layout::x(toggleContainerView_, root->centerXAnchor());
  Layout::size(toggleContainerView_, 200, 125);
}

void BVPaidPrefsHomeViewController::layoutRows() {
  const auto root = view();
  auto card = UIView::alloc()->init();
  card->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
  card->layer()->setCornerRadius(10);
  card->setClipsToBounds(true);
  root->addSubview(card);
  Layout::top(card, toggleContainerView_->bottomAnchor(), 36);
  Layout::leading(card, root->leadingAnchor(), 16);
  Layout::trailing(card, root->trailingAnchor(), -16);
  Layout::height(card, 88.5);

  tutorialRow_ = addRow(card, "Tutorial", SEL("presentTutorialVC"));
  Layout::top(tutorialRow_, card->topAnchor(), 0);
  settingsRow_ = addRow(card, "Settings", SEL("pushPrefsVC"));
  Layout::bottom(settingsRow_, card->bottomAnchor(), 0);

  auto separator = UIView::alloc()->init();
  separator->setBackgroundColor(UIColor::separatorColor());
  card->addSubview(separator);
  Layout::top(separator, tutorialRow_->bottomAnchor(), 0);
  Layout::leading(separator, card->leadingAnchor(), 16);
  Layout::trailing(separator, card->trailingAnchor(), 0);
  Layout::height(separator, 0.5);
}

std::shared_ptr<UIControl> BVPaidPrefsHomeViewController::addRow(
    const std::shared_ptr<UIView>& card, const char* title, SEL action) {
  auto row = BVHomeRow::alloc()->initWithTitle(title);
  card->addSubview(row);
  row->layoutContents();
  Layout::leading(row, card->leadingAnchor(), 0);
  Layout::trailing(row, card->trailingAnchor(), 0);
  Layout::height(row, 44);
  row->addTarget(self(), action, UIControlEventTouchUpInside);
  return row;
}

void BVPaidPrefsHomeViewController::updateWithPrefsConfig(
    const std::shared_ptr<BVPrefsConfig>& config) {
  if (!config) return;
  view();
  heroView_->setImage(config->heroCover());
  iconView_->setImage(config->heroIcon());
  // An icon drawn with its own rounded corners must not show the plain fill in them.
  iconView_->setBackgroundColor(config->heroIcon()
                                    ? UIColor::clearColor()
                                    : UIColor::secondarySystemGroupedBackgroundColor());
  nameLabel_->setText(config->tweakName());
  versionLabel_->setText(config->tweakVersion());
}

std::shared_ptr<UIView> BVPaidPrefsHomeViewController::toggleContainerView() {
  view();
  return toggleContainerView_;
}

void BVPaidPrefsHomeViewController::traitCollectionDidChange(
    const std::shared_ptr<UITraitCollection>& previous) {
  UIViewController::traitCollectionDidChange(previous);
  applyIconRingColor();
}

void BVPaidPrefsHomeViewController::applyIconRingColor() {
  if (!iconView_) return;
  iconView_->layer()->setBorderColor(
      UIColor::systemGroupedBackgroundColor()
          ->resolvedColorWithTraitCollection(iconView_->traitCollection())
          ->CGColor());
}
