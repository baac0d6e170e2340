#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quartz/UITraitCollection.h"
#include "uikit/UIResponder.h"

class UIView;
class UIWindow;
class UINavigationController;
class UIPresentation;

enum UIModalPresentationStyle : long {
  UIModalPresentationFullScreen = 0,
  UIModalPresentationPageSheet = 1,
  UIModalPresentationFormSheet = 2,
  UIModalPresentationCurrentContext = 3,
  UIModalPresentationCustom = 4,
  UIModalPresentationOverFullScreen = 5,
  UIModalPresentationOverCurrentContext = 6,
  UIModalPresentationPopover = 7,
  UIModalPresentationNone = -1,
  UIModalPresentationAutomatic = -2,
};

// Manages one screen's view: loads it on first use, tells subclasses when it appears and
// disappears, presents other controllers over it and holds child controllers.
//
// The chain of presentation: a controller presents at most one controller at a time; the
// presented one holds its presenter weakly and the presenter holds the presented strongly.
class UIViewController : public UIResponder {
  OBJC_CLASS(UIViewController, UIResponder);

 public:
  using Completion = std::function<void()>;

  UIViewController();
  ~UIViewController() override;

  std::shared_ptr<UIViewController> init();

  // The root view, loaded (loadView, then viewDidLoad) on first access.
  std::shared_ptr<UIView> view();
  void setView(const std::shared_ptr<UIView>& view);
  bool isViewLoaded() const { return view_ != nullptr; }
  std::shared_ptr<UIView> viewIfLoaded() const { return view_; }
  // Makes the root view; the default is a plain view the size of the screen.
  virtual void loadView();
  virtual void viewDidLoad() {}

  // Appearance, sent around the view entering or leaving a window through presentation,
  // navigation or a window's root controller.
  virtual void viewWillAppear(bool animated);
  virtual void viewDidAppear(bool animated);
  virtual void viewWillDisappear(bool animated);
  virtual void viewDidDisappear(bool animated);

  // Sent by the view's window (through the view) when the appearance changes.
  virtual void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous);
  std::shared_ptr<UITraitCollection> traitCollection() const;

  const std::string& title() const { return title_; }
  virtual void setTitle(const std::string& title) { title_ = title; }

  // Presentation.
  UIModalPresentationStyle modalPresentationStyle() const { return modalPresentationStyle_; }
  void setModalPresentationStyle(UIModalPresentationStyle style) {
    modalPresentationStyle_ = style;
  }
  // Presents over this controller's window. Refused (with the platform's log line) while this
  // controller already presents another one, or when its view is not in a window.
  virtual void presentViewController(const std::shared_ptr<UIViewController>& controller,
                                     bool animated, Completion completion);
  // Sent to the presenter or to the presented controller: dismisses what the presenter presents.
  // The completion runs on the main run loop after the dismissal.
  virtual void dismissViewControllerAnimated(bool animated, Completion completion);
  std::shared_ptr<UIViewController> presentedViewController() const;
  std::shared_ptr<UIViewController> presentingViewController() const;
  // A controller that is modal in its presentation cannot be swiped away as a sheet.
  bool isModalInPresentation() const { return modalInPresentation_; }
  void setModalInPresentation(bool modal) { modalInPresentation_ = modal; }
  bool isBeingPresented() const { return beingPresented_; }
  bool isBeingDismissed() const { return beingDismissed_; }

  // Containment.
  std::shared_ptr<UIViewController> parentViewController() const { return parent_.lock(); }
  const std::vector<std::shared_ptr<UIViewController>>& childViewControllers() const {
    return children_;
  }
  void addChildViewController(const std::shared_ptr<UIViewController>& child);
  void removeFromParentViewController();
  virtual void willMoveToParentViewController(const std::shared_ptr<UIViewController>&) {}
  virtual void didMoveToParentViewController(const std::shared_ptr<UIViewController>&) {}
  // The nearest navigation controller among this controller and its parents.
  std::shared_ptr<UINavigationController> navigationController() const;

  // After the view: the presenting controller for a presented one, else the view's superview
  // (the window for a window's root view).
  std::shared_ptr<UIResponder> nextResponder() const override;

  // Appearance transitions for containers and windows, which decide when a view enters or
  // leaves the screen. Each sends the callback to this controller and its children.
  void beginAppearanceTransition(bool isAppearing, bool animated);
  void endAppearanceTransition();

 private:
  friend class UINavigationController;
  friend class UIPresentation;
  friend class UIWindow;

  // The controller that presents for this one: the topmost of its parents.
  std::shared_ptr<UIViewController> presentationContext() const;
  void performDismissal(bool animated, Completion completion);
  // Takes this presented controller's views out of the window without a transition.
  void removePresentationAtOnce();
  // The same for every controller presented over this one, topmost first.
  void removePresentedAtOnce();

  std::shared_ptr<UIView> view_;
  std::string title_;
  UIModalPresentationStyle modalPresentationStyle_ = UIModalPresentationAutomatic;
  bool modalInPresentation_ = false;

  std::shared_ptr<UIViewController> presented_;
  std::weak_ptr<UIViewController> presenting_;
  // How this controller is shown while presented: the views and gestures the presentation
  // added to the window (UIViewController+Presentation.cpp).
  std::shared_ptr<UIPresentation> presentation_;
  bool beingPresented_ = false;
  bool beingDismissed_ = false;
  // A dismissal asked for while the presentation was still running waits for its end.
  std::function<void()> pendingDismissal_;

  std::weak_ptr<UIViewController> parent_;
  std::vector<std::shared_ptr<UIViewController>> children_;

  enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };
  Appearance appearance_ = Appearance::Disappeared;
  bool appearanceAnimated_ = false;
};
