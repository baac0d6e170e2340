// A preference bundle for the Settings app's tests: its root page shows one label.
#include "Preferences/PSRootController.h"
#include "uikit/UILabel.h"
#include "uikit/UIViewController.h"

class TestPrefsRootController : public UIViewController {
  OBJC_CLASS(TestPrefsRootController, UIViewController);

 public:
  void viewDidLoad() override {
    UIViewController::viewDidLoad();
    view()->setBackgroundColor(UIColor::systemBackgroundColor());
    auto label = UILabel::alloc()->initWithFrame({{20, 120}, {350, 30}});
    label->setText("Test Preferences Root Page");
    view()->addSubview(label);
  }
};

OBJC_CLASS_IMPL(TestPrefsRootController) {}

PS_EXPORT_ROOT_CONTROLLER(TestPrefsRootController)
