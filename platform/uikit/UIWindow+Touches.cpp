// Touch delivery inside one window: gesture recognisers first, then the views.

#include <map>

#include "uikit/UIEvent.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/UITouch.h"
#include "uikit/UIWindow.h"

void UIWindow::sendEvent(const std::shared_ptr<UIEvent>& event) {
  if (!event) return;
  auto me = window();
  UITouchSet changed;
  for (auto& touch : event->allTouches()) {
    if (touch->window().get() == this && touch->phase() != UITouchPhaseStationary) {
      changed.push_back(touch);
    }
  }
  if (changed.empty()) return;

  UIGestureRecognizer::deliverTouches(changed, event);

  // Each view hears of its touches once per phase; a touch that a recogniser took over (it was
  // cancelled for the view) reaches the view no more.
  for (UITouchPhase phase :
       {UITouchPhaseBegan, UITouchPhaseMoved, UITouchPhaseEnded, UITouchPhaseCancelled}) {
    std::vector<std::shared_ptr<UIView>> views;
    std::map<UIView*, UITouchSet> byView;
    for (auto& touch : changed) {
      if (touch->phase() != phase || touch->finishedForView_ || !touch->view_) continue;
      if (phase == UITouchPhaseBegan) {
        touch->beganForView_ = true;
      } else if (!touch->beganForView_) {
        continue;
      }
      if (phase == UITouchPhaseEnded || phase == UITouchPhaseCancelled) {
        touch->finishedForView_ = true;
      }
      if (!byView.count(touch->view_.get())) views.push_back(touch->view_);
      byView[touch->view_.get()].push_back(touch);
    }
    for (auto& view : views) {
      const UITouchSet& touches = byView[view.get()];
      switch (phase) {
        case UITouchPhaseBegan:
          view->touchesBegan(touches, event);
          break;
        case UITouchPhaseMoved:
          view->touchesMoved(touches, event);
          break;
        case UITouchPhaseEnded:
          view->touchesEnded(touches, event);
          break;
        default:
          view->touchesCancelled(touches, event);
          break;
      }
    }
  }

  UIGestureRecognizer::finishDelivery();
}
