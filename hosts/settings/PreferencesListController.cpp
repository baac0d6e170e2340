#include "PreferencesListController.h"

#include "uikit/UIButton.h"
#include "uikit/UIControl.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UINavigationController.h"

namespace {

// One bundle's entry: its name and a disclosure mark, in a grouped cell.
class PSBundleEntryCell : public UIControl {
  OBJC_CLASS(PSBundleEntryCell, UIControl);

 public:
  std::shared_ptr<PSBundleEntryCell> initWithTitle(const std::string& title) {
    initWithFrame(CGRectZero);
    setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
    titleLabel_ = UILabel::alloc()->init();
    titleLabel_->setText(title);
    addSubview(titleLabel_);
    disclosure_ = UILabel::alloc()->init();
    disclosure_->setText("›");
    disclosure_->setFont(UIFont::systemFontOfSize(22));
    disclosure_->setTextColor(UIColor::tertiaryLabelColor());
    addSubview(disclosure_);
    return selfAs<PSBundleEntryCell>();
  }

  void layoutSubviews() override {
    UIControl::layoutSubviews();
    CGSize size = bounds().size;
    titleLabel_->setFrame({{16, 0}, {size.width - 48, size.height}});
    disclosure_->setFrame({{size.width - 26, 0}, {14, size.height}});
  }

  void setHighlighted(bool highlighted) override {
    UIControl::setHighlighted(highlighted);
    setBackgroundColor(highlighted ? UIColor::systemGray4Color()
                                   : UIColor::secondarySystemGroupedBackgroundColor());
  }

 private:
  std::shared_ptr<UILabel> titleLabel_;
  std::shared_ptr<UILabel> disclosure_;
};

class PSListView : public UIView {
  OBJC_CLASS(PSListView, UIView);

 public:
  std::shared_ptr<UILabel> titleLabel;
  std::shared_ptr<UILabel> emptyLabel;
  std::vector<std::shared_ptr<PSBundleEntryCell>> cells;

  void layoutSubviews() override {
    UIView::layoutSubviews();
    CGFloat width = bounds().size.width;
    CGFloat top = safeAreaInsets().top;
    titleLabel->setFrame({{20, top + 4}, {width - 40, 41}});
    CGFloat y = top + 64;
    for (const auto& cell : cells) {
      cell->setFrame({{16, y}, {width - 32, 44}});
      y += 44.5;
    }
    emptyLabel->setFrame({{20, y}, {width - 40, 20}});
  }
};

}  // namespace

OBJC_CLASS_IMPL(PSBundleEntryCell) {}
OBJC_CLASS_IMPL(PSListView) {}

OBJC_CLASS_IMPL(PreferencesListController) {
  c.method("entryTapped:", &PreferencesListController::entryTapped)
      .method("backPressed", &PreferencesListController::backPressed);
}

std::shared_ptr<PreferencesListController> PreferencesListController::initWithBundles(
    std::vector<PreferenceBundle> bundles) {
  init();
  bundles_ = std::move(bundles);
  setTitle("Settings");
  return selfAs<PreferencesListController>();
}

void PreferencesListController::loadView() {
  auto root = PSListView::alloc();
  root->initWithFrame(CGRectZero);
  root->setBackgroundColor(UIColor::systemGroupedBackgroundColor());
  root->titleLabel = UILabel::alloc()->init();
  root->titleLabel->setText("Settings");
  root->titleLabel->setFont(UIFont::systemFontOfSize(34, UIFontWeightBold));
  root->addSubview(root->titleLabel);
  for (size_t i = 0; i < bundles_.size(); ++i) {
    auto cell = PSBundleEntryCell::alloc()->initWithTitle(bundles_[i].displayName);
    cell->setTag(static_cast<long>(i));
    cell->addTarget(self(), SEL("entryTapped:"), UIControlEventTouchUpInside);
    if (i == 0) cell->layer()->setCornerRadius(10);
    root->addSubview(cell);
    root->cells.push_back(cell);
  }
  root->emptyLabel = UILabel::alloc()->init();
  root->emptyLabel->setText("No preference bundles installed");
  root->emptyLabel->setTextColor(UIColor::secondaryLabelColor());
  root->emptyLabel->setHidden(!bundles_.empty());
  root->addSubview(root->emptyLabel);
  setView(root);
}

void PreferencesListController::viewWillAppear(bool animated) {
  UIViewController::viewWillAppear(animated);
  auto navigation = navigationController();
  if (!backButton_ && navigation) {
    backButton_ = UIButton::buttonWithType(UIButtonTypeSystem);
    backButton_->setTitle("‹ Settings", UIControlStateNormal);
    backButton_->titleLabel()->setFont(UIFont::systemFontOfSize(17));
    backButton_->setFrame({{8, 0}, {110, 44}});
    backButton_->addTarget(self(), SEL("backPressed"), UIControlEventTouchUpInside);
    navigation->navigationBar()->addSubview(backButton_);
  }
  if (backButton_) backButton_->setHidden(true);
}

void PreferencesListController::backPressed() {
  if (auto navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

void PreferencesListController::entryTapped(id sender) {
  if (auto cell = std::dynamic_pointer_cast<UIView>(sender)) {
    openBundleAtIndex(static_cast<size_t>(cell->tag()));
  }
}

bool PreferencesListController::openBundleAtIndex(size_t index) {
  if (index >= bundles_.size()) return false;
  auto loaded = PreferenceBundles::load(bundles_[index]);
  auto navigation = navigationController();
  if (!loaded.rootController || !navigation) return false;
  loaded.rootController->setTitle(bundles_[index].displayName);
  navigation->pushViewController(loaded.rootController, true);
  if (backButton_) backButton_->setHidden(false);
  return true;
}
