// An add-on for the injection tests: once loaded, it puts a label naming itself on the key
// window, so a script can see whether the loader chose it.
#include "foundation/RunLoop.h"
#include "uikit/UIApplication.h"
#include "uikit/UILabel.h"
#include "uikit/UIWindow.h"

namespace {

__attribute__((constructor)) void announceInjection() {
  RunLoop::scheduleAfter(0, [] {
    auto window = UIApplication::sharedApplication()->keyWindow();
    if (!window) return;
    auto label = UILabel::alloc()->initWithFrame({{16, 800}, {358, 20}});
    label->setText("Injected " PARLO_TEST_INJECTION_NAME);
    window->addSubview(label);
  });
}

}  // namespace
