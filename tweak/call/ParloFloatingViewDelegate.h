#pragma once

// What a floating view tells its observer. Every method is optional: the view looks each one up
// by selector and sends it only when the delegate answers it, so an observer registers in its
// class just the ones it wants, e.g.
//   c.method("pictureInPictureView:changedPosition:", &Observer::changedPosition);
// with `void changedPosition(std::shared_ptr<ParloFloatingView>, unsigned long position)`.
namespace ParloFloatingViewDelegate {

// A drag began.                                          v@:@
inline constexpr const char* kBeganDragging = "pictureInPictureViewBeganDragging:";
// A drag ended and its snap animation was started.       v@:@
inline constexpr const char* kEndedDragging = "pictureInPictureViewEndedDragging:";
// The view's corner was set (the new position).          v@:@Q
inline constexpr const char* kChangedPosition = "pictureInPictureView:changedPosition:";
// The view's size class was set (the new size class).    v@:@Q
inline constexpr const char* kChangedSizeClass = "pictureInPictureView:changedSizeClass:";

}  // namespace ParloFloatingViewDelegate
