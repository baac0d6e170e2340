// A preference bundle for the Settings app's tests: its root page shows one label, and a switch
// bound to the add-on's "toggleParlo" in the shared preference store, as the add-on's own
// preference bundle binds it.
#include "BrisvaleKit/BVPrefsManager.h"
#include "Preferences/PSRootController.h"
#include "uikit/UILabel.h"
#include "uikit/UISwitch.h"
#include "uikit/UIViewController.h"

namespace {
const char* const kDomain = "com.brisvale.ParloPrefs";
const char* const kKey = "toggleParlo";
}  // namespace

class TestPrefsRootController : public UIViewController {
  OBJC_CLASS(TestPrefsRootController, UIViewController);

 public:
  void viewDidLoad() override {
    UIViewController::viewDidLoad();
    view()->setBackgroundColor(UIColor::systemBackgroundColor());
    auto label = UILabel::alloc()->initWithFrame({{20, 120}, {350, 30}});
    label->setText("Test Preferences Root Page");
    view()->addSubview(label);

    auto switchLabel = UILabel::alloc()->initWithFrame({{20, 170}, {250, 31}});
    switchLabel->setText("Enable Parlo");
    view()->addSubview(switchLabel);
    auto toggle = UISwitch::alloc()->initWithFrame({{300, 170}, {51, 31}});
    toggle->setOn(BVPrefsManager::sharedInstance()->boolForKey(kKey, false, kDomain));
    toggle->addTarget(self(), SEL("switchChanged:"), UIControlEventValueChanged);
    view()->addSubview(toggle);
    // Says what is stored, read back from the store, so a script can see the write landed.
    stored_ = UILabel::alloc()->initWithFrame({{20, 220}, {350, 30}});
    view()->addSubview(stored_);
    showStored();
  }

  void switchChanged(id sender) {
    auto toggle = std::dynamic_pointer_cast<UISwitch>(sender);
    if (!toggle) return;
    BVPrefsManager::sharedInstance()->setBool(toggle->isOn(), kKey, kDomain);
    showStored();
  }

 private:
  void showStored() {
    bool on = BVPrefsManager::sharedInstance()->boolForKey(kKey, false, kDomain);
    stored_->setText(on ? "Stored: on" : "Stored: off");
  }

  std::shared_ptr<UILabel> stored_;
};

OBJC_CLASS_IMPL(TestPrefsRootController) {
  c.method("switchChanged:", &TestPrefsRootController::switchChanged);
}

PS_EXPORT_ROOT_CONTROLLER(TestPrefsRootController)
