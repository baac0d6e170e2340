#pragma once

// A walk-through of an add-on, presented over its home page: a scrolling list with the add-on's
// name, a subtitle and the entries in the order given, each a system symbol beside its text.
//
// Layout (points, width W, on the system background; presented as a sheet):
//
//   bar        52 high across the top, with "Done" in its middle height, 16 from the right
//              edge; the button closes the tutorial
//   scroll     the rest of the view, below the bar; its content, from the top:
//     name       8 from the top, 24 in from both sides, centred; bold 30
//     subtitle   6 below the name, same width, centred, wrapping; 15, secondary label colour
//     entries    the first 32 below the subtitle, then 24 between entries: the symbol 30 x 30
//                at x 24, tinted blue, level with the text's first line; the text from x 70 to
//                W - 24, wrapping, 16, label colour
//   and 40 below the last entry (the safe area is added to that by the scroll view).

#include <memory>
#include <string>
#include <vector>

#include "BrisvaleKit/BVTutorialData.h"
#include "uikit/UIButton.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIScrollView.h"
#include "uikit/UIViewController.h"

class BVTutorialViewController : public UIViewController {
  OBJC_CLASS(BVTutorialViewController, UIViewController);

 public:
  std::shared_ptr<BVTutorialViewController> initWithTweakName(
      std::string tweakName, std::string subtitle,
      std::vector<std::shared_ptr<BVTutorialData>> tutorialArray);

  void loadView() override;

  const std::vector<std::shared_ptr<BVTutorialData>>& tutorialArray() const { return entries_; }

  // The screen's parts, once the view is loaded; one icon and one label per entry, in order.
  std::shared_ptr<UIScrollView> scrollView() const { return scrollView_; }
  std::shared_ptr<UILabel> titleLabel() const { return titleLabel_; }
  std::shared_ptr<UILabel> subtitleLabel() const { return subtitleLabel_; }
  const std::vector<std::shared_ptr<UIImageView>>& entryIcons() const { return entryIcons_; }
  const std::vector<std::shared_ptr<UILabel>>& entryLabels() const { return entryLabels_; }
  std::shared_ptr<UIButton> doneButton() const { return doneButton_; }

 private:
  void doneTapped();

  std::string tweakName_;
  std::string subtitle_;
  std::vector<std::shared_ptr<BVTutorialData>> entries_;

  std::shared_ptr<UIScrollView> scrollView_;
  std::shared_ptr<UILabel> titleLabel_;
  std::shared_ptr<UILabel> subtitleLabel_;
  std::vector<std::shared_ptr<UIImageView>> entryIcons_;
  std::vector<std::shared_ptr<UILabel>> entryLabels_;
  std::shared_ptr<UIButton> doneButton_;
};
