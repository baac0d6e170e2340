#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "quartz/CGGeometry.h"
#include "quartz/UITraitCollection.h"
#include "uikit/Forward.h"
#include "uikit/UIResponder.h"

// The process's application object: its windows, the delivery of touches to them, actions sent
// along the responder chain, and the system appearance. It ends every responder chain.
class UIApplication : public UIResponder {
  OBJC_CLASS(UIApplication, UIResponder);

 public:
  static std::shared_ptr<UIApplication> sharedApplication();

  // The live windows, back to front: by level, and within a level in the order shown.
  std::vector<std::shared_ptr<UIWindow>> windows() const;
  std::shared_ptr<UIWindow> keyWindow() const;

  // Hands each changed touch of the event to the window it began on.
  virtual void sendEvent(const std::shared_ptr<UIEvent>& event);

  // Sends an action to the target; with no target, to the first object that implements it along
  // the responder chain from the first responder, else from the sender. The action takes no
  // argument, the sender, or the sender and the event. Returns NO, doing nothing, when no
  // responder implements it.
  bool sendAction(SEL action, const id& target, const id& sender,
                  const std::shared_ptr<UIEvent>& event);

  // Switches the system appearance and sends traitCollectionDidChange: down every window to the
  // views whose appearance changed.
  void setUserInterfaceStyle(UIUserInterfaceStyle style);

  // Touch input in screen points, for tests, scripts and the desktop window; the timestamps come
  // from the clock. A finger is any small number naming one touch. Moving or lifting a finger
  // that is not down does nothing; putting down a finger that is down lifts it first.
  void touchDown(CGPoint point, int finger = 0);
  void touchMove(CGPoint point, int finger = 0);
  void touchUp(CGPoint point, int finger = 0);
  void touchCancel(int finger = 0);
  // Cancels every touch on the screen, as when the system takes over.
  void cancelAllTouches();
  bool isFingerDown(int finger) const { return touchForFinger(finger) != nullptr; }

 private:
  friend class UIWindow;

  struct WindowEntry {
    std::weak_ptr<UIWindow> window;
    const UIWindow* address;
    uint64_t shownOrder;
  };

  // Window bookkeeping, called by the windows.
  void windowDidInit(const std::shared_ptr<UIWindow>& window);
  void windowWillShow(const UIWindow& window);
  void windowDidHide(const UIWindow& window);
  void windowWillDeallocate(const UIWindow* window);
  void setKeyWindow(const std::shared_ptr<UIWindow>& window);
  void passKeyStatusOn(const UIWindow* leaving);

  std::shared_ptr<UITouch> touchForFinger(int finger) const;
  // Sends one event in which the given touches changed (the others are stationary), then lets go
  // of the touches that ended.
  void dispatch(const UITouchSet& changed);

  std::vector<WindowEntry> windows_;
  uint64_t nextShownOrder_ = 1;
  std::weak_ptr<UIWindow> keyWindow_;
  const UIWindow* keyWindowAddress_ = nullptr;

  // The fingers down, in the order they came down.
  std::vector<std::pair<int, std::shared_ptr<UITouch>>> touches_;
  std::shared_ptr<UIEvent> event_;
  // The last lifted touch, for counting taps.
  double lastTapTime_ = -1;
  CGPoint lastTapPoint_;
  unsigned long lastTapCount_ = 0;
};
