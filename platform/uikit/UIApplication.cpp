#include "uikit/UIApplication.h"

#include <algorithm>

#include "runtime/RuntimeError.h"
#include "uikit/UIEvent.h"
#include "uikit/UIScreen.h"
#include "uikit/UITouch.h"
#include "uikit/UIWindow.h"

OBJC_CLASS_IMPL(UIApplication) {
  c.method("keyWindow", &UIApplication::keyWindow)
      .method("sendAction:to:from:forEvent:", &UIApplication::sendAction);
}

std::shared_ptr<UIApplication> UIApplication::sharedApplication() {
  // Never destroyed: windows tell it when they go, also at exit.
  static auto* application = new std::shared_ptr<UIApplication>(UIApplication::alloc());
  return *application;
}

// ---- Windows ----

std::vector<std::shared_ptr<UIWindow>> UIApplication::windows() const {
  std::vector<std::pair<std::shared_ptr<UIWindow>, uint64_t>> live;
  for (auto& entry : windows_) {
    if (auto window = entry.window.lock()) live.emplace_back(window, entry.shownOrder);
  }
  std::stable_sort(live.begin(), live.end(), [](const auto& a, const auto& b) {
    if (a.first->windowLevel() != b.first->windowLevel()) {
      return a.first->windowLevel() < b.first->windowLevel();
    }
    return a.second < b.second;
  });
  std::vector<std::shared_ptr<UIWindow>> ordered;
  for (auto& [window, order] : live) ordered.push_back(window);
  return ordered;
}

std::shared_ptr<UIWindow> UIApplication::keyWindow() const {
  return keyWindow_.lock();
}

void UIApplication::windowDidInit(const std::shared_ptr<UIWindow>& window) {
  for (auto& entry : windows_) {
    if (entry.address == window.get()) return;
  }
  windows_.push_back({window, window.get(), nextShownOrder_++});
}

void UIApplication::windowWillShow(const UIWindow& window) {
  for (auto& entry : windows_) {
    if (entry.address == &window) entry.shownOrder = nextShownOrder_++;
  }
}

void UIApplication::windowDidHide(const UIWindow& window) {
  if (keyWindowAddress_ == &window) passKeyStatusOn(&window);
}

void UIApplication::windowWillDeallocate(const UIWindow* window) {
  std::erase_if(windows_, [window](const WindowEntry& entry) { return entry.address == window; });
  if (keyWindowAddress_ == window) passKeyStatusOn(window);
}

void UIApplication::setKeyWindow(const std::shared_ptr<UIWindow>& window) {
  keyWindow_ = window;
  keyWindowAddress_ = window.get();
}

void UIApplication::passKeyStatusOn(const UIWindow* leaving) {
  keyWindow_.reset();
  keyWindowAddress_ = nullptr;
  auto ordered = windows();
  for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
    if (it->get() == leaving || (*it)->isHidden()) continue;
    setKeyWindow(*it);
    (*it)->becomeKeyWindow();
    return;
  }
}

// ---- Events and actions ----

void UIApplication::sendEvent(const std::shared_ptr<UIEvent>& event) {
  if (!event) return;
  std::vector<std::shared_ptr<UIWindow>> windows;
  for (auto& touch : event->allTouches()) {
    auto window = touch->window();
    if (!window || touch->phase() == UITouchPhaseStationary) continue;
    if (std::find(windows.begin(), windows.end(), window) == windows.end()) {
      windows.push_back(window);
    }
  }
  for (auto& window : windows) window->sendEvent(event);
}

namespace {

// Calls an action with as many of (sender, event) as its method takes; the result of an action
// that answers one (resignFirstResponder) is dropped.
void performAction(const id& receiver, SEL action, const id& sender,
                   const std::shared_ptr<UIEvent>& event) {
  Method method = class_getInstanceMethod(object_getClass(receiver), action);
  if (!method) {
    throw objc::RuntimeError(std::string("-[") + object_getClassName(receiver) + " " +
                             action.name() + "]: unrecognized selector sent to instance");
  }
  std::string types = objc_normalizedEncoding(method_getTypeEncoding(method));
  IMP imp = method_getImplementation(method);
  if (types == "v@:") return imp.call<void>(receiver, action);
  if (types == "v@:@") return imp.call<void>(receiver, action, sender);
  if (types == "v@:@@") return imp.call<void>(receiver, action, sender, id(event));
  if (types == "B@:") {
    imp.call<bool>(receiver, action);
    return;
  }
  if (types == "B@:@") {
    imp.call<bool>(receiver, action, sender);
    return;
  }
  throw objc::RuntimeError(std::string("action ") + action.name() + " has encoding " + types +
                           "; an action takes no argument, the sender, or the sender and event");
}

}  // namespace

bool UIApplication::sendAction(SEL action, const id& target, const id& sender,
                               const std::shared_ptr<UIEvent>& event) {
  if (!action) return false;
  id receiver = target;
  if (!receiver) {
    if (auto first = UIResponder::currentFirstResponder()) {
      receiver = first->targetForAction(action, sender);
    }
    auto start = std::dynamic_pointer_cast<UIResponder>(sender);
    if (!receiver && start) receiver = start->targetForAction(action, sender);
    if (!receiver) return false;
  }
  performAction(receiver, action, sender, event);
  return true;
}

// ---- Appearance ----

void UIApplication::setUserInterfaceStyle(UIUserInterfaceStyle style) {
  auto screen = UIScreen::mainScreen();
  if (screen->userInterfaceStyle() == style) return;
  auto all = windows();
  std::vector<UIUserInterfaceStyle> before;
  for (auto& window : all) before.push_back(window->traitCollection()->userInterfaceStyle());
  screen->setUserInterfaceStyle(style);
  for (size_t i = 0; i < all.size(); ++i) {
    // A window that overrides the style sees no change.
    if (all[i]->traitCollection()->userInterfaceStyle() != before[i]) {
      all[i]->propagateTraitChange(before[i]);
    }
  }
}
