#include "BrisvaleKit/BVTutorialViewController.h"

#include <algorithm>
#include <cmath>

#include "BrisvaleKit/UIView+Layout.h"
#include "uikit/UIFont.h"

namespace {

// The scrolling list. Wrapped texts decide every row's height, so the rows are placed by frame
// for the width the list has, and the content size follows them.
class BVTutorialListView : public UIScrollView {
  OBJC_CLASS(BVTutorialListView, UIScrollView);

 public:
  std::shared_ptr<UILabel> titleLabel;
  std::shared_ptr<UILabel> subtitleLabel;
  std::vector<std::shared_ptr<UIImageView>> icons;
  std::vector<std::shared_ptr<UILabel>> labels;

  void layoutSubviews() override {
    UIScrollView::layoutSubviews();
    const CGFloat width = bounds().size.width;
    const CGFloat textWidth = std::max<CGFloat>(0, width - 48);
    CGFloat y = 8;
    y = place(titleLabel, 24, y, textWidth) + 6;
    y = place(subtitleLabel, 24, y, textWidth) + 32;
    const CGFloat entryWidth = std::max<CGFloat>(0, width - 70 - 24);
    for (size_t i = 0; i < labels.size(); ++i) {
      if (i > 0) y += 24;
      const CGFloat textTop = y;
      const CGFloat textBottom = place(labels[i], 70, y, entryWidth);
      // Level with the first line: the symbol's middle on the middle of that line.
      const CGFloat lineHeight = labels[i]->font()->lineHeight();
      icons[i]->setFrame(CGRectMake(24, textTop + lineHeight / 2 - 15, 30, 30));
      y = std::max(textBottom, CGRectGetMaxY(icons[i]->frame()));
    }
    setContentSize(CGSizeMake(width, y + 40));
  }

 private:
  // Puts the label at (x, y), as tall as its text wrapped to `width`; returns its bottom.
  static CGFloat place(const std::shared_ptr<UILabel>& label, CGFloat x, CGFloat y, CGFloat width) {
    const CGFloat height = std::ceil(label->sizeThatFits(CGSizeMake(width, 0)).height);
    label->setFrame(CGRectMake(x, y, width, height));
    return y + height;
  }
};

}  // namespace

OBJC_CLASS_IMPL(BVTutorialListView) {}

OBJC_CLASS_IMPL(BVTutorialViewController) {
  c.method("doneTapped", &BVTutorialViewController::doneTapped);
}

std::shared_ptr<BVTutorialViewController> BVTutorialViewController::initWithTweakName(
    std::string tweakName, std::string subtitle,
    std::vector<std::shared_ptr<BVTutorialData>> tutorialArray) {
  init();
  tweakName_ = std::move(tweakName);
  subtitle_ = std::move(subtitle);
  // A nil entry would have nothing to show; it is left out rather than drawn empty.
  std::erase(tutorialArray, nullptr);
  entries_ = std::move(tutorialArray);
  return selfAs<BVTutorialViewController>();
}

void BVTutorialViewController::loadView() {
  auto root = UIView::alloc()->init();
  root->setBackgroundColor(UIColor::systemBackgroundColor());
  setView(root);

  // A bar of its own for "Done", so the list never runs under the button.
  auto bar = UIView::alloc()->init();
  bar->setBackgroundColor(UIColor::systemBackgroundColor());
  root->addSubview(bar);
  Layout::top(bar, root->topAnchor(), 0);
  Layout::leading(bar, root->leadingAnchor(), 0);
  Layout::trailing(bar, root->trailingAnchor(), 0);
  Layout::height(bar, 52);

  auto list = BVTutorialListView::alloc();
  list->initWithFrame(CGRectZero);
  list->setAlwaysBounceVertical(true);
  root->addSubview(list);
  Layout::top(list, bar->bottomAnchor(), 0);
  Layout::leading(list, root->leadingAnchor(), 0);
  Layout::trailing(list, root->trailingAnchor(), 0);
  Layout::bottom(list, root->bottomAnchor(), 0);
  scrollView_ = list;

  titleLabel_ = UILabel::alloc()->init();
  titleLabel_->setText(tweakName_);
  titleLabel_->setFont(UIFont::systemFontOfSize(30, UIFontWeightBold));
  titleLabel_->setTextColor(UIColor::labelColor());
  titleLabel_->setTextAlignment(NSTextAlignmentCenter);
  titleLabel_->setNumberOfLines(0);
  list->addSubview(titleLabel_);
  list->titleLabel = titleLabel_;

  subtitleLabel_ = UILabel::alloc()->init();
  subtitleLabel_->setText(subtitle_);
  subtitleLabel_->setFont(UIFont::systemFontOfSize(15));
  subtitleLabel_->setTextColor(UIColor::secondaryLabelColor());
  subtitleLabel_->setTextAlignment(NSTextAlignmentCenter);
  subtitleLabel_->setNumberOfLines(0);
  list->addSubview(subtitleLabel_);
  list->subtitleLabel = subtitleLabel_;

  for (const auto& entry : entries_) {
    auto icon = UIImageView::alloc()->initWithImage(UIImage::systemImageNamed(entry->icon()));
    icon->setContentMode(UIViewContentModeScaleAspectFit);
    icon->setTintColor(UIColor::systemBlueColor());
    list->addSubview(icon);
    entryIcons_.push_back(icon);

    auto label = UILabel::alloc()->init();
    label->setText(entry->text());
    label->setFont(UIFont::systemFontOfSize(16));
    label->setTextColor(UIColor::labelColor());
    label->setNumberOfLines(0);
    list->addSubview(label);
    entryLabels_.push_back(label);
  }
  list->icons = entryIcons_;
  list->labels = entryLabels_;

  doneButton_ = UIButton::buttonWithType(UIButtonTypeSystem);
  doneButton_->setTitle("Done", UIControlStateNormal);
  doneButton_->titleLabel()->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
  doneButton_->addTarget(self(), SEL("doneTapped"), UIControlEventTouchUpInside);
  bar->addSubview(doneButton_);
  Layout::y(doneButton_, bar->centerYAnchor());
  Layout::trailing(doneButton_, bar->trailingAnchor(), -16);
}

void BVTutorialViewController::doneTapped() {
  dismissViewControllerAnimated(true, nullptr);
}
